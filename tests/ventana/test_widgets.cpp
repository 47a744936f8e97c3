// The real widgets, offscreen: start screen and workspace, toolbar order and rules,
// sidebar, inspector and its controls, comparator and filter panel, content-area rules, the
// notice banner and the keyboard.
#include "main/aviso.h"
#include "main/barra_lateral.h"
#include "main/estilo.h"
#include "main/filas_archivos.h"
#include "main/inicio.h"
#include "main/inspector.h"
#include "main/panel_derecho.h"
#include "main/ventana.h"
#include "soporte.h"
#include "vistas/comparador.h"
#include "vistas/controles_personalizada.h"
#include "vistas/fila_objetivo.h"
#include "vistas/metadatos_vista.h"
#include "vistas/panel_filtros.h"

#include <QLineEdit>

using namespace Livora;
using namespace prueba;

namespace {

class Widgets : public ConVentana {
protected:
    void SetUp() override {
        crear(motorRapido());
        mostrarVentana();
    }
    void abrirPDF(const std::string& nombre) {
        vista->abrirPDF(tmp.ruta() / nombre, tmp.ruta() / nombre, false, std::nullopt);
        ASSERT_TRUE(esperarTrabajos(*vista));
    }
};

TEST_F(Widgets, InicioHastaElPrimerArchivoYLuegoEspacioDeTrabajo) {
    EXPECT_FALSE(ventana->enEspacioTrabajo());
    vista->setArrastrando(true);
    EXPECT_TRUE(ventana->inicio()->tarjetaAbrir()->resaltada());
    EXPECT_FALSE(ventana->inicio()->tarjetaUnir()->resaltada());
    vista->setArrastrando(false);
    abrir("nada.xyz");
    // A failure on the start screen shows its notice line there.
    EXPECT_EQ(ventana->inicio()->lineaEstado(), "❌ nada.xyz: No se pudo abrir nada.xyz");
    abrir("foto.jpg");
    EXPECT_TRUE(ventana->enEspacioTrabajo());
    EXPECT_EQ(ventana->windowTitle(), "foto.jpg");
    EXPECT_EQ(ventana->subtituloMostrado(), "64 × 48 px · 1 kB");
    vista->volverInicio();
    EXPECT_FALSE(ventana->enEspacioTrabajo());
}

TEST_F(Widgets, BarraDeHerramientasParaImagenYParaPDF) {
    abrir("foto.jpg");
    EXPECT_EQ(ventana->etiquetasBarra(), (QStringList{"Inicio", "Texto", "Filtros", "Recortar",
                                                      "Quitar fondo", "Compartir", "Inspector"}));
    vista->abrirPaginas(); // not for an image
    EXPECT_FALSE(e().modoPaginas);
    vista->abrirRecorte();
    EXPECT_FALSE(ventana->boton("Texto")->isEnabled());
    EXPECT_TRUE(ventana->boton("Inspector")->isEnabled());
    vista->salirDeModo();
    EXPECT_TRUE(ventana->boton("Texto")->isEnabled());
    // With the panel open the filters button is tinted even with neutral filters.
    vista->alternarFiltros();
    EXPECT_TRUE(ventana->boton("Filtros")->property("tinte").toBool());
    vista->alternarFiltros();
    EXPECT_FALSE(ventana->boton("Filtros")->property("tinte").toBool());

    abrirPDF("informe.pdf");
    EXPECT_EQ(ventana->etiquetasBarra(),
              (QStringList{"Inicio", "Páginas", "Compartir", "Inspector"}));
    EXPECT_EQ(ventana->subtituloMostrado(), "1 página · 1 kB");
}

TEST_F(Widgets, SinSalidaActivaNoHayCompartirYElContenidoEstaVacio) {
    salidas["vacia.jpg"] = {};
    abrir("vacia.jpg");
    EXPECT_FALSE(ventana->etiquetasBarra().contains("Compartir"));
    EXPECT_EQ(ventana->panel()->contenido(), Contenido::Vacio);
    EXPECT_FALSE(ventana->inspector()->botonGuardar()->isEnabled());
    EXPECT_TRUE(ventana->inspector()->botonLote()->isVisibleTo(ventana.get()));
    // Nothing to save still confirms and opens the file browser, nothing selected.
    vista->guardar(true);
    EXPECT_EQ(e().mensaje, "✓ Guardadas 0 junto al original");
    EXPECT_EQ(escritorio.carpetasAbiertas, std::vector<Ruta>{tmp.ruta()});
    EXPECT_TRUE(escritorio.revelados.empty());
}

TEST_F(Widgets, LasPreviasDelComparadorSeOlvidanAlVolverAlInicio) {
    abrir("a.jpg");
    const Comparador* c = ventana->panel()->comparador();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c->previas().cuantas() > 0; }, 20000));
    vista->volverInicio();
    EXPECT_EQ(c->previas().cuantas(), 0u);
}

