#include "main/actualizador.h"

#include <QNetworkReply>
#include <QXmlStreamReader>

namespace Livora {

std::optional<EntradaAppcast> leerAppcast(const QByteArray& xml) {
    QXmlStreamReader r(xml);
    std::optional<EntradaAppcast> mejor;
    EntradaAppcast actual;
    bool enItem = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto nombre = r.name();
            if (nombre == QLatin1String("item")) {
                enItem = true;
                actual = {};
            } else if (enItem && nombre == QLatin1String("enclosure")) {
                for (const auto& a : r.attributes()) {
                    if (a.name() == QLatin1String("url")) actual.enlace = a.value().toString();
                    if (a.name() == QLatin1String("version") && actual.version.isEmpty())
                        actual.version = a.value().toString();
                    if (a.name() == QLatin1String("shortVersionString") && actual.visible.isEmpty())
                        actual.visible = a.value().toString();
                }
            } else if (enItem && nombre == QLatin1String("version")) {
                actual.version = r.readElementText().trimmed();
            } else if (enItem && nombre == QLatin1String("shortVersionString")) {
                actual.visible = r.readElementText().trimmed();
            } else if (enItem && nombre == QLatin1String("link") && actual.enlace.isEmpty()) {
                actual.enlace = r.readElementText().trimmed();
            }
        } else if (r.isEndElement() && r.name() == QLatin1String("item")) {
            enItem = false;
            if (actual.visible.isEmpty()) actual.visible = actual.version;
            if (!actual.version.isEmpty() &&
                (!mejor || compararVersiones(actual.version, mejor->version) > 0))
                mejor = actual;
        }
    }
    if (r.hasError()) return std::nullopt;
    return mejor;
}

int compararVersiones(const QString& a, const QString& b) {
    const QStringList pa = a.split('.'), pb = b.split('.');
    for (qsizetype i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const qlonglong x = i < pa.size() ? pa[i].toLongLong() : 0;
        const qlonglong y = i < pb.size() ? pb[i].toLongLong() : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

QString ResultadoActualizacion::texto() const {
    switch (estado) {
    case Estado::Nueva:
        return QStringLiteral("Hay una versión nueva de Livora: %1.\n%2").arg(version, enlace);
    case Estado::AlDia:
        return QStringLiteral("Livora está al día (versión %1).").arg(version);
    case Estado::Fallo:
        break;
    }
    return QStringLiteral("No se pudo buscar actualizaciones: %1").arg(error);
}

Actualizador::Actualizador(QString url, QString versionActual, QObject* padre)
    : QObject(padre), url_(std::move(url)), version_(std::move(versionActual)) {}

QString Actualizador::urlConfigurada() {
    const QByteArray entorno = qgetenv("LIVORA_APPCAST_URL");
    return entorno.isEmpty() ? QStringLiteral(LIVORA_APPCAST) : QString::fromUtf8(entorno);
}

void Actualizador::buscar() {
    if (url_.isEmpty()) {
        ResultadoActualizacion r;
        r.error = QStringLiteral("no hay ninguna dirección de actualizaciones configurada.");
        Q_EMIT terminado(r);
        return;
    }
    QNetworkRequest peticion{QUrl(url_)};
    peticion.setTransferTimeout(15000);
    QNetworkReply* respuesta = red_.get(peticion);
    connect(respuesta, &QNetworkReply::finished, this, [this, respuesta] {
        respuesta->deleteLater();
        ResultadoActualizacion r;
        if (respuesta->error() != QNetworkReply::NoError) {
            r.error = respuesta->errorString();
        } else if (auto e = leerAppcast(respuesta->readAll())) {
            const bool nueva = compararVersiones(e->version, version_) > 0;
            r.estado = nueva ? ResultadoActualizacion::Estado::Nueva
                             : ResultadoActualizacion::Estado::AlDia;
            r.version = nueva ? e->visible : version_;
            r.enlace = e->enlace;
        } else {
            r.error = QStringLiteral("el canal de actualizaciones no es válido.");
        }
        Q_EMIT terminado(r);
    });
}

} // namespace Livora
