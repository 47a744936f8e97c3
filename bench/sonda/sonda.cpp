// A timer every 5 ms on the GUI thread; each tick logs how late it came, so the longest
// stall of the event loop can be read afterwards. Lines: "<epoch ms> <lateness ms>".
// With LIVORA_SONDA_PILAS=FILE a watchdog thread also interrupts the GUI thread while a tick
// is over 30 ms late (LIVORA_SONDA_PILAS_MS sets another threshold) and appends its stack to
// FILE, to find what stalls it.
// With LIVORA_SONDA_ORDEN=FILE the probe acts on the window when FILE appears (and removes
// it): "metadatos" clicks the "Quitar metadatos" switch, which regenerates every open image;
// "inicio" triggers "Inicio" (close everything and go back to the start screen).
// With LIVORA_SONDA_PINTURAS=FILE every paint of the before/after comparator is logged as
// "<epoch ms> <what each side shows> <its accessible description (the file)>", e.g.
// "1796600867670 antes=nitida despues=previa foto-09.jpg", and every connection a second
// launch makes to the running window as "<epoch ms> traspaso", so the time a switch of
// records takes to show can be read afterwards.
// With LIVORA_SONDA_RESPONDER=BUTTON it answers a modal question by clicking the button
// with that text, as a user would, and appends the question's text to the file named by
// LIVORA_SONDA_PREGUNTAS.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<qint64> ultimoTic{0}; // steady clock, ns
int fdPilas = -1;

void alSenal(int) {
    void* marcos[64];
    const int n = backtrace(marcos, 64);
    const char separador[] = "----\n";
    [[maybe_unused]] auto r = write(fdPilas, separador, sizeof separador - 1);
    backtrace_symbols_fd(marcos, n, fdPilas);
}

qint64 ahoraNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void vigilar(pthread_t gui, qint64 umbralNs) {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(umbralNs < 20'000'000 ? 5 : 20));
        const qint64 t = ultimoTic.load();
        if (t != 0 && ahoraNs() - t > umbralNs) pthread_kill(gui, SIGPROF);
    }
}