TEST_F(Widgets, ReglasDelAreaDeContenido) {
    abrir("a.jpg");
    abrir("b.jpg");
    EXPECT_EQ(ventana->panel()->contenido(), Contenido::Comparacion);
    Comparador* c = ventana->panel()->comparador();
    EXPECT_EQ(c->identidad(), QString::fromStdString(e().archivos[1].id.texto()) + "-false");
    vista->abrirRecorte();
    vista->alternarFiltros();
    EXPECT_EQ(ventana->panel()->contenido(), Contenido::Recorte);
    // Changing the active record closes the crop editor, not the filter panel.
    vista->activar(e().archivos[0].id);
    EXPECT_EQ(ventana->panel()->contenido(), Contenido::Comparacion);
    EXPECT_FALSE(e().modoRecorte);
    EXPECT_TRUE(e().mostrarFiltros);
    EXPECT_EQ(c->identidad(), QString::fromStdString(e().archivos[0].id.texto()) + "-false");
    // It closes the text editor too, without the regeneration "Listo" would start; the
    // layers stay with their record.
    vista->abrirTexto();
    EXPECT_EQ(ventana->panel()->contenido(), Contenido::Texto);
    vista->activar(e().archivos[1].id);
    EXPECT_FALSE(e().modoTexto || e().capaSeleccionada || e().capaEditando);
    EXPECT_EQ(vista->trabajosEnCurso(), 0);
    EXPECT_EQ(e().archivos[0].capas.size(), 1u);

    EstadoVentana e;
    ArchivoEstado sinPrevia;
    sinPrevia.variantes.push_back(Variante{});
    sinPrevia.variantes[0].preview = true;
    sinPrevia.seleccionada = sinPrevia.variantes[0].id;
    e.archivos.push_back(sinPrevia);
    e.archivoActivoID = sinPrevia.id;
    e.modoRecorte = true;
    EXPECT_EQ(contenidoPara(e), Contenido::Vacio)
        << "without a before picture the crop falls through";
    e.archivos[0].previewAntes = ImagenFuente::enMemoria(vips::VImage::black(4, 4));
    EXPECT_EQ(contenidoPara(e), Contenido::Recorte);
    e.modoRecorte = false;
    EXPECT_EQ(contenidoPara(e), Contenido::Comparacion);
    e.archivos[0].variantes[0].preview = false;
    EXPECT_EQ(contenidoPara(e), Contenido::Vacio);
    e.archivos[0].esImagen = false;
    e.modoPaginas = true;
    EXPECT_EQ(contenidoPara(e), Contenido::Organizador);
}

