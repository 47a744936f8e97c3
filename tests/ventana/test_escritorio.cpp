// The window as a desktop citizen: background removal that says why it cannot run, drops
// handled after the drop returns, arrow keys that belong to the focused field, Tab order
// and accessible names, the sidebar remembered between runs, rows never deleted under
// their own handlers, the shared spring and Qt's texts in Spanish.
#include "main/barra_lateral.h"
#include "main/estilo.h"
#include "main/inicio.h"
#include "main/inspector.h"
#include "main/panel_derecho.h"
#include "main/preferencias.h"
#include "main/traducciones.h"
#include "main/ventana.h"
#include "organizador/rejilla.h"
#include "soporte.h"
#include "vistas/animacion.h"
#include "vistas/controles_personalizada.h"
#include "vistas/fila_objetivo.h"

#include <QAccessible>
#include <QColorDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSettings>
#include <QSlider>
#include <QToolButton>

#include <clocale>

using namespace Livora;
using namespace prueba;

namespace {

using LivoraPrueba::Entorno;

class Escritorio : public ConVentana {
protected:
    std::atomic<int> regeneraciones{0};

    // Images open at once; regenerations give one transparent output with sinFondo.
    void abrirVentana(MotorVentana m, const std::function<void()>& antesDeLaVentana = {}) {
        m.cadenaImagen = [this](const EntradaCadena& e) {
            ++regeneraciones;
            return Resultado<std::vector<Variante>>(
                registroFalso(tmp.ruta() / "x.jpg", tmp.ruta(), 1000,
                              e.sinFondo
                                  ? Salidas{{"sin-fondo", 500}}
                                  : Salidas{{"alta", 410}, {"media", 310}, {"personalizada", 910}})
                    .variantes);
        };
        crear(m);
        if (antesDeLaVentana) antesDeLaVentana();
        mostrarVentana();
    }
    void abrirVentana() { abrirVentana(motorRapido()); }
};

// ---- Background removal without a usable model -------------------------------------------

TEST_F(Escritorio, QuitarFondoSinModeloDiceElMotivoYNoFingeUnaSalida) {
    const std::string roto = (tmp.ruta() / "roto.onnx").string();
    tmp.escribir("roto.onnx", "esto no es una red");
    struct Caso {
        std::string modelo;
        bool botonActivo;     // before pressing
        std::string comienzo; // of the notice after pressing
    };
    const Caso casos[] = {
        {(tmp.ruta() / "no-existe.onnx").string(), false,
         "❌ Falta el modelo para quitar el fondo: LIVORA_MODELO señala "},
        {roto, true, "❌ El modelo para quitar el fondo está dañado (" + roto + ")"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.modelo);
        Entorno modelo("LIVORA_MODELO", c.modelo);
        abrirVentana();
        abrir("foto.jpg");
        QToolButton* boton = ventana->boton("Quitar fondo");
        EXPECT_EQ(boton->isEnabled(), c.botonActivo);
        if (!c.botonActivo) {
            EXPECT_EQ(boton->toolTip().toStdString(), e().fondoNoDisponible);
            EXPECT_NE(e().fondoNoDisponible.find("no existe"), std::string::npos);
        }
        const auto antes = e().archivoActivo()->variantes;
        vista->alternarSinFondo();
        ASSERT_TRUE(esperarTrabajos(*vista));
        EXPECT_EQ(e().mensaje.rfind(c.comienzo, 0), 0u) << e().mensaje;
        // No regeneration, no "transparent" output that kept its background.
        EXPECT_EQ(regeneraciones.load(), 0);
        EXPECT_FALSE(e().archivoActivo()->sinFondo);
        ASSERT_EQ(e().archivoActivo()->variantes.size(), antes.size());
        EXPECT_EQ(e().archivoActivo()->variantes[0].id, antes[0].id);
        // From then on the button says why.
        EXPECT_FALSE(boton->isEnabled());
        EXPECT_EQ(boton->toolTip().toStdString(), e().mensaje.substr(std::string("❌ ").size()));
        TearDown();
    }
}

TEST_F(Escritorio, ConElModeloQuitarFondoCargaLaRedYLuegoRegenera) {
    MotorVentana m = motorRapido();
    auto cargas = std::make_shared<std::atomic<int>>(0);
    auto hay = std::make_shared<std::atomic<bool>>(true);
    m.modeloFondo = [cargas, hay](bool cargar) -> Resultado<Ruta> {
        if (!*hay) return error("sin modelo");
        *cargas += cargar ? 1 : 0;
        return Ruta("/modelo.onnx");
    };
    abrirVentana(m);
    abrir("foto.jpg");
    EXPECT_TRUE(ventana->boton("Quitar fondo")->isEnabled());
    vista->alternarSinFondo();
    EXPECT_TRUE(e().procesando);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(cargas->load(), 1);
    EXPECT_TRUE(e().archivoActivo()->sinFondo);
    EXPECT_EQ(elegida(), "sin-fondo");
    EXPECT_EQ(ventana->boton("Quitar fondo")->toolTip(), "Restaurar el fondo");
    // Restoring never needs the model.
    *hay = false;
    vista->alternarSinFondo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_FALSE(e().archivoActivo()->sinFondo);
    EXPECT_EQ(regeneraciones.load(), 2);
}

// ---- Drops -------------------------------------------------------------------------------

TEST_F(Escritorio, UnPDFProtegidoSoltadoPideLaContrasenaCuandoElSoltarYaTermino) {
    MotorVentana m = motorRapido();
    m.estadoPDF = [](const Ruta&) { return MotorVentana::AperturaPDF::Bloqueado; };
    abrirVentana(m);
    auto* datos = new QMimeData;
    datos->setUrls(
        {QUrl::fromLocalFile(QString::fromStdString((tmp.ruta() / "secreto.pdf").string()))});
    const QPoint centro = ventana->rect().center();
    QDragEnterEvent entra(centro, Qt::CopyAction, datos, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ventana.get(), &entra);
    EXPECT_TRUE(e().arrastrando);
    QDropEvent suelta(centro, Qt::CopyAction, datos, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ventana.get(), &suelta);
    // The file manager's drag has its answer before any dialog runs.
    EXPECT_TRUE(suelta.isAccepted());
    EXPECT_FALSE(e().arrastrando);
    EXPECT_TRUE(dialogos.titulos.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogos.titulos, std::vector<std::string>{"«secreto.pdf» está protegido"});
    delete datos;
}

// ---- Keyboard ----------------------------------------------------------------------------

TEST_F(Escritorio, FlechasEligenSalidaSoloSinUnCampoQueLasUse) {
    abrirVentana();
    abrir("foto.jpg");
    vista->moverSeleccion(+2); // "personalizada" shows its controls
    auto* insp = ventana->inspector();
    auto* ancho = insp->controlesPersonalizada()->findChildren<QLineEdit*>().value(0);
    auto* calidad = insp->controlesPersonalizada()->findChild<QSlider*>();
    auto* objetivo = insp->filaObjetivo()->findChild<QLineEdit*>();
    ASSERT_TRUE(ancho && calidad && objetivo);
    struct Caso {
        QWidget* foco;
        bool mueve;
    };
    const Caso casos[] = {
        {ancho, false},
        {objetivo, false},
        {calidad, false},
        {ventana->lateral()->lista(), false},
        {insp->filas().front(), true},
        {insp->botonGuardar(), true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.foco->metaObject()->className());
        vista->elegirVariante(e().archivoActivo()->variantes[1].id);
        const int valor = calidad->value();
        c.foco->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(c.foco->hasFocus());
        QTest::keyClick(c.foco, Qt::Key_Down);
        EXPECT_EQ(elegida(), c.mueve ? "personalizada" : "media");
        if (c.foco == calidad) {
            EXPECT_LT(calidad->value(), valor) << "the slider took the key";
        }
    }
}

TEST_F(Escritorio, TabRecorreLosControlesEnOrdenYCadaUnoTieneNombre) {
    abrirVentana();
    abrir("a.jpg");
    abrir("b.jpg");
    vista->moverSeleccion(+2);
    QWidget* primero = ventana->boton("Inicio");
    primero->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(primero->hasFocus());
    QStringList nombres;
    QList<QWidget*> vistos;
    for (int i = 0; i < 80; ++i) {
        QWidget* f = QApplication::focusWidget();
        if (vistos.contains(f)) break;
        vistos << f;
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(f);
        const QString nombre = acc ? acc->text(QAccessible::Name) : QString();
        EXPECT_FALSE(nombre.trimmed().isEmpty())
            << f->metaObject()->className() << " " << f->objectName().toStdString();
        nombres << nombre;
        QTest::keyClick(f, Qt::Key_Tab);
    }
    // Toolbar, then the sidebar, then the content, the inspector and the save buttons.
    const QStringList hitos = {"Inicio",          "Recortar", "Inspector", "Unir todo en un PDF",
                               "Añadir archivos", "Calidad",  "Ancho",     "Guardar",
                               "Guardar lote"};
    qsizetype desde = 0;
    for (const QString& h : hitos) {
        const qsizetype i = nombres.indexOf(h, desde);
        EXPECT_GE(i, desde) << h.toStdString() << " in " << nombres.join(" | ").toStdString();
        if (i >= 0) {
            desde = i;
        }
    }
    // Every alternative row is a stop, named by what it shows.
    for (const auto& v : e().archivoActivo()->variantes)
        EXPECT_TRUE(std::any_of(nombres.begin(), nombres.end(), [&](const QString& n) {
            return n.startsWith(QString::fromStdString(v.nombre) + ", ");
        })) << v.nombre;
}

// ---- Sidebar -----------------------------------------------------------------------------

TEST_F(Escritorio, LaBarraLateralSeOcultaConF9YSeRecuerdaEntreSesiones) {
    const QString archivo = QString::fromStdString((tmp.ruta() / "livora.conf").string());
    {
        QSettings ajustes(archivo, QSettings::IniFormat);
        abrirVentana(motorRapido(), [&] { recordarBarraLateral(*vista, ajustes); });
        abrir("foto.jpg");
        EXPECT_EQ(ventana->accionBarraLateral()->text(), "Ocultar barra lateral");
        QTest::keyClick(ventana.get(), Qt::Key_F9);
        EXPECT_FALSE(e().mostrarBarraLateral);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ventana->lateral()->isVisible(); }, 5000));
        EXPECT_EQ(ventana->accionBarraLateral()->text(), "Mostrar barra lateral");
        TearDown();
    }
    {
        QSettings ajustes(archivo, QSettings::IniFormat);
        abrirVentana(motorRapido(), [&] { recordarBarraLateral(*vista, ajustes); });
        abrir("foto.jpg");
        EXPECT_FALSE(e().mostrarBarraLateral);
        EXPECT_FALSE(ventana->lateral()->isVisible());
        ventana->accionBarraLateral()->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ventana->lateral()->width() >= 210; }, 5000));
        EXPECT_EQ(QSettings(archivo, QSettings::IniFormat).value("ventana/mostrarBarraLateral"),
                  true);
    }
}

