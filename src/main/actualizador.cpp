#include "main/actualizador.h"

#include <QNetworkReply>
#include <QXmlStreamReader>

#include <algorithm>
#include <vector>

namespace Livora {

namespace {

struct Adjunto {
    QString url, version, visible, sistema, tipo;
};

// How well an enclosure suits this system: the Debian package first, then one that names
// no system; one for another system never (-1).
int idoneidad(const Adjunto& a) {
    const QString sistema = a.sistema.toLower();
    if (sistema == QLatin1String("linux") || a.url.endsWith(QLatin1String(".deb")) ||
        a.tipo == QLatin1String("application/vnd.debian.binary-package"))
        return 2;
    return sistema.isEmpty() ? 1 : -1;
}

} // namespace

std::optional<EntradaAppcast> leerAppcast(const QByteArray& xml) {
    QXmlStreamReader r(xml);
    std::optional<EntradaAppcast> mejor;
    EntradaAppcast actual;
    std::vector<Adjunto> adjuntos;
    bool enItem = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto nombre = r.name();
            if (nombre == QLatin1String("item")) {
                enItem = true;
                actual = {};
                adjuntos.clear();
            } else if (enItem && nombre == QLatin1String("enclosure")) {
                Adjunto a;
                for (const auto& at : r.attributes()) {
                    const auto n = at.name();
                    const QString v = at.value().toString();
                    if (n == QLatin1String("url")) a.url = v;
                    if (n == QLatin1String("version")) a.version = v;
                    if (n == QLatin1String("shortVersionString")) a.visible = v;
                    if (n == QLatin1String("os")) a.sistema = v;
                    if (n == QLatin1String("type")) a.tipo = v;
                }
                adjuntos.push_back(a);
            } else if (enItem && nombre == QLatin1String("version")) {
                actual.version = r.readElementText().trimmed();
            } else if (enItem && nombre == QLatin1String("shortVersionString")) {
                actual.visible = r.readElementText().trimmed();
            } else if (enItem && nombre == QLatin1String("link") && actual.enlace.isEmpty()) {
                actual.enlace = r.readElementText().trimmed();
            }
        } else if (r.isEndElement() && r.name() == QLatin1String("item")) {
            enItem = false;
            const auto elegido = std::max_element(
                adjuntos.begin(), adjuntos.end(),
                [](const Adjunto& a, const Adjunto& b) { return idoneidad(a) < idoneidad(b); });
            if (elegido != adjuntos.end()) {
                // A release only for other systems is no update here.
                if (idoneidad(*elegido) < 0) continue;
                actual.enlace = elegido->url;
                if (actual.version.isEmpty()) actual.version = elegido->version;
                if (actual.visible.isEmpty()) actual.visible = elegido->visible;
            }
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
