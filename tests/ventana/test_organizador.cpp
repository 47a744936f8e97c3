// The page organiser's rules on its plain core: selection, edits and their places, the
// 50-step history, drags both ways, undo, the notice timer and the texts.
#include "motor/pdf.h"
#include "organizador/organizador.h"
#include "organizador/rejilla.h"
#include "soporte.h"

#include <sstream>

using namespace Livora;
using namespace prueba;

namespace {

// Pages 1…n of one source, so a page is named by its number (indice + 1).
std::vector<PaginaPDF> paginas(int n) {
    std::vector<PaginaPDF> r;
    for (int i = 0; i < n; ++i)
        r.push_back(PaginaPDF{Uuid::nuevo(), "/tmp/doc.pdf", i, 0});
    return r;
}

class Nucleo : public ::testing::Test {
public:
    RelojFalso reloj;
    std::unique_ptr<Organizador> org = std::make_unique<Organizador>(paginas(8), &reloj);
    std::vector<Cambio> cambios;

    void SetUp() override {
        org->alCambiar([this](Cambio c) { cambios.push_back(c); });
    }
    const EstadoOrganizador& e() const { return org->estado(); }
    // The id of the page now at 1-based place i.
    Uuid en(int i) const { return e().paginas.at(std::size_t(i - 1)).id; }
    // The id of the source page n (first copy in the list).
    Uuid pagina(int n) const {
        for (const auto& p : e().paginas)
            if (p.indice == n - 1) return p.id;
        ADD_FAILURE() << "no page " << n;
        return {};
    }
    std::set<Uuid> ids(std::initializer_list<int> numeros) const {
        std::set<Uuid> r;
        for (int n : numeros)
            r.insert(pagina(n));
        return r;
    }
    // Source page numbers in list order; copies written with a quote mark.
    std::string orden() const {
        std::string r;
        std::set<std::int64_t> vistas;
        for (const auto& p : e().paginas) {
            r += (r.empty() ? "" : ",") + std::to_string(p.indice + 1);
            if (!vistas.insert(p.indice).second) r += "'";
        }
        return r;
    }
    std::string seleccion() const {
        std::string r;
        for (std::size_t i = 0; i < e().paginas.size(); ++i)
            if (e().seleccion.count(e().paginas[i].id))
                r += (r.empty() ? "" : ",") + std::to_string(i + 1);
        return r;
    }
};

TEST_F(Nucleo, PulsarSegunModificadores) {
    // Clicks on places, "c" with Ctrl and "s" with Shift; the selection and anchor left.
    const std::tuple<std::string, std::string, int> casos[] = {
        {"4s", "4", 4},          // Shift with no earlier click: only that one
        {"5 2s", "2,3,4,5", 5},  // a range from the anchor
        {"5 2s 7s", "5,6,7", 5}, // another Shift: the anchor stays
        {"1 3c 1c", "3", 1},     // Ctrl adds and removes
        {"2 2c", "", 2},         // Ctrl on the only one empties
        {"2 2", "", 2},          // and so does a plain click
        {"2 6s 4", "4", 4},      // a click with several leaves only that one
        {"2 6cs", "2,6", 6},     // Ctrl wins over Shift
    };
    for (const auto& [clics, seleccion_, ancla] : casos) {
        SCOPED_TRACE(clics);
        org = std::make_unique<Organizador>(paginas(8), &reloj);
        std::istringstream in(clics);
        for (std::string k; in >> k;)
            org->pulsar(en(std::stoi(k)),
                        {k.find('c') != std::string::npos, k.find('s') != std::string::npos});
        EXPECT_EQ(seleccion(), seleccion_);
        EXPECT_EQ(e().ancla, en(ancla));
    }
    org->seleccionarTodo();
    EXPECT_EQ(e().seleccion.size(), 8u);
    EXPECT_EQ(org->lineaCabecera(), "8 de 8 seleccionada");
}

TEST_F(Nucleo, ObjetivoDelMenuYDeLaBarra) {
    org->pulsar(en(2), {});
    org->pulsar(en(3), {true, false});
    EXPECT_EQ(org->objetivoMenu(en(3)), ids({2, 3}));            // a selected page: the selection
    EXPECT_EQ(org->objetivoMenu(en(6)), ids({6}));               // another: only that page
    EXPECT_EQ(org->paginasDe({en(3), en(2)}).front().id, en(2)); // in list order
}

TEST_F(Nucleo, EdicionesYSusPosiciones) {
    const auto nueva = [](int n) { return PaginaPDF{Uuid::nuevo(), "/tmp/doc.pdf", n - 1, 0}; };
    // Each edit on a fresh list of 8: the order and the selection it leaves, in one step.
    const auto caso = [&](const char* orden_, const char* seleccion_,
                          const std::function<void()>& hacer) {
        SCOPED_TRACE(orden_);
        org = std::make_unique<Organizador>(paginas(8), &reloj);
        hacer();
        EXPECT_EQ(orden(), orden_);
        EXPECT_EQ(seleccion(), seleccion_);
        EXPECT_EQ(e().historial.size(), 1u);
    };
    caso("1,2,2',3,4,4',5,6,7,8", "3,6", [&] { org->duplicar(ids({2, 4})); });
    caso("1,3,4,5,6,8", "", [&] { org->eliminar(ids({2, 7})); });
    caso("3,6,1,2,4,5,7,8", "", [&] { org->mover(ids({6, 3}), true); });
    caso("2,3,4,6,7,8,1,5", "", [&] { org->mover(ids({1, 5}), false); });
    caso("1,2,3,4,5,6,9,7,8", "7", [&] { // inserted after the selection
        org->pulsar(pagina(3), {});
        org->pulsar(pagina(6), {true, false});
        org->insertar({nueva(9)});
    });
    // With nothing selected, at the end.
    caso("1,2,3,4,5,6,7,8,9,10", "9,10", [&] { org->insertar({nueva(9), nueva(10)}); });
    // Moving pages already at the start changes nothing and leaves no empty undo step.
    org = std::make_unique<Organizador>(paginas(8), &reloj);
    org->mover(ids({1, 2}), true);
    EXPECT_FALSE(org->puedeDeshacer());
}

TEST_F(Nucleo, GirosSinNormalizarYHistorialDe50) {
    const Uuid id = en(1);
    for (int i = 0; i < 4; ++i)
        org->girar({id}, -90);
    EXPECT_EQ(e().paginas[0].rotacion, -360);
    EXPECT_EQ(rotacionNormalizada(e().paginas[0].rotacion), 0);
    for (int i = 0; i < 51; ++i)
        org->girar({id}, 90); // 55 rotations in all
    EXPECT_EQ(e().historial.size(), Organizador::maxHistorial);
    int deshechos = 0;
    while (org->puedeDeshacer()) {
        org->deshacer();
        ++deshechos;
    }
    EXPECT_EQ(deshechos, 50);
    // The five oldest states are gone: the earliest reachable one has four left turns and
    // one right turn.
    EXPECT_EQ(e().paginas[0].rotacion, -270);
    org->deshacer(); // nothing left: nothing happens
    EXPECT_EQ(e().paginas[0].rotacion, -270);
    org->girar({}, 90); // an empty target changes nothing
    EXPECT_FALSE(org->puedeDeshacer());
}

TEST_F(Nucleo, DeshacerTrasEliminarEInsertar) {
    org->pulsar(en(2), {});
    org->pulsar(en(4), {false, true});
    org->eliminar(e().seleccion);
    EXPECT_EQ(orden(), "1,5,6,7,8");
    org->deshacer();
    EXPECT_EQ(orden(), "1,2,3,4,5,6,7,8");
    EXPECT_EQ(seleccion(), ""); // restored with nothing selected
    EXPECT_EQ(e().ancla, pagina(2));

    org->pulsar(en(1), {});
    org->insertar({PaginaPDF{Uuid::nuevo(), "/tmp/otro.pdf", 0, 0}});
    org->pulsar(en(8), {true, false}); // the new page and page 7 selected
    EXPECT_EQ(seleccion(), "2,8");
    org->deshacer();
    EXPECT_EQ(orden(), "1,2,3,4,5,6,7,8");
    EXPECT_EQ(seleccion(), "7"); // the inserted page left the selection
}

TEST_F(Nucleo, ArrastrarEnAmbosSentidosEsUnPaso) {
    struct Caso {
        int arrastrada;
        std::vector<int> sobre; // places passed over, in order
        std::string orden;
    };
    const std::vector<Caso> casos = {
        {1, {3}, "2,3,1,4,5,6,7,8"},
        {4, {2}, "1,4,2,3,5,6,7,8"},
        {1, {2, 3, 4, 8}, "2,3,4,5,6,7,8,1"}, // following the pointer across the grid
        {8, {1}, "8,1,2,3,4,5,6,7"},
    };
    for (const auto& c : casos) {
        org = std::make_unique<Organizador>(paginas(8), &reloj);
        const Uuid id = en(c.arrastrada);
        org->empezarArrastre(id);
        EXPECT_EQ(e().arrastrada, id);
        for (int sobre : c.sobre)
            org->arrastrarSobre(en(sobre));
        EXPECT_FALSE(org->arrastrarSobre(id)); // over itself: nothing
        org->terminarArrastre();
        EXPECT_EQ(orden(), c.orden);
        EXPECT_FALSE(e().arrastrada);
        ASSERT_EQ(e().historial.size(), 1u);
        org->deshacer();
        EXPECT_EQ(orden(), "1,2,3,4,5,6,7,8");
    }
    // A drag that comes back to where it started leaves no undo step.
    org->empezarArrastre(en(2));
    org->arrastrarSobre(en(5));
    org->arrastrarSobre(en(2));
    org->terminarArrastre();
    EXPECT_EQ(orden(), "1,2,3,4,5,6,7,8");
    EXPECT_FALSE(org->puedeDeshacer());
    // Drags keep the history at 50 too.
    for (int i = 0; i < 60; ++i) {
        org->empezarArrastre(en(1));
        org->arrastrarSobre(en(2));
        org->terminarArrastre();
    }
    EXPECT_EQ(e().historial.size(), Organizador::maxHistorial);
    // A click ends a drag that never reported its end.
    org->empezarArrastre(en(3));
    org->pulsar(en(3), {});
    EXPECT_FALSE(e().arrastrada);
}

TEST_F(Nucleo, AvisoDuraTresSegundosYElNuevoNoSeCorta) {
    org->mostrarAviso("uno");
    reloj.avanzar(2000);
    EXPECT_EQ(e().aviso, "uno");
    org->mostrarAviso("uno"); // the same text again, two seconds later
    reloj.avanzar(1500);
    EXPECT_EQ(e().aviso, "uno"); // not cleared by the first one's timer
    org->mostrarAviso("dos");
    reloj.avanzar(2999);
    EXPECT_EQ(e().aviso, "dos");
    reloj.avanzar(1);
    EXPECT_EQ(e().aviso, "");
    EXPECT_EQ(cambios.back(), Cambio::Aviso);
    // Closing the organiser with a notice up leaves no timer behind.
    org->mostrarAviso("tres");
    org.reset();
    EXPECT_TRUE(reloj.pendientes.empty());
}

TEST_F(Nucleo, LineaDeCabeceraYTamano) {
    EXPECT_EQ(org->lineaCabecera(), "8 páginas");
    EXPECT_EQ(Organizador(paginas(1), nullptr).lineaCabecera(), "1 página");
    org->setTamano(500);
    EXPECT_EQ(e().tamano, Organizador::tamanoMaximo);
    org->setTamano(10);
    EXPECT_EQ(e().tamano, Organizador::tamanoMinimo);
}

TEST(Rejilla, ColumnasAdaptablesYCeldaBajoElPuntero) {
    struct Caso {
        double ancho, tamano;
        std::size_t columnas;
    };
    // Columns of at least tamano + 16, 10 apart, inside 16-point margins.
    for (const auto& c : std::vector<Caso>{
             {600, 130, 3}, {645, 130, 3}, {646, 130, 4}, {100, 220, 1}, {1400, 90, 11}}) {
        Rejilla r(c.ancho, c.tamano, 100);
        EXPECT_EQ(r.columnas, c.columnas) << c.ancho << " " << c.tamano;
        EXPECT_GE(r.anchoColumna, c.tamano + 16);
        const Rectangulo ultima = r.celda(r.columnas - 1);
        if (r.columnas > 1) {
            EXPECT_NEAR(ultima.x + ultima.ancho, c.ancho - Rejilla::margen, 1e-6);
        }
        EXPECT_DOUBLE_EQ(r.marco(0).alto, 1.25 * c.tamano);
    }
    Rejilla r(625, 130, 10);
    for (std::size_t i : {0u, 5u, 9u}) {
        const Rectangulo m = r.marco(i);
        EXPECT_EQ(r.celdaEn(m.x + 1, m.y + 1), i);
    }
    const Rectangulo c = r.celda(4);
    EXPECT_FALSE(r.celdaEn(c.x + c.ancho + 5, c.y + 5)); // the gap between columns
    EXPECT_FALSE(r.celdaEn(r.celda(3).x + 5, r.celda(9).y + r.altoCelda + 40)); // past the end
    EXPECT_EQ(r.visibles(0, 10), std::make_pair(std::size_t(0), std::size_t(3)));
    EXPECT_EQ(r.visibles(r.celda(4).y, r.celda(8).y),
              std::make_pair(std::size_t(3), std::size_t(9)));
}

} // namespace