TEST_F(Widgets, BarraLateralBotonesMenuEInsignias) {
    abrir("a.jpg");
    EXPECT_FALSE(ventana->lateral()->botonUnir()->isVisibleTo(ventana.get()));
    abrir("b.jpg");
    EXPECT_TRUE(ventana->lateral()->botonUnir()->isVisibleTo(ventana.get()));
    EXPECT_TRUE(ventana->lateral()->botonUnir()->isEnabled());
    EXPECT_EQ(ventana->lateral()->lista()->count(), 2);
    EXPECT_EQ(ventana->lateral()->entradasMenu(e().archivos[0].id).size(), 2);
    vista->abrirPDF(tmp.ruta() / "Combinado.pdf", tmp.ruta() / "Combinado.pdf", true, 10);
    EXPECT_FALSE(ventana->lateral()->botonUnir()->isEnabled());
    EXPECT_FALSE(ventana->lateral()->botonAnadir()->isEnabled());
    ASSERT_TRUE(esperarTrabajos(*vista));
    // A merged file has no folder to show.
    EXPECT_EQ(ventana->lateral()->entradasMenu(e().archivos[2].id),
              QStringList{"Quitar de la lista"});
    // Clicking a row makes its record active.
    ventana->lateral()->lista()->setCurrentRow(0);
    EXPECT_EQ(e().archivoActivoID, e().archivos[0].id);
    vista->alternarSinFondo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    // The badges' help is what assistive technology reads for the row, and the badge is
    // drawn in the accent colour.
    auto* lista = ventana->lateral()->lista();
    EXPECT_EQ(lista->item(0)->data(Qt::AccessibleDescriptionRole), "Sin fondo");
    const QImage fila = lista->viewport()->grab(lista->visualItemRect(lista->item(0))).toImage();
    int acento = 0;
    for (int y = 0; y < fila.height(); ++y)
        for (int x = 0; x < fila.width(); ++x)
            acento += QColor(fila.pixel(x, y)) == Estilo::acento ? 1 : 0;
    EXPECT_GT(acento, 10);
    // Rows of records removed while the list is hidden go at once; the row after one keeps
    // its place instead of being added a second time.
    ventana->lateral()->hide();
    vista->quitar(e().archivos[0].id);
    EXPECT_EQ(ventana->lateral()->lista()->count(), 2);
}

// The badges follow the size line's text and stay inside the row however long the line is.
TEST(FilasArchivos, LaLineaCedeSitioALasInsignias) {
    const QRect celda(0, 0, 240, kAltoFila);
    struct Caso {
        int anchoLinea, insignias;
    };
    for (const auto [ancho, n] : {Caso{40, 0}, {40, 2}, {400, 1}, {400, 3}}) {
        const GeometriaFila g = geometriaFila(celda, 17, 14, ancho, n);
        ASSERT_EQ(int(g.insignias.size()), n);
        EXPECT_LE(g.linea.width(), ancho);
        EXPECT_EQ(g.linea.left(), g.nombre.left());
        int x = g.linea.right();
        for (const QRect& r : g.insignias) {
            EXPECT_GT(r.left(), x);
            EXPECT_LE(r.left() - x, 5) << "right after the text";
            EXPECT_LE(r.right(), celda.right() - 6) << "inside the row's background";
            x = r.right();
        }
    }
}