// ---- Rows and their handlers -------------------------------------------------------------

TEST_F(Escritorio, UnaFilaReemplazadaDentroDeSuPropioClicSeBorraAlTerminarElClic) {
    abrirVentana();
    abrir("foto.jpg");
    auto* insp = ventana->inspector();
    QPointer<FilaVariante> fila = insp->filas().back();
    bool vivaAlReemplazar = false;
    // A regeneration landing while the row still handles its click replaces every row.
    QObject::connect(fila, &FilaVariante::elegida, insp, [&] {
        vista->regenerarActivo();
        esperarTrabajos(*vista);
        vivaAlReemplazar = !fila.isNull() && fila->retirada();
    });
    QTest::mouseClick(fila, Qt::LeftButton);
    EXPECT_TRUE(vivaAlReemplazar);
    ASSERT_FALSE(fila.isNull()) << "deleted inside its own handler";
    EXPECT_FALSE(fila->isVisible());
    EXPECT_EQ(insp->filas().size(), 3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fila.isNull());
}

TEST_F(Escritorio, FilasDeLaBarraLateralEntranYSalenAnimadas) {
    abrirVentana();
    abrir("a.jpg");
    auto* lista = ventana->lateral()->lista();
    // What the list shows right after the window has taken each change.
    std::vector<int> altos;
    QObject::connect(vista.get(), &VistaPrincipal::cambiado, ventana.get(), [&] {
        if (lista->count() == 2) altos.push_back(lista->item(1)->sizeHint().height());
    });
    abrir("b.jpg");
    ASSERT_FALSE(altos.empty());
    EXPECT_LT(altos.front(), 46) << "the new row grows into place";
    EXPECT_TRUE(QTest::qWaitFor([&] { return lista->item(1)->sizeHint().height() == 46; }, 5000));
    vista->quitar(e().archivos[0].id);
    EXPECT_EQ(ventana->lateral()->filasSaliendo(), 1);
    EXPECT_EQ(lista->currentRow(), 1) << "the remaining record stays chosen";
    EXPECT_TRUE(QTest::qWaitFor([&] { return lista->count() == 1; }, 5000));
    EXPECT_EQ(e().archivoActivoID, e().archivos[0].id);
    EXPECT_EQ(lista->currentRow(), 0);
}

