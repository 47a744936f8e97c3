#include "main/iconos.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <map>

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

// Every symbol name the interface uses, mapped to the line-icon set's file names.
const std::map<std::string, std::string>& tabla() {
    static const std::map<std::string, std::string> t = {
        {"a.large.small", "a-large-small"},
        {"arrow.counterclockwise", "rotate-ccw"},
        {"arrow.down.circle", "circle-arrow-down"},
        {"arrow.down.to.line", "arrow-down-to-line"},
        {"arrow.left.and.right", "move-horizontal"},
        {"arrow.right", "arrow-right"},
        {"arrow.up.arrow.down", "arrow-up-down"},
        {"arrow.up.to.line", "arrow-up-to-line"},
        {"arrow.uturn.backward", "undo-2"},
        {"calendar", "calendar"},
        {"camera.aperture", "aperture"},
        {"camera.fill", "camera"},
        {"camera.filters", "blend"},
        {"checkmark", "check"},
        {"checkmark.circle.fill", "circle-check"},
        {"checkmark.seal", "badge-check"},
        {"circle", "circle"},
        {"circle.lefthalf.filled", "contrast"},
        {"crop", "crop"},
        {"dial.high", "gauge"},
        {"doc", "file"},
        {"doc.badge.plus", "file-plus"},
        {"doc.on.doc", "files"},
        {"doc.richtext", "file-text"},
        {"drop.halffull", "droplet"},
        {"envelope", "mail"},
        {"exclamationmark.shield", "shield-alert"},
        {"exclamationmark.triangle.fill", "triangle-alert"},
        {"face.smiling", "smile"},
        {"folder", "folder"},
        {"gearshape", "settings"},
        {"house", "house"},
        {"info.circle", "info"},
        {"location.fill", "map-pin"},
        {"lock", "lock"},
        {"lock.fill", "lock"},
        {"lock.open.fill", "lock-open"},
        {"minus.magnifyingglass", "zoom-out"},
        {"person.and.background.dotted", "square-user"},
        {"photo", "image"},
        {"photo.on.rectangle.angled", "images"},
        {"plus", "plus"},
        {"plus.magnifyingglass", "zoom-in"},
        {"plus.square.on.square", "copy-plus"},
        {"rectangle.on.rectangle", "proportions"},
        {"rotate.left", "rotate-ccw"},
        {"rotate.right", "rotate-cw"},
        {"scope", "crosshair"},
        {"shield.checkered", "shield-check"},
        {"sidebar.right", "panel-right"},
        {"square.and.arrow.down.on.square", "import"},
        {"square.and.arrow.up", "share"},
        {"square.grid.2x2", "layout-grid"},
        {"square.grid.3x3", "grid-3x3"},
        {"sun.max", "sun"},
        {"textformat", "type"},
        {"textformat.size", "a-large-small"},
        {"trash", "trash-2"},
        {"wand.and.sparkles", "wand-sparkles"},
        {"xmark", "x"},
        {"app.open", "external-link"},
        {"clipboard", "clipboard-copy"},
    };
    return t;
}

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
    auto it = tabla().find(simbolo);
    if (it == tabla().end()) return {};
    return QStringLiteral(":/iconos/") + QString::fromStdString(it->second) +
           QStringLiteral(".svg");
}

QPixmap pixmapIcono(const std::string& simbolo, const QColor& color, int lado, qreal escala) {
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

QIcon icono(const std::string& simbolo, const QColor& color) {
    QIcon i;
    for (int lado : {16, 20, 24, 32, 48}) {
        QPixmap p = pixmapIcono(simbolo, color, lado, 2);
        if (p.isNull()) return {};
        i.addPixmap(p);
    }
    return i;
}

} // namespace Livora
