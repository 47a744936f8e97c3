#include "editores/lienzo_editor.h"

#include "vistas/imagen_perezosa.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace Livora {

LienzoEditor::LienzoEditor(QWidget* padre) : QWidget(padre) {
    imagen_ = new ImagenPerezosa(this);
    connect(imagen_, &ImagenPerezosa::cambiada, this, [this] { update(); });
}

void LienzoEditor::setImagen(QSize tamano, ProveedorImagen proveedor, const QString& clave) {
    if (clave == clave_ && tamano == tamano_) return;
    clave_ = clave;
    tamano_ = tamano;
    imagen_->fijar(std::move(proveedor));
    imagen_->soltarAnterior();
    pedir();
    update();
}

void LienzoEditor::setMargenes(int arriba, int abajo) {
    arriba_ = arriba;
    abajo_ = abajo;
}

QRectF LienzoEditor::marco() const {
    return marcoPara(size());
}

QRectF LienzoEditor::marcoPara(QSize tam) const {
    const RectDoble area{0, double(arriba_), double(tam.width()),
                         std::max(0.0, double(tam.height() - arriba_ - abajo_))};
    const RectDoble r = marcoCentrado({double(tamano_.width()), double(tamano_.height())}, area);
    return {r.x, r.y, r.ancho, r.alto};
}

Tam LienzoEditor::tamMarco() const {
    const QRectF m = marco();
    return {m.width(), m.height()};
}

Punto LienzoEditor::enMarco(QPointF p) const {
    const QRectF m = marco();
    return {p.x() - m.left(), p.y() - m.top()};
}

QPointF LienzoEditor::desdeMarco(Punto p) const {
    const QRectF m = marco();
    return {m.left() + p.x, m.top() + p.y};
}

void LienzoEditor::pedir() {
    const QRectF m = marco();
    if (m.isEmpty()) return;
    const double f = devicePixelRatioF();
    imagen_->pedir(QSize(int(std::ceil(m.width() * f)), int(std::ceil(m.height() * f))));
}

void LienzoEditor::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    pedir();
}

void LienzoEditor::pintarImagen(QPainter& p) const {
    const QRectF m = marco();
    if (m.isEmpty()) return;
    p.save();
    QPainterPath forma;
    forma.addRoundedRect(m, radioEsquinasEditor, radioEsquinasEditor);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipPath(forma);
    p.fillRect(m, QColor(235, 235, 238));
    const QImage& img = imagen_->actual();
    if (!img.isNull()) p.drawImage(m, img);
    p.restore();
}

} // namespace Livora
