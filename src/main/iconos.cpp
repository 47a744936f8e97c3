#include "main/iconos.h"

#include "vistas/simbolos.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

static void registrarRecursos() {
    Q_INIT_RESOURCE(livora);
#ifdef LIVORA_CON_ICONOS
    Q_INIT_RESOURCE(iconos);
#endif
}

namespace Livora {

void iniciarRecursos() {
    registrarRecursos();
}

namespace {

QByteArray svgColoreado(const QString& archivo, const QColor& color) {
    static QHash<QString, QByteArray> cache;
    auto it = cache.find(archivo);
    if (it == cache.end()) {
        QFile f(archivo);
        if (!f.open(QIODevice::ReadOnly)) return {};
        it = cache.insert(archivo, f.readAll());
    }
    QByteArray svg = *it;
    svg.replace("currentColor", color.name(QColor::HexRgb).toUtf8());
    return svg;
}

} // namespace

QString archivoIcono(const std::string& simbolo) {
    const QString nombre = nombreIcono(QString::fromStdString(simbolo));
    if (nombre.isEmpty()) return {};
    return QStringLiteral(":/iconos/") + nombre + QStringLiteral(".svg");
}

namespace {

QPixmap dibujarIcono(const std::string& simbolo, const QColor& color, int lado, qreal escala) {
    // The line set has no filled check circle: a filled disc under the white check.
    if (simbolo == "checkmark.circle.fill") {
        const QPixmap marca = pixmapIcono("checkmark", Qt::white, qRound(lado * 0.62 * escala), 1);
        const int px = qRound(lado * escala);
        QPixmap p(px, px);
        p.fill(Qt::transparent);
        QPainter pintor(&p);
        pintor.setRenderHint(QPainter::Antialiasing);
        pintor.setPen(Qt::NoPen);
        pintor.setBrush(color);
        pintor.drawEllipse(QRectF(0.5, 0.5, px - 1, px - 1));
        pintor.drawPixmap(QPointF((px - marca.width()) / 2.0, (px - marca.height()) / 2.0), marca);
        pintor.end();
        p.setDevicePixelRatio(escala);
        return p;
    }
    const QString archivo = archivoIcono(simbolo);
    if (archivo.isEmpty()) return {};
    QSvgRenderer r(svgColoreado(archivo, color));
    if (!r.isValid()) return {};
    const int px = qRound(lado * escala);
    QPixmap p(px, px);
    p.fill(Qt::transparent);
    QPainter pintor(&p);
    pintor.setRenderHint(QPainter::Antialiasing);
    if (color.alphaF() < 1.0) pintor.setOpacity(color.alphaF());
    r.render(&pintor);
    pintor.end();
    p.setDevicePixelRatio(escala);
    return p;
}

QString claveIcono(const std::string& simbolo, const QColor& color) {
    return QString::fromStdString(simbolo) + QLatin1Char('/') + QString::number(color.rgba(), 16);
}

} // namespace

// Drawn once per symbol, colour and size: the window asks for the same icons on every
// state change, and rendering SVG each time cost milliseconds per refresh.
QPixmap pixmapIcono(const std::string& simbolo, const QColor& color, int lado, qreal escala) {
    static QHash<QString, QPixmap> cache;
    const QString clave = claveIcono(simbolo, color) + QLatin1Char('/') + QString::number(lado) +
                          QLatin1Char('@') + QString::number(escala);
    auto it = cache.find(clave);
    if (it == cache.end()) it = cache.insert(clave, dibujarIcono(simbolo, color, lado, escala));
    return *it;
}

QIcon icono(const std::string& simbolo, const QColor& color) {
    static QHash<QString, QIcon> cache;
    const QString clave = claveIcono(simbolo, color);
    if (auto it = cache.constFind(clave); it != cache.constEnd()) return *it;
    QIcon i;
    for (int lado : {16, 20, 24, 32, 48}) {
        QPixmap p = pixmapIcono(simbolo, color, lado, 2);
        if (p.isNull()) return {};
        i.addPixmap(p);
    }
    cache.insert(clave, i);
    return i;
}

} // namespace Livora
