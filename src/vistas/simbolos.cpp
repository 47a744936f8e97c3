#include "vistas/simbolos.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSvgRenderer>

namespace Livora {

namespace {

// The system's symbol names and the Lucide icons that stand in for them: the one table of
// the application (scripts/iconos reads it to know which icons to extract).
const QHash<QString, QString>& tabla() {
    static const QHash<QString, QString> t = {
        {"a.large.small", "a-large-small"},
        {"app.open", "external-link"},
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
        {"clipboard", "clipboard-copy"},
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
    };
    return t;
}

// Line icons are drawn in one colour: the SVG is rendered, then every drawn pixel takes
// the wanted colour, so the same file serves the accent, warning and disabled looks.
class MotorSimbolo : public QIconEngine {
public:
    MotorSimbolo(QString ruta, QColor color) : ruta_(std::move(ruta)), color_(color) {}

    void paint(QPainter* p, const QRect& rect, QIcon::Mode modo, QIcon::State estado) override {
        const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmapDpr(rect.size(), modo, estado, dpr);
        p->drawPixmap(rect, pm);
    }

    QPixmap pixmap(const QSize& tam, QIcon::Mode modo, QIcon::State estado) override {
        return pixmapDpr(tam, modo, estado, 1.0);
    }

    QIconEngine* clone() const override { return new MotorSimbolo(ruta_, color_); }
    QString key() const override { return QStringLiteral("LivoraSimbolo"); }

private:
    // Each paint asks again; rendering the SVG every time made repaints cost milliseconds.
    QPixmap pixmapDpr(const QSize& tam, QIcon::Mode modo, QIcon::State estado, qreal dpr) const {
        const QString clave = QStringLiteral("%1x%2@%3/%4")
                                  .arg(tam.width())
                                  .arg(tam.height())
                                  .arg(dpr)
                                  .arg(int(modo));
        if (auto it = hechos_.constFind(clave); it != hechos_.constEnd()) return *it;
        QPixmap pm = dibujar(tam, modo, estado, dpr);
        hechos_.insert(clave, pm);
        return pm;
    }

    QPixmap dibujar(const QSize& tam, QIcon::Mode modo, QIcon::State, qreal dpr) const {
        const QSize px = tam * dpr;
        if (px.isEmpty()) return {};
        QImage img(px, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        {
            QSvgRenderer svg(ruta_);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            svg.render(&p, QRectF(QPointF(0, 0), QSizeF(px)));
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            QColor c =
                color_.isValid() ? color_ : QGuiApplication::palette().color(QPalette::WindowText);
            if (modo == QIcon::Disabled) c.setAlphaF(c.alphaF() * 0.35);
            p.fillRect(img.rect(), c);
        }
        QPixmap pm = QPixmap::fromImage(img);
        pm.setDevicePixelRatio(dpr);
        return pm;
    }

    QString ruta_;
    QColor color_;
    mutable QHash<QString, QPixmap> hechos_;
};

} // namespace

QString nombreIcono(const QString& nombre) {
    return tabla().value(nombre);
}

QIcon simbolo(const QString& nombre, const QColor& color) {
    const QString icono = nombreIcono(nombre);
    if (icono.isEmpty()) return {};
    const QString ruta = QStringLiteral(":/iconos/%1.svg").arg(icono);
    if (QFile::exists(ruta)) return QIcon(new MotorSimbolo(ruta, color));
    return QIcon::fromTheme(icono);
}

} // namespace Livora