// ---- The organiser in the window, on a real 100-page document ------------------------------

#include "../motor/test_pdf_comun.h"
#include "main/aviso.h"
#include "main/panel_derecho.h"
#include "main/ventana.h"
#include "organizador/miniaturas_organizador.h"
#include "organizador/organizador_paginas.h"
#include "organizador/rejilla_paginas.h"

#include <QMimeData>
#include <QPushButton>
#include <QToolButton>

namespace {

class OrganizadorVentana : public ConVentana {
protected:
    std::shared_ptr<std::vector<std::size_t>> regeneraciones =
        std::make_shared<std::vector<std::size_t>>();
    Ruta doc;

    void SetUp() override {
        doc = LivoraPrueba::crearPDF("cien.pdf", LivoraPrueba::a4(100));
        MotorVentana m = MotorVentana::real();
        const Ruta carpeta = tmp.ruta();
        // The record as intake makes it, with no thumbnails: every cell draws its own.
        m.ingestaPDF = [carpeta](const Ruta& url, const Ruta& fuente, bool,
                                 std::optional<std::int64_t>,
                                 const ControlTrabajo&) -> Resultado<ArchivoEstado> {
            ArchivoEstado a = registroFalso(url, carpeta, 1000, {{"sin-perdida", 800}}, false);
            a.fuentePDF = fuente;
            a.paginas = paginasDe(fuente);
            a.paginasIniciales = std::int64_t(a.paginas.size());
            return a;
        };
        auto r = regeneraciones;
        m.variantesPDF = [r, carpeta](const std::vector<PaginaPDF>& p, const OpcionesPDF&,
                                      const ControlTrabajo&) -> Resultado<MotorVentana::SalidaPDF> {
            r->push_back(p.size());
            return MotorVentana::SalidaPDF{
                std::nullopt,
                registroFalso("x.pdf", carpeta, 1000, {{"sin-perdida", 700}}, false).variantes};
        };
        crear(m);
        mostrarVentana();
        abrirRuta(doc);
        ASSERT_EQ(e().archivos.size(), 1u) << e().mensaje;
    }
    OrganizadorPaginas* abrir() {
        vista->abrirPaginas();
        auto* o = ventana->panel()->organizador();
        if (o) {
            EXPECT_TRUE(QTest::qWaitFor([o] { return o->rejilla()->isVisible(); }, 2000));
        }
        return o;
    }
    bool cerrado() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ventana->panel()->organizador() == nullptr && !e().modoPaginas;
    }
    static QPoint centro(OrganizadorPaginas* o, int fila) {
        return o->rejilla()->marcoVisible(fila).center().toPoint();
    }
    static void clic(OrganizadorPaginas* o, int fila, Qt::KeyboardModifiers m = {}) {
        QTest::mouseClick(o->rejilla()->viewport(), Qt::LeftButton, m, centro(o, fila));
    }
};

