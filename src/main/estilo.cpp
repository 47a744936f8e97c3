#include "main/estilo.h"

#include "vistas/estilo.h"

#include <QImage>
#include <QPainterPath>
#include <QSet>

#include <array>

namespace Livora::Estilo {

void pintarCristal(QPainter& p, const QRectF& r, qreal radio, qreal opacidad) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath camino;
    camino.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radio, radio);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, int(255 * qMin(1.0, opacidad + 0.12))));
    g.setColorAt(1, QColor(255, 255, 255, int(255 * opacidad)));
    p.fillPath(camino, g);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.drawPath(camino);
    p.setPen(QPen(QColor(0, 0, 0, 22), 1));
    QPainterPath borde;
    borde.addRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radio - 1, radio - 1);
    p.drawPath(borde);
    p.restore();
}

void pintarFondoInicio(QPainter& p, const QRectF& r) {
    // Colours of the nine mesh points, row by row, blended over white.
    struct Punto {
        double x, y;
        QColor c;
        double a;
    };
    const std::array<Punto, 9> puntos = {{
        {0, 0, acento, 0.30},
        {0.5, 0, QColor(175, 82, 222), 0.18},
        {1, 0, QColor(255, 45, 85), 0.22},
        {0, 0.5, QColor(0, 122, 255), 0.14},
        {0.55, 0.45, QColor(255, 255, 255), 0.0},
        {1, 0.5, QColor(255, 149, 0), 0.12},
        {0, 1, QColor(48, 176, 199), 0.18},
        {0.5, 1, QColor(88, 86, 214), 0.16},
        {1, 1, acento, 0.22},
    }};
    // Small raster, bilinear inside each cell of the (slightly bent) grid, then scaled up
    // smoothly: the result is the soft mesh look at a tiny cost.
    const int w = 96, h = 64;
    QImage img(w, h, QImage::Format_RGB32);
    auto mezcla = [](const Punto& pt) {
        return std::array<double, 3>{255 + (pt.c.red() - 255) * pt.a,
                                     255 + (pt.c.green() - 255) * pt.a,
                                     255 + (pt.c.blue() - 255) * pt.a};
    };
    for (int j = 0; j < h; ++j) {
        const double v = double(j) / (h - 1);
        for (int i = 0; i < w; ++i) {
            const double u = double(i) / (w - 1);
            // The centre point sits at (0.55, 0.45): pick the cell against it.
            const int cx = u < 0.55 ? 0 : 1;
            const int cy = v < 0.45 ? 0 : 1;
            const Punto& a = puntos[cy * 3 + cx];
            const Punto& b = puntos[cy * 3 + cx + 1];
            const Punto& c = puntos[(cy + 1) * 3 + cx];
            const Punto& d = puntos[(cy + 1) * 3 + cx + 1];
            const double x0 = cx == 0 ? 0 : 0.55, x1 = cx == 0 ? 0.55 : 1;
            const double y0 = cy == 0 ? 0 : 0.45, y1 = cy == 0 ? 0.45 : 1;
            double s = (u - x0) / (x1 - x0), t = (v - y0) / (y1 - y0);
            s = s * s * (3 - 2 * s);
            t = t * t * (3 - 2 * t);
            auto ca = mezcla(a), cb = mezcla(b), cc = mezcla(c), cd = mezcla(d);
            int rgb[3];
            for (int k = 0; k < 3; ++k)
                rgb[k] = int((ca[k] * (1 - s) + cb[k] * s) * (1 - t) +
                             (cc[k] * (1 - s) + cd[k] * s) * t);
            img.setPixel(i, j, qRgb(rgb[0], rgb[1], rgb[2]));
        }
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(r, img);
    p.restore();
}

QList<QFont> fuentesDe(QWidget* raiz) {
    QList<QFont> r;
    QSet<QString> vistas;
    auto anadir = [&](const QFont& f) {
        if (!vistas.contains(f.key())) {
            vistas.insert(f.key());
            r << f;
        }
    };
    QList<QWidget*> widgets = raiz->findChildren<QWidget*>();
    widgets.prepend(raiz);
    for (QWidget* w : widgets) {
        w->ensurePolished();
        const QFont base = w->font();
        // The emoji picker's colour font draws pictures, not the window's text.
        if (base.families().join(' ').contains("Emoji")) continue;
        for (QFont f : {base, fuenteCaption(base), fuenteCaption2(base), fuenteCallout(base),
                        fuenteTitular(base)})
            for (QFont::Weight peso :
                 {QFont::Normal, QFont::Medium, QFont::DemiBold, QFont::Bold}) {
                f.setWeight(peso);
                anadir(f);
                anadir(conCifrasFijas(f));
            }
        // The style sheet's small texts (rows built later, the file list's size line).
        for (int px : {11, 12})
            for (QFont::Weight peso : {QFont::Normal, QFont::DemiBold, QFont::Bold}) {
                QFont f = base;
                f.setPixelSize(px);
                f.setWeight(peso);
                anadir(f);
            }
        // The weight pill's figures and the start cards' titles.
        for (double factor : {1.25, 1.35})
            for (QFont::Weight peso : {QFont::Medium, QFont::Bold})
                for (QFont::StyleHint estilo : {QFont::AnyStyle, QFont::Monospace}) {
                    QFont f = base;
                    escalar(f, factor);
                    f.setWeight(peso);
                    f.setStyleHint(estilo);
                    anadir(f);
                }
    }
    return r;
}

void calentarFuente(const QFont& f, QPaintDevice* como) {
    // On an opaque surface (a window's) and a translucent one (a pixmap being faded): glyphs
    // are cached per kind of surface.
    for (QImage::Format formato : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        QImage lienzo(48, 24, formato);
        lienzo.setDotsPerMeterX(qRound(como->logicalDpiX() / 0.0254));
        lienzo.setDotsPerMeterY(qRound(como->logicalDpiY() / 0.0254));
        QPainter p(&lienzo);
        p.setFont(f);
        // With the signs the primary font may lack (the saving's minus, the arrow): drawing
        // them loads the fallback font now rather than in the first layout that measures them.
        p.drawText(QPointF(0, 18), QStringLiteral("Añadir 0123456789,· KB MB % −→…×«»—¿É"));
    }
}

void escalar(QFont& f, double factor) {
    if (f.pixelSize() > 0)
        f.setPixelSize(qRound(f.pixelSize() * factor));
    else
        f.setPointSizeF(f.pointSizeF() * factor);
}

QString hojaEstilo() {
    return QStringLiteral(R"(
QWidget { color: #1d1d1f; }
QMainWindow, QWidget#espacio { background: #f3f3f6; }
QToolBar { background: #f7f7f9; border: none; border-bottom: 1px solid #e3e3e8; spacing: 4px; padding: 4px 8px; }
QToolBar QToolButton { border: none; border-radius: 7px; padding: 4px 8px; }
QToolBar QToolButton:hover { background: rgba(0,0,0,0.06); }
QToolBar QToolButton:disabled { color: #b0b0b5; }
QToolBar QToolButton[tinte="true"] { color: #4f6bed; background: rgba(79,107,237,0.12); }
QListWidget#barraLateral { background: transparent; border: none; outline: 0; }
QListWidget#barraLateral::item { border-radius: 8px; margin: 1px 6px; }
QListWidget#barraLateral::item:selected { background: rgba(79,107,237,0.16); }
QWidget#lateral { background: #ececf1; border-right: 1px solid #dedee4; }
QWidget#inspector { background: #f7f7f9; border-left: 1px solid #e3e3e8; }
QLabel#seccion { color: #6e6e73; font-weight: 600; font-size: 12px; padding: 8px 2px 2px 2px; }
QPushButton { border: 1px solid rgba(0,0,0,0.10); border-radius: 8px; padding: 6px 12px;
  background: rgba(255,255,255,0.8); }
QPushButton:hover { background: white; }
QPushButton:disabled { color: #b0b0b5; }
QPushButton[prominente="true"] { background: #4f6bed; color: white; border: none; font-weight: 600; }
QPushButton[prominente="true"]:hover { background: #3f5bdd; }
QPushButton[prominente="true"]:disabled { background: #b9c3f4; color: white; }
QScrollArea { background: transparent; border: none; }
QLineEdit { border: 1px solid #d2d2d7; border-radius: 6px; padding: 3px 6px; background: white; }
QFrame#fila { border-radius: 8px; }
QLabel#nombreFila { font-weight: 500; }
QLabel#detalleFila { color: #6e6e73; font-size: 11px; }
QLabel#ahorro { font-weight: 700; font-size: 11px; color: #e07a10; }
QLabel#ahorro[verde="true"] { color: #249a4a; }
)");
}

QLabel* tituloSeccion(const QString& texto, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    l->setObjectName("seccion");
    return l;
}

QFrame* tarjeta(QWidget* padre) {
    auto* w = new QFrame(padre);
    w->setObjectName("tarjeta");
    w->setStyleSheet("QFrame#tarjeta { background: white; border-radius: 10px; "
                     "border: 1px solid #e3e3e8; }");
    return w;
}

} // namespace Livora::Estilo