// ---- Motion ------------------------------------------------------------------------------

TEST(Muelle, DeCeroAUnoConElRebotePropioDeCadaMuelle) {
    struct Caso {
        Muelle m;
        double rebote; // highest point above 1
    };
    for (const Caso& c : {Caso{muelle, 0.015}, Caso{muelleVivo, 0.046}}) {
        EXPECT_EQ(posicionMuelle(c.m, 0), 0);
        EXPECT_EQ(posicionMuelle(c.m, asentamientoMuelle(c.m)), 1);
        double maximo = 0;
        for (double t = 0; t < asentamientoMuelle(c.m); t += 0.001)
            maximo = std::max(maximo, posicionMuelle(c.m, t));
        EXPECT_NEAR(maximo - 1, c.rebote, 0.003);
        // Half of the way is covered early in the response.
        EXPECT_GT(posicionMuelle(c.m, c.m.respuesta / 4), 0.5);
        // Stepped frame by frame (the organiser's cells) it settles within a second and a
        // half, with a small overshoot.
        MuelleEnCurso enCurso{c.m.respuesta, c.m.amortiguamiento};
        enCurso.fijar(0);
        enCurso.destino = 100;
        double pico = 0;
        int pasos = 0;
        for (; !enCurso.enReposo() && pasos < 200; ++pasos) {
            enCurso.avanzar(1.0 / 60);
            pico = std::max(pico, enCurso.valor);
        }
        EXPECT_LT(pasos, 90);
        EXPECT_EQ(enCurso.valor, 100);
        EXPECT_LT(pico, 112);
    }
    EXPECT_NEAR(asentamientoMuelle(muelle), 0.43, 0.01);
    EXPECT_EQ(curva(Transicion::Muelle).valueForProgress(1), 1);
    EXPECT_GT(curva(Transicion::MuelleVivo).valueForProgress(0.5), 1);
}