TEST_F(OrganizadorVentana, AplicarSinCambiosNoRegeneraYConCambiosSi) {
    auto* o = abrir();
    ASSERT_TRUE(o);
    EXPECT_EQ(o->lineaMostrada(), "100 páginas");
    EXPECT_EQ(o->rejilla()->model()->rowCount(), 100);
    // Thumbnails come for what is on screen (and the next screenful), not for all 100.
    ASSERT_TRUE(QTest::qWaitFor(
        [o] { return o->miniaturas().guardadas() > 0 && !o->miniaturas().ocupado(); }, 60000));
    const auto dibujadas = o->miniaturas().guardadas();
    EXPECT_GE(dibujadas, o->rejilla()->rejilla().columnas * 2);
    EXPECT_LT(dibujadas, 60u);

    o->boton("Aplicar")->click();
    EXPECT_TRUE(cerrado());
    EXPECT_TRUE(regeneraciones->empty()); // the same list: nothing to make again

    o = abrir();
    ASSERT_TRUE(o);
    clic(o, 0);
    clic(o, 2, Qt::ControlModifier);
    clic(o, 5, Qt::ShiftModifier);
    EXPECT_EQ(o->lineaMostrada(), "4 de 100 seleccionada"); // 3 to 6
    EXPECT_TRUE(o->barra()->mostrada());
    o->barra()->boton("Girar a la derecha (Ctrl+R)")->click();
    o->barra()->boton("Eliminar")->click();
    EXPECT_EQ(o->lineaMostrada(), "96 páginas");
    EXPECT_TRUE(o->boton("Deshacer")->isEnabled());
    o->boton("Aplicar")->click();
    EXPECT_TRUE(cerrado());
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(*regeneraciones, std::vector<std::size_t>{96});
    EXPECT_EQ(e().archivos[0].paginas.size(), 96u);
    EXPECT_TRUE(e().archivos[0].paginasEditadas());
    EXPECT_LE(e().archivos[0].miniaturas.size(), miniaturasIniciales);
    EXPECT_FALSE(e().archivos[0].miniaturas.empty());
    // "Restaurar" goes back to the file's pages and keeps the thumbnails.
    const auto miniaturas = e().archivos[0].miniaturas.size();
    vista->restaurarPaginas();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(*regeneraciones, (std::vector<std::size_t>{96, 100}));
    EXPECT_FALSE(e().archivos[0].paginasEditadas());
    EXPECT_EQ(e().archivos[0].miniaturas.size(), miniaturas);

    // "Cancelar" discards everything.
    o = abrir();
    ASSERT_TRUE(o);
    o->nucleo().seleccionarTodo();
    o->nucleo().girar(o->nucleo().estado().seleccion, 90);
    o->boton("Cancelar")->click();
    EXPECT_TRUE(cerrado());
    EXPECT_EQ(regeneraciones->size(), 2u);
    EXPECT_EQ(e().archivos[0].paginas[0].rotacion, 0);
}

