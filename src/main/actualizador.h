#pragma once
#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <optional>

namespace Livora {

// The newest entry of a Sparkle-style appcast that has something for this system: of an
// item's enclosures the Debian package (sparkle:os="linux", a .deb) is preferred, one
// naming no system is taken otherwise, and an item only for other systems is skipped.
struct EntradaAppcast {
    QString version; // sparkle:version, compared
    QString visible; // sparkle:shortVersionString, or the version
    QString enlace;  // enclosure url, or the item's link
};
std::optional<EntradaAppcast> leerAppcast(const QByteArray& xml);
// Dotted numeric comparison ("1.10" > "1.9"); missing parts count as 0.
int compararVersiones(const QString& a, const QString& b);

struct ResultadoActualizacion {
    enum class Estado { Nueva, AlDia, Fallo } estado = Estado::Fallo;
    QString version;
    QString enlace;
    QString error;
    QString texto() const;
};

// Reads the appcast at `url` and compares it with the running version. Nothing is
// downloaded or installed.
class Actualizador : public QObject {
    Q_OBJECT
public:
    Actualizador(QString url, QString versionActual, QObject* padre = nullptr);
    static QString urlConfigurada();
    void buscar();

Q_SIGNALS:
    void terminado(const ResultadoActualizacion& r);

private:
    QString url_, version_;
    QNetworkAccessManager red_;
};

} // namespace Livora

Q_DECLARE_METATYPE(Livora::ResultadoActualizacion)
