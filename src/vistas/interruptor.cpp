#include "vistas/interruptor.h"

#include "vistas/estilo.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QVariantAnimation>

namespace Livora {

namespace {
constexpr int anchoPista = 34;
constexpr int altoPista = 20;
} // namespace

Interruptor::Interruptor(const QString& texto, QWidget* parent) : QAbstractButton(parent) {
    setText(texto);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    animacion_ = new QVariantAnimation(this);
    animacion_->setDuration(150);
    animacion_->setEasingCurve(QEasingCurve::OutCubic);
    connect(animacion_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        avance_ = v.toDouble();
        update();
    });
}

QSize Interruptor::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 12 + anchoPista + 4, qMax(fm.height(), altoPista) + 6};
}

void Interruptor::checkStateSet() {
    animacion_->stop();
    avance_ = isChecked() ? 1 : 0;
    update();
}

void Interruptor::nextCheckState() {
    setChecked(!isChecked());
    animacion_->stop();
    animacion_->setStartValue(isChecked() ? 0.0 : 1.0);
    animacion_->setEndValue(isChecked() ? 1.0 : 0.0);
    animacion_->start();
}

void Interruptor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = rect();
    const QRectF pista(r.right() - anchoPista - 2, r.center().y() - altoPista / 2.0 + 0.5,
                       anchoPista, altoPista);
    const QRectF texto(r.left(), r.top(), pista.left() - 12, r.height());

    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : colorTerciario(palette()));
    p.drawText(texto, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               fontMetrics().elidedText(text(), Qt::ElideRight, int(texto.width())));

    QColor apagado = colorPrimario(palette(), 0.18);
    QColor encendido = colorAcento(palette());
    QColor fondo(qRound(apagado.red() + (encendido.red() - apagado.red()) * avance_),
                 qRound(apagado.green() + (encendido.green() - apagado.green()) * avance_),
                 qRound(apagado.blue() + (encendido.blue() - apagado.blue()) * avance_),
                 qRound(apagado.alpha() + (encendido.alpha() - apagado.alpha()) * avance_));
    if (!isEnabled()) fondo.setAlphaF(fondo.alphaF() * 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(fondo);
    p.drawRoundedRect(pista, altoPista / 2.0, altoPista / 2.0);
    const double d = altoPista - 4;
    const QRectF perilla(pista.left() + 2 + (pista.width() - d - 4) * avance_, pista.top() + 2, d,
                         d);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    p.drawEllipse(perilla);

    if (hasFocus()) {
        p.setPen(QPen(colorAcento(palette()), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(pista.adjusted(-2, -2, 2, 2), altoPista / 2.0 + 2, altoPista / 2.0 + 2);
    }
}

} // namespace Livora