void empezarVigia() {
    const char* ruta = std::getenv("LIVORA_SONDA_PILAS");
    if (!ruta || !*ruta) return;
    fdPilas = open(ruta, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    if (fdPilas < 0) return;
    void* calentar[2];
    backtrace(calentar, 2); // loads libgcc now, not inside the handler
    struct sigaction sa {};
    sa.sa_handler = alSenal;
    sa.sa_flags = SA_RESTART;
    sigaction(SIGPROF, &sa, nullptr);
    const qint64 umbralMs = qEnvironmentVariableIntValue("LIVORA_SONDA_PILAS_MS");
    std::thread(vigilar, pthread_self(), (umbralMs > 0 ? umbralMs : 30) * 1'000'000).detach();
}

class Pinturas : public QObject {
public:
    explicit Pinturas(const char* ruta) : archivo_(QString::fromLocal8Bit(ruta)) {
        archivo_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        const char* clase = o->metaObject()->className();
        if (e->type() == QEvent::Paint && std::strstr(clase, "Comparador") != nullptr) {
            // Read before the paint runs: what the comparator holds is what it draws.
            auto* w = static_cast<QWidget*>(o);
            escribir(o->property("pintura").toString().toUtf8() + ' ' +
                     w->accessibleDescription().toUtf8());
        } else if (e->type() == QEvent::ChildAdded && std::strcmp(clase, "QLocalServer") == 0) {
            // The single-instance server accepting a second launch: the hand-over starts.
            escribir("traspaso");
        }
        return false;
    }

private:
    void escribir(const QByteArray& que) {
        archivo_.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' + que + '\n');
        archivo_.flush();
    }

    QFile archivo_;
};

class Sonda : public QObject {
public:
    explicit Sonda(const QString& ruta) : archivo_(ruta) {
        if (const char* p = std::getenv("LIVORA_SONDA_PINTURAS"); p && *p) new Pinturas(p);
        archivo_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        tic_.setTimerType(Qt::PreciseTimer);
        tic_.setInterval(periodoMs);
        connect(&tic_, &QTimer::timeout, this, &Sonda::tic);
        tic_.start();
        reloj_.start();
        empezarVigia();
        respuesta_ = qEnvironmentVariable("LIVORA_SONDA_RESPONDER");
        if (!respuesta_.isEmpty()) {
            responder_.setInterval(200);
            connect(&responder_, &QTimer::timeout, this, &Sonda::responder);
            responder_.start();
        }
    }
    ~Sonda() override { volcar(); }

private:
    static constexpr qint64 periodoMs = 5;

    void tic() {
        const qint64 ahora = reloj_.nsecsElapsed();
        ultimoTic.store(ahoraNs());
        const double retraso = double(ahora - anterior_) / 1e6 - periodoMs;
        anterior_ = ahora;
        if (fdPilas >= 0 && retraso > 25) {
            char linea[64];
            const int n = std::snprintf(linea, sizeof linea, "tarde %.6f %.2f\n",
                                        double(ahoraNs()) / 1e9, retraso);
            [[maybe_unused]] auto r = write(fdPilas, linea, static_cast<std::size_t>(n));
        }
        pendiente_ += QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' +
                      QByteArray::number(std::max(retraso, 0.0), 'f', 2) + '\n';
        // Written in batches so the probe itself does not stall the loop it measures, but
        // often enough that little is lost when the window is killed.
        if (ahora - volcado_ > 100'000'000) {
            volcar();
            volcado_ = ahora;
            obedecer();
        }
    }

    void obedecer() {
        static const char* orden = std::getenv("LIVORA_SONDA_ORDEN");
        if (!orden || !*orden || !QFile::exists(QString::fromLocal8Bit(orden))) return;
        QFile f(QString::fromLocal8Bit(orden));
        f.open(QIODevice::ReadOnly);
        const QByteArray que = f.readAll().trimmed();
        f.close();
        f.remove();
        if (que == "inicio") {
            for (QWidget* w : QApplication::allWidgets())
                for (QAction* a : w->actions())
                    if (a->text() == QStringLiteral("Inicio") && a->isEnabled()) {
                        a->trigger();
                        return;
                    }
            return;
        }
        if (que != "metadatos") return;
        for (QWidget* w : QApplication::allWidgets())
            if (auto* b = qobject_cast<QAbstractButton*>(w);
                b && b->text().startsWith(QStringLiteral("Quitar metadatos")) && b->isVisible()) {
                b->click();
                return;
            }
    }

    void responder() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        for (QAbstractButton* b : modal->findChildren<QAbstractButton*>()) {
            if (b->text() != respuesta_) continue;
            QFile f(qEnvironmentVariable("LIVORA_SONDA_PREGUNTAS"));
            if (auto* m = qobject_cast<QMessageBox*>(modal);
                m && f.open(QIODevice::Append | QIODevice::Text))
                f.write(m->text().toUtf8() + '\n');
            b->click();
            return;
        }
    }

    void volcar() {
        archivo_.write(pendiente_);
        archivo_.flush();
        pendiente_.clear();
    }

    QFile archivo_;
    QTimer tic_;
    QElapsedTimer reloj_;
    qint64 anterior_ = 0;
    qint64 volcado_ = 0;
    QByteArray pendiente_;
    QString respuesta_;
    QTimer responder_;
};

} // namespace

class PluginSonda : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "sonda.json")

public:
    QObject* create(const QString& clave, const QString& especificacion) override {
        if (clave.compare(QLatin1String("livorasonda"), Qt::CaseInsensitive) != 0) return nullptr;
        return new Sonda(especificacion.isEmpty() ? QStringLiteral("sonda.txt") : especificacion);
    }
};

#include "sonda.moc"