// The inspector's controls, the filter panel and the notice write into the window's state
// and show it back.
TEST_F(Widgets, ControlesDelInspectorYPanelesEscribenEnLaVentana) {
    abrir("foto.jpg");
    auto* insp = ventana->inspector();
    EXPECT_EQ(insp->filas().size(), 3);
    EXPECT_FALSE(insp->muestraPersonalizada());
    EXPECT_EQ(insp->botonLote()->text(), "Guardar todas"); // one file
    EXPECT_FALSE(insp->filaObjetivo()->puedeAjustar());
    vista->setObjetivoTexto(" 200 ");
    EXPECT_EQ(insp->filaObjetivo()->texto(), " 200 ");
    EXPECT_TRUE(insp->filaObjetivo()->puedeAjustar());
    vista->setObjetivoTexto("12k");
    EXPECT_FALSE(insp->filaObjetivo()->puedeAjustar());
    // Typed into the field and confirmed with Return.
    auto* campo = insp->filaObjetivo()->findChild<QLineEdit*>();
    ASSERT_NE(campo, nullptr);
    campo->clear();
    QTest::keyClicks(campo, "300");
    EXPECT_EQ(e().objetivoTexto, "300");
    QTest::keyClick(campo, Qt::Key_Return);
    EXPECT_EQ(e().ajustes.objetivoKB, std::optional<std::int64_t>(300));

    // Metadata switch, both ways.
    EXPECT_TRUE(insp->filaMetadatos()->isVisibleTo(insp));
    vista->setQuitarMetadatos(false);
    EXPECT_FALSE(insp->filaMetadatos()->quitarMetadatos());
    Q_EMIT insp->filaMetadatos()->quitarMetadatosCambiado(true);
    EXPECT_TRUE(e().ajustes.quitarMetadatos);
    Q_EMIT insp->filaMetadatos()->mostrarInfoCambiado(true);
    EXPECT_TRUE(e().mostrarInfoMetadatos);
    Q_EMIT insp->filaMetadatos()->mostrarInfoCambiado(false);
    EXPECT_FALSE(e().mostrarInfoMetadatos);

    // A click on the last row chooses it and shows the custom controls, whose settings the
    // window takes and shows back.
    QTest::mouseClick(insp->filas().back(), Qt::LeftButton);
    ASSERT_EQ(elegida(), "personalizada");
    EXPECT_TRUE(insp->muestraPersonalizada());
    EXPECT_TRUE(insp->controlesPersonalizada()->isVisibleTo(insp));
    AjustesImagen a = insp->controlesPersonalizada()->ajustes();
    a.calidadCustom = 35;
    a.anchoCustom = 32;
    a.altoCustom = 24;
    Q_EMIT insp->controlesPersonalizada()->ajustesCambiados(a);
    EXPECT_EQ(std::tie(e().ajustes.calidadCustom, e().ajustes.anchoCustom, e().ajustes.altoCustom),
              std::make_tuple(35.0, 32.0, 24.0));
    EXPECT_EQ(insp->controlesPersonalizada()->ajustes().calidadCustom, 35);

    PanelFiltros* panel = ventana->panel()->panelFiltros();
    EXPECT_FALSE(panel->isVisibleTo(ventana.get()));
    vista->alternarFiltros();
    EXPECT_TRUE(panel->isVisibleTo(ventana.get()));
    FiltroAjustes f;
    f.preset = "noir";
    f.brillo = 0.2;
    Q_EMIT panel->filtrosCambiados(f);
    EXPECT_EQ(e().archivoActivo()->filtros, f);
    EXPECT_EQ(panel->filtros(), f);
    vista->alternarFiltros();
    EXPECT_FALSE(panel->isVisibleTo(ventana.get()));

    vista->avisar("✓ Guardada 1 junto al original");
    BannerAviso* aviso = ventana->panel()->aviso();
    EXPECT_EQ(aviso->texto(), "✓ Guardada 1 junto al original");
    EXPECT_TRUE(aviso->isVisible());
    QTest::mouseClick(aviso, Qt::LeftButton);
    EXPECT_EQ(e().mensaje, "");
    EXPECT_EQ(aviso->texto(), "");
    reloj.avanzar(5000);
    EXPECT_EQ(e().mensaje, "");

    // A PDF shows none of the image controls, and never the filter panel.
    abrirPDF("informe.pdf");
    EXPECT_FALSE(insp->muestraPersonalizada());
    EXPECT_FALSE(insp->filaMetadatos()->isVisibleTo(insp));
    EXPECT_FALSE(insp->filaObjetivo()->isVisibleTo(insp));
    vista->alternarFiltros();
    EXPECT_FALSE(panel->isVisibleTo(ventana.get()));
    // The inspector hides and comes back at its width.
    vista->alternarInspector();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !insp->isVisible(); }, 5000));
    vista->alternarInspector();
    EXPECT_TRUE(QTest::qWaitFor([&] { return insp->width() == 340; }, 5000));
}

TEST_F(Widgets, FlechasDelTecladoConTopeYAtajoDeGuardar) {
    abrir("foto.jpg");
    EXPECT_EQ(elegida(), "alta");
    // Down three times, up three times: the ends hold.
    for (const auto& [tecla, sufijo] : {std::pair{Qt::Key_Down, "media"},
                                        {Qt::Key_Down, "personalizada"},
                                        {Qt::Key_Down, "personalizada"},
                                        {Qt::Key_Up, "media"},
                                        {Qt::Key_Up, "alta"},
                                        {Qt::Key_Up, "alta"}}) {
        QTest::keyClick(ventana.get(), tecla);
        EXPECT_EQ(elegida(), sufijo);
    }
    QTest::keyClick(ventana.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(e().mensaje, "✓ Guardada 1 junto al original");
    EXPECT_TRUE(std::filesystem::exists(tmp.ruta() / "foto.alta.jpg"));
    QTest::keyClick(ventana.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e().mensaje, "✓ Guardadas 3 junto al original");
}

} // namespace
