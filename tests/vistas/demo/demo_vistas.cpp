// A workbench for the workspace widgets with a real photo: the comparator (after = a JPEG
// re-encoded from the custom controls), the filter panel, the metadata row and the output
// controls. With --medir it plays a scripted session (zoom to 800 %, pans to the corners,
// divider drags, space, alternative switches, quality bursts) and prints the longest
// stall of the interface thread, measured by a 2 ms heartbeat timer.
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/metadatos.h"
#include "vistas/comparador.h"
#include "vistas/controles_personalizada.h"
#include "vistas/fila_objetivo.h"
#include "vistas/imagen_qt.h"
#include "vistas/metadatos_vista.h"
#include "vistas/panel_filtros.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QResource>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace Livora;

namespace {

struct Latido {
    QElapsedTimer reloj;
    qint64 ultimo = -1;
    std::vector<qint64> huecos;
    std::size_t paso = 0;
    std::vector<qint64> peorPorPaso = std::vector<qint64>(64, 0);
    void tic() {
        const qint64 t = reloj.nsecsElapsed();
        if (ultimo >= 0) {
            huecos.push_back(t - ultimo);
            peorPorPaso[paso] = std::max(peorPorPaso[paso], t - ultimo);
        }
        ultimo = t;
    }
};

// Time spent handling each event on the interface thread, wall clock and the thread's own
// CPU time: on a loaded machine the wall time also counts waiting for a core.
double cpuHilo() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

class App : public QApplication {
public:
    using QApplication::QApplication;
    bool midiendo = false;
    double peorPared = 0, peorCpu = 0;
    QEvent::Type peorTipo = QEvent::None;
    const char* peorObjeto = "";
    bool notify(QObject* o, QEvent* e) override {
        if (!midiendo || profundidad_ > 0) return QApplication::notify(o, e);
        ++profundidad_;
        QElapsedTimer t;
        t.start();
        const double c0 = cpuHilo();
        const bool r = QApplication::notify(o, e);
        const double pared = t.nsecsElapsed() / 1e6, cpu = cpuHilo() - c0;
        --profundidad_;
        if (cpu > peorCpu) {
            peorCpu = cpu;
            peorTipo = e->type();
        }
        if (pared > peorPared) {
            peorPared = pared;
            peorObjeto = o->metaObject()->className();
        }
        return r;
    }

private:
    int profundidad_ = 0;
};

void arrastrar(QWidget* w, QPoint desde, QPoint hasta, int pasos) {
    auto enviar = [w](QEvent::Type tipo, QPoint p, Qt::MouseButtons botones) {
        QMouseEvent e(tipo, p, w->mapToGlobal(p), Qt::LeftButton, botones, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    enviar(QEvent::MouseButtonPress, desde, Qt::LeftButton);
    for (int i = 1; i <= pasos; ++i)
        enviar(QEvent::MouseMove, desde + (hasta - desde) * i / pasos, Qt::LeftButton);
    enviar(QEvent::MouseButtonRelease, hasta, Qt::NoButton);
}

} // namespace

int main(int argc, char** argv) {
    App app(argc, argv);
    QStringList args = app.arguments();
    const bool medir = args.removeAll(QStringLiteral("--medir")) > 0;
    QString captura;
    if (int i = args.indexOf(QStringLiteral("--captura")); i >= 0 && i + 1 < args.size()) {
        captura = args.at(i + 1);
        args.remove(i, 2);
    }
    const QByteArray rcc = qgetenv("LIVORA_ICONOS_RCC");
    if (!rcc.isEmpty()) QResource::registerResource(QString::fromLocal8Bit(rcc));
    const Ruta ruta = args.size() > 1 ? Ruta(args.at(1).toStdString())
                                      : Ruta(LIVORA_DATOS_TEST) / "foto_exif.jpg";

    QElapsedTimer carga;
    carga.start();
    auto cargada = cargarImagen(ruta);
    if (!cargada) {
        std::fprintf(stderr, "No se pudo abrir %s\n", ruta.c_str());
        return 1;
    }
    const Imagen fuente = cargada->imagen;
    std::fprintf(stderr, "cargada %dx%d en %lld ms\n", fuente.width(), fuente.height(),
                 static_cast<long long>(carga.elapsed()));
    auto dir = dirTemporal();
    if (!dir) return 1;

    QWidget ventana;
    ventana.setWindowTitle(QStringLiteral("Livora · vistas"));
    auto* fila = new QHBoxLayout(&ventana);
    auto* izquierda = new QVBoxLayout;
    auto* comparador = new Comparador(&ventana);
    auto* filtros = new PanelFiltros(&ventana);
    izquierda->addWidget(comparador, 1);
    izquierda->addWidget(filtros);
    fila->addLayout(izquierda, 1);
    auto* inspector = new QVBoxLayout;
    auto* metadatos = new FilaMetadatos(&ventana);
    auto* controles = new ControlesPersonalizada(&ventana);
    auto* objetivo = new FilaObjetivo(&ventana);
    inspector->addWidget(metadatos);
    inspector->addWidget(objetivo);
    inspector->addWidget(controles);
    inspector->addStretch(1);
    auto* columna = new QWidget(&ventana);
    columna->setLayout(inspector);
    columna->setFixedWidth(340);
    fila->addWidget(columna);

    metadatos->setArchivo(QString::fromStdString(ruta.filename().string()),
                          resumenMetadatos(cargada->propiedades));
    controles->setFuente(TamanoFuente{fuente.width(), fuente.height()});
    comparador->setAntes(QSize(fuente.width(), fuente.height()), proveedorImagen(fuente));
    comparador->setIdentidad(QStringLiteral("demo-false"));

    // The after picture: the custom JPEG, encoded off the interface thread once per burst.
    AjustesImagen ajustes;
    int generacion = 0;
    QTimer espera;
    espera.setSingleShot(true);
    espera.setInterval(300);
    int regeneraciones = 0;
    auto regenerar = [&] {
        const int gen = ++generacion;
        ++regeneraciones;
        const AjustesImagen a = ajustes;
        const Ruta destino = *dir / ("personalizada-" + std::to_string(gen) + ".jpg");
        auto* vigilante = new QFutureWatcher<bool>(&ventana);
        QObject::connect(vigilante, &QFutureWatcher<bool>::finished, &ventana,
                         [&, vigilante, gen, destino] {
                             vigilante->deleteLater();
                             if (gen != generacion || !vigilante->result())
                                 return; // a newer run is on its way
                             comparador->setDespues(proveedorArchivo(destino));
                         });
        vigilante->setFuture(QtConcurrent::run([fuente, a, destino] {
            auto [w, h] = dimensionesCustom(fuente, a);
            Imagen img = (w != fuente.width() || h != fuente.height()) ? redimensionar(fuente, w, h)
                                                                       : fuente;
            auto bytes = codificar(img, Formato::JPEG, a.calidadCustom / 100.0, nullptr);
            return bytes && escribirArchivo(destino, *bytes).ok();
        }));
    };
    QObject::connect(&espera, &QTimer::timeout, &ventana, regenerar);
    QObject::connect(controles, &ControlesPersonalizada::ajustesCambiados, &ventana,
                     [&](const AjustesImagen& a) { ajustes = a; });
    QObject::connect(controles, &ControlesPersonalizada::regeneracionPedida, &espera,
                     qOverload<>(&QTimer::start));
    QObject::connect(filtros, &PanelFiltros::filtrosCambiados, filtros, &PanelFiltros::setFiltros);
    regenerar();

    ventana.resize(1280, 820);
    ventana.show();

    if (!captura.isEmpty()) {
        QTimer::singleShot(1500, &ventana, [&] {
            for (int i = 0; i < 3; ++i)
                comparador->acercar();
            QTimer::singleShot(1500, &ventana, [&] {
                ventana.grab().save(captura);
                app.quit();
            });
        });
    }
    if (!medir) return app.exec();

    Latido latido;
    latido.reloj.start();
    QTimer pulso;
    pulso.setInterval(2);
    QObject::connect(&pulso, &QTimer::timeout, [&] { latido.tic(); });

    // The script: each step runs, then lets the loop breathe for a moment.
    std::vector<std::function<void()>> pasos;
    const QRectF m0 = comparador->marco();
    auto centro = [&] { return comparador->marco().center().toPoint(); };
    for (int i = 0; i < 6; ++i)
        pasos.push_back([&] { comparador->acercar(); });
    for (QPoint d : {QPoint(4000, 4000), QPoint(-8000, 0), QPoint(0, -8000), QPoint(8000, 0)})
        pasos.push_back([&, d] {
            const QPoint inicio = centro() + QPoint(int(m0.width() / 4), 0);
            arrastrar(comparador, inicio, inicio + d, 40);
        });
    pasos.push_back([&] {
        const QRectF m = comparador->marco();
        const QPoint divisor(int(m.left() + m.width() * comparador->estado().pos),
                             int(m.center().y()));
        arrastrar(comparador, divisor, divisor + QPoint(-200, 0), 40);
    });
    for (int i = 0; i < 4; ++i)
        pasos.push_back([&] { comparador->alternarLado(); });
    for (int q : {60, 55, 50, 45, 40, 35})
        pasos.push_back([&, q] {
            AjustesImagen a = ajustes;
            a.calidadCustom = q;
            controles->setAjustes(a);
            ajustes = a;
            espera.start();
        });
    for (int i = 0; i < 6; ++i)
        pasos.push_back([&] { comparador->alejar(); });
    pasos.push_back([&] { ventana.resize(1000, 700); });
    pasos.push_back([&] { ventana.resize(1280, 820); });
    pasos.push_back([&] {
        comparador->acercar();
        comparador->acercar();
        comparador->acercar();
    });

    std::size_t i = 0;
    QTimer guion;
    guion.setInterval(350);
    QObject::connect(&guion, &QTimer::timeout, [&] {
        if (i < pasos.size()) {
            latido.paso = i;
            pasos[i++]();
            return;
        }
        guion.stop();
        pulso.stop();
        std::vector<qint64> h = latido.huecos;
        std::sort(h.begin(), h.end());
        const auto ms = [](qint64 ns) { return ns / 1e6; };
        std::printf("pasos %zu, regeneraciones %d, latidos %zu, hueco máximo %.1f ms, p99 %.1f ms, "
                    "mediana %.1f ms\n",
                    pasos.size(), regeneraciones, h.size(), ms(h.back()),
                    ms(h[h.size() * 99 / 100]), ms(h[h.size() / 2]));
        std::printf("evento más largo: %.1f ms de pared (%s), el de más CPU del hilo %.1f ms "
                    "(tipo %d)\n",
                    app.peorPared, app.peorObjeto, app.peorCpu, int(app.peorTipo));
        if (qEnvironmentVariableIsSet("LIVORA_DETALLE"))
            for (std::size_t k = 0; k < pasos.size(); ++k)
                std::printf("  paso %zu: %.1f ms\n", k, ms(latido.peorPorPaso[k]));
        app.quit();
    });
    // Start after the first decodes have settled: the stall of interest is interaction.
    QTimer::singleShot(2000, [&] {
        latido.ultimo = -1;
        app.midiendo = true;
        pulso.start();
        guion.start();
    });
    return app.exec();
}