TEST_F(Escritorio, TransicionesDeLaVentana) {
    abrirVentana();
    // The wand bounces whenever a drag comes or goes.
    auto* varita = ventana->inicio()->varita();
    vista->setArrastrando(true);
    EXPECT_TRUE(varita->rebotando());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !varita->rebotando(); }, 5000));
    vista->setArrastrando(false);
    EXPECT_TRUE(varita->rebotando());
    // The start screen fades into the workspace, pictured at its size also after a resize
    // (the picture and the screen's background are kept per size): its corners show the
    // background as the screen draws it now.
    ventana->resize(ventana->width() + 37, ventana->height() + 23);
    QTest::qWait(500);
    QImage inicio, fundido;
    auto c = QObject::connect(vista.get(), &VistaPrincipal::cambiado, ventana.get(), [&] {
        if (auto* capa = ventana->findChild<QLabel*>("fundido"); capa && fundido.isNull()) {
            inicio = ventana->inicio()->grab().toImage();
            fundido = capa->pixmap().toImage().convertToFormat(inicio.format());
        }
    });
    abrir("foto.jpg");
    QObject::disconnect(c);
    ASSERT_FALSE(fundido.isNull());
    ASSERT_EQ(fundido.size(), inicio.size());
    QImage fondo(inicio.size(), QImage::Format_ARGB32);
    {
        QPainter p(&fondo);
        Estilo::pintarFondoInicio(p, QRectF(QPointF(), fondo.size()));
    }
    auto igualAlFondo = [&](const QImage& img, QPoint esquina) {
        int peor = 0;
        for (int y = esquina.y(); y < esquina.y() + 40; ++y)
            for (int x = esquina.x(); x < esquina.x() + 40; ++x) {
                const QRgb a = img.pixel(x, y), b = fondo.pixel(x, y);
                peor = std::max({peor, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b))});
            }
        return peor <= 2;
    };
    for (const QPoint esquina : {QPoint(0, 0), QPoint(inicio.width() - 40, inicio.height() - 40)}) {
        EXPECT_TRUE(igualAlFondo(inicio, esquina));
        EXPECT_TRUE(igualAlFondo(fundido, esquina));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ventana->findChild<QLabel*>("fundido"); }, 5000));
    // The pill's number rolls to the new size; the chosen row's look follows.
    PastillaPeso* pastilla = ventana->panel()->pastilla();
    EXPECT_EQ(pastilla->textoAhorro(), "−60 %");
    EXPECT_TRUE(pastilla->esVerde());
    vista->moverSeleccion(+1);
    EXPECT_TRUE(pastilla->cambiando());
    EXPECT_EQ(pastilla->textoSalida(), "300 bytes");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pastilla->cambiando(); }, 5000));
    auto filas = ventana->inspector()->filas();
    EXPECT_FALSE(filas[0]->esElegida());
    EXPECT_TRUE(filas[1]->esElegida());
    // Green with a saving, orange without.
    vista->moverSeleccion(+1);
    EXPECT_EQ(pastilla->textoAhorro(), "+100 %");
    EXPECT_FALSE(pastilla->esVerde());
}