TEST_F(OrganizadorVentana, InsertarExtraerYAtajos) {
    auto* o = abrir();
    ASSERT_TRUE(o);
    const Ruta bloqueado = LivoraPrueba::crearPDF("cerrado.pdf", LivoraPrueba::a4(2),
                                                  LivoraPrueba::Cifrado{"abre", "jefe"});
    const Ruta tres = LivoraPrueba::crearPDF("tres.pdf", LivoraPrueba::a4(3));
    clic(o, 9); // after page 10
    o->insertar({datos("foto_exif.jpg"), bloqueado, tres});
    EXPECT_TRUE(o->nucleo().estado().cargando);
    ASSERT_TRUE(QTest::qWaitFor([o] { return !o->nucleo().estado().cargando; }, 60000));
    const auto& est = o->nucleo().estado();
    ASSERT_EQ(est.paginas.size(), 104u);
    EXPECT_EQ(est.paginas[10].fuente.filename(), "foto_exif.pdf");
    EXPECT_EQ(est.paginas[11].fuente, tres);
    EXPECT_EQ(o->lineaMostrada(), "4 de 104 seleccionada");
    EXPECT_EQ(o->aviso()->texto(), "No se pudo añadir: cerrado.pdf");

    dialogos.destino = tmp.ruta() / "extraidas.pdf";
    o->barra()->boton("Extraer la selección como PDF")->click();
    ASSERT_TRUE(QTest::qWaitFor([o] { return !o->nucleo().estado().cargando; }, 60000));
    EXPECT_EQ(dialogos.propuestos.back(), "cien (páginas).pdf");
    EXPECT_EQ(o->aviso()->texto(), "✓ 4 páginas extraídas");
    EXPECT_EQ(paginasDe(*dialogos.destino).size(), 4u);
    ASSERT_FALSE(escritorio.revelados.empty());
    EXPECT_EQ(escritorio.revelados.back(), std::vector<Ruta>{*dialogos.destino});
    EXPECT_EQ(o->nucleo().estado().paginas.size(), 104u); // extraction leaves the list

    dialogos.destino = tmp.ruta() / "no" / "hay" / "carpeta.pdf";
    o->extraer({est.paginas[0].id});
    ASSERT_TRUE(QTest::qWaitFor([o] { return !o->nucleo().estado().cargando; }, 60000));
    EXPECT_EQ(o->aviso()->texto(), "La carpeta «hay» no existe");

    o->insertarBlanco();
    EXPECT_EQ(est.paginas.size(), 105u);

    // A page dragged over another takes its place while the pointer moves.
    const Uuid primera = est.paginas[0].id;
    o->nucleo().empezarArrastre(primera);
    auto* datos = new QMimeData;
    datos->setData(RejillaPaginas::tipoPagina, QByteArray::fromStdString(primera.texto()));
    QDragEnterEvent entra(centro(o, 0), Qt::MoveAction, datos, Qt::LeftButton, {});
    QCoreApplication::sendEvent(o->rejilla()->viewport(), &entra);
    QDragMoveEvent mov(centro(o, 3), Qt::MoveAction, datos, Qt::LeftButton, {});
    QCoreApplication::sendEvent(o->rejilla()->viewport(), &mov);
    EXPECT_EQ(est.paginas[3].id, primera);
    EXPECT_EQ(o->rejilla()->model()->index(3, 0).data(ModeloPaginas::RolArrastrada), true);
    o->nucleo().terminarArrastre();
    delete datos;

    // Keys act on the selection while the organiser is shown.
    o->rejilla()->setFocus();
    QTest::keyClick(o->rejilla(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(o->nucleo().estado().seleccion.size(), 105u);
    QTest::keyClick(o->rejilla(), Qt::Key_Delete);
    EXPECT_EQ(o->aviso()->texto(), "El PDF debe conservar al menos una página");
    QTest::keyClick(o->rejilla(), Qt::Key_Z, Qt::ControlModifier); // the drag, in one step
    EXPECT_EQ(est.paginas[0].id, primera);
    QTest::keyClick(o->rejilla(), Qt::Key_Return);
    EXPECT_TRUE(cerrado());
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(regeneraciones->back(), 105u);
}

} // namespace
