// A timer every 5 ms on the GUI thread; each tick logs how late it came, so the longest
// stall of the event loop can be read afterwards. Lines: "<epoch ms> <lateness ms>".
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QGenericPlugin>
#include <QTimer>

namespace {

class Sonda : public QObject {
public:
    explicit Sonda(const QString& ruta) : archivo_(ruta) {
        archivo_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        tic_.setTimerType(Qt::PreciseTimer);
        tic_.setInterval(periodoMs);
        connect(&tic_, &QTimer::timeout, this, &Sonda::tic);
        tic_.start();
        reloj_.start();
    }
    ~Sonda() override { volcar(); }

private:
    static constexpr qint64 periodoMs = 5;

    void tic() {
        const qint64 ahora = reloj_.nsecsElapsed();
        const double retraso = double(ahora - anterior_) / 1e6 - periodoMs;
        anterior_ = ahora;
        pendiente_ += QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' +
                      QByteArray::number(std::max(retraso, 0.0), 'f', 2) + '\n';
        // Written in batches so the probe itself does not stall the loop it measures, but
        // often enough that little is lost when the window is killed.
        if (ahora - volcado_ > 100'000'000) {
            volcar();
            volcado_ = ahora;
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