// ---- Qt's own texts ----------------------------------------------------------------------

TEST(Espanol, MenusYDialogosDeQtEnEspanol) {
    // The test program starts like the application (see main.cpp).
    QLineEdit campo;
    std::unique_ptr<QMenu> menu(campo.createStandardContextMenu());
    QStringList textos;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) textos << a->text().section('\t', 0, 0);
    EXPECT_EQ(textos, (QStringList{"&Deshacer", "&Rehacer", "Cor&tar", "&Copiar", "&Pegar",
                                   "Borrar", "Seleccionar todo"}));

    auto textosDe = [](QWidget& w) {
        QStringList r;
        for (auto* b : w.findChildren<QAbstractButton*>())
            r << b->text();
        for (auto* l : w.findChildren<QLabel*>())
            r << l->text();
        return r.join("|");
    };
    QColorDialog color;
    color.setCurrentColor(QColor(0x4f, 0x6b, 0xed));
    const QString c = textosDe(color);
    // LIVORA_CAPTURAS=carpeta: a picture of the dialog for the documentation.
    if (const QString dir = qEnvironmentVariable("LIVORA_CAPTURAS"); !dir.isEmpty()) {
        color.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&color));
        EXPECT_TRUE(color.grab().save(dir + "/dialogo_color.png"));
    }
    for (const char* t : {"&Tono:", "&Saturación:", "Aceptar", "Cancelar", "Colores &básicos"})
        EXPECT_TRUE(c.contains(QString::fromUtf8(t))) << t << " in " << c.toStdString();
    QFileDialog archivo;
    archivo.setOption(QFileDialog::DontUseNativeDialog);
    const QString f = textosDe(archivo);
    for (const char* t : {"Nombre de fichero:", "Cancelar"})
        EXPECT_TRUE(f.contains(QString::fromUtf8(t))) << t << " in " << f.toStdString();
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), "Carpeta");

    // Dates in Qt's dialogs are Spanish; the C library keeps the session's locale.
    EXPECT_EQ(QLocale::system().toString(QDate(2026, 12, 6), "d MMM yyyy"), "6 dic 2026");
    const std::string c_locale = std::setlocale(LC_ALL, nullptr);
    EXPECT_EQ(c_locale.find("es_ES"), std::string::npos) << c_locale;
}

} // namespace
