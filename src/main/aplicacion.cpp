#include "main/aplicacion.h"

#include "main/actualizador.h"
#include "main/dialogos_qt.h"
#include "main/estilo.h"
#include "main/iconos.h"
#include "main/instancia.h"
#include "main/preferencias.h"
#include "main/reloj_qt.h"
#include "main/senales.h"
#include "main/traducciones.h"
#include "main/ventana.h"
#include "motor/codec.h"
#include "vistas/prioridad.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include <algorithm>

#include <malloc.h>

namespace Livora {

namespace {

QStringList rutasAbsolutas(const QStringList& args) {
    QStringList r;
    for (const QString& a : args) {
        if (a.startsWith("--")) continue;
        const QUrl url(a);
        r << QFileInfo(url.isLocalFile() ? url.toLocalFile() : a).absoluteFilePath();
    }
    return r;
}

} // namespace

int ejecutarAplicacion(int argc, char** argv) {
    // An arena of its own for every thread: a worker sharing the interface thread's arena
    // held its lock while it waited for a core at nice 10-19, and the interface thread
    // waited behind it in malloc (stalls of 20-40 ms). Pictures do not stay in the arenas:
    // they are mapped on their own (below).
    mallopt(M_ARENA_MAX, 64);
    // Pictures are tens of MB: mapped on their own, they go back to the system when freed
    // instead of waiting in the heap for a trim (setting it also stops glibc from raising
    // the threshold after each freed picture).
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    LocaleEspanol localeEspanol;
    QApplication app(argc, argv);
    localeEspanol.devolver();
    acortarTurnos();
    iniciarRecursos();
    QApplication::setApplicationName("Livora");
    QApplication::setApplicationVersion(LIVORA_VERSION);
    QApplication::setDesktopFileName("livora");
    QApplication::setWindowIcon(QIcon(":/livora/livora.svg"));
    instalarEspanol(app);
    // The desktop's own file and colour dialogs would speak the session's language; Qt's
    // speak Spanish with the catalogue above.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    // The base size is the application font, not a style-sheet rule: a rule on every
    // widget would override the fonts that captions, badges and popovers set themselves.
    QFont base = QApplication::font();
    base.setPixelSize(13);
    QApplication::setFont(base);
    app.setStyleSheet(Estilo::hojaEstilo());

    const QStringList archivos = rutasAbsolutas(app.arguments().mid(1));
    InstanciaUnica instancia;
    if (instancia.enviar(archivos)) return 0;
    instancia.escuchar();

    iniciarMotor();
    RelojQt reloj;
    EscritorioQt escritorio;
    DialogosQt dialogos(nullptr);
    // The only setting kept between runs (declared first: it outlives the window's state).
    QSettings ajustes(QSettings::NativeFormat, QSettings::UserScope, "livora", "livora");
    VistaPrincipal vista({&dialogos, &escritorio, &reloj, MotorVentana::real()});
    recordarBarraLateral(vista, ajustes);
    VentanaPrincipal ventana(vista);
    dialogos = DialogosQt(&ventana);

    Actualizador actualizador(Actualizador::urlConfigurada(), LIVORA_VERSION);
    QObject::connect(&ventana, &VentanaPrincipal::buscarActualizaciones, &actualizador,
                     &Actualizador::buscar);
    QObject::connect(&actualizador, &Actualizador::terminado, &ventana,
                     [&ventana](const ResultadoActualizacion& r) {
                         QMessageBox::information(&ventana, "Buscar actualizaciones", r.texto());
                     });

    auto abrir = [&vista, &ventana](const QStringList& rutas) {
        std::vector<Ruta> r;
        for (const QString& x : rutas)
            r.emplace_back(x.toStdString());
        vista.procesarRutas(r);
        ventana.raise();
        ventana.activateWindow();
    };
    QObject::connect(&instancia, &InstanciaUnica::archivosRecibidos, &ventana, abrir);
    atenderSenales(&ventana, [&ventana] { ventana.close(); });
    ventana.show();
    QTimer::singleShot(0, &ventana, [abrir, archivos] { abrir(archivos); });

    // LIVORA_CAPTURA=archivo.png: once the work is done, save a picture of the window and
    // quit (used for the documentation's screenshots).
    QTimer captura;
    if (const QString destino = qEnvironmentVariable("LIVORA_CAPTURA"); !destino.isEmpty()) {
        const int espera = qEnvironmentVariableIntValue("LIVORA_CAPTURA_ESPERA");
        captura.setInterval(std::max(espera, 1500));
        QObject::connect(&captura, &QTimer::timeout, &ventana, [&, destino] {
            if (vista.trabajosEnCurso() > 0) return;
            ventana.grab().save(destino);
            QApplication::quit();
        });
        captura.start();
    }
    return app.exec();
}

} // namespace Livora
