#include "vistas/estilo.h"

#include <QLabel>

#include <QFontMetricsF>
#include <QPainter>

namespace Livora {

QColor colorAcento(const QPalette& p) {
    return p.color(QPalette::Highlight);
}

QColor colorPrimario(const QPalette& p, qreal opacidad) {
    QColor c = p.color(QPalette::WindowText);
    c.setAlphaF(opacidad);
    return c;
}

QColor colorSecundario(const QPalette& p) {
    return colorPrimario(p, 0.6);
}
QColor colorTerciario(const QPalette& p) {
    return colorPrimario(p, 0.38);
}
QColor colorAmarillo() {
    return QColor(0xE6, 0xA7, 0x00);
}
QColor colorVerde() {
    return QColor(0x24, 0xA1, 0x48);
}
QColor colorNaranja() {
    return QColor(0xF0, 0x8A, 0x00);
}

namespace {
QFont escalada(QFont f, qreal factor) {
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * factor);
    else
        f.setPixelSize(qRound(f.pixelSize() * factor));
    return f;
}
} // namespace

QLabel* rotulo(const QString& texto, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    l->setFont(fuenteCaption(padre->font()));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colorSecundario(padre->palette()));
    l->setPalette(p);
    return l;
}

QFont fuenteCaption(const QFont& base) {
    return escalada(base, 0.88);
}
QFont fuenteCaption2(const QFont& base) {
    return escalada(base, 0.8);
}
QFont fuenteCallout(const QFont& base) {
    return escalada(base, 0.96);
}

QFont fuenteTitular(const QFont& base) {
    QFont f = escalada(base, 1.05);
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont conCifrasFijas(QFont f) {
    // Qt 6.4 cannot ask for OpenType features; the desktop's sans fonts (Noto, DejaVu)
    // already draw tabular digits, so only kerning has to go.
    f.setKerning(false);
    return f;
}

void pintarVidrio(QPainter& p, const QPainterPath& forma) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(forma, QColor(250, 250, 252, 205));
    p.setPen(QPen(QColor(0, 0, 0, 30), 0.8));
    p.drawPath(forma);
    p.restore();
}

SuperficieVidrio::SuperficieVidrio(QWidget* padre, std::optional<double> radio)
    : QWidget(padre), radio_(radio) {}

void SuperficieVidrio::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPainterPath forma;
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radio = radio_.value_or(r.height() / 2);
    forma.addRoundedRect(r, radio, radio);
    pintarVidrio(p, forma);
}

QRectF pintarEtiquetaFlotante(QPainter& p, const QRectF& area, const QString& texto,
                              Qt::Alignment esquina, const QFont& base) {
    QFont f = fuenteCaption(base);
    f.setBold(true);
    const QFontMetricsF fm(f);
    const QSizeF tam(fm.horizontalAdvance(texto) + 20, fm.height() + 10);
    QPointF origen(area.left() + 10, area.top() + 10);
    if (esquina & Qt::AlignRight) origen.setX(area.right() - 10 - tam.width());
    if (esquina & Qt::AlignHCenter) origen.setX(area.center().x() - tam.width() / 2);
    if (esquina & Qt::AlignBottom) origen.setY(area.bottom() - 10 - tam.height());
    const QRectF caja(origen, tam);
    QPainterPath capsula;
    capsula.addRoundedRect(caja, tam.height() / 2, tam.height() / 2);
    pintarVidrio(p, capsula);
    p.save();
    p.setFont(f);
    p.setPen(QColor(20, 20, 24));
    p.drawText(caja, Qt::AlignCenter, texto);
    p.restore();
    return caja;
}

} // namespace Livora
