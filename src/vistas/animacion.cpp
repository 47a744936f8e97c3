#include "vistas/animacion.h"

#include <QLabel>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Livora {

namespace {

// The picture of what was there, drawn straight at its opacity: an opacity effect would
// render the whole window into a buffer of its own on every frame first.
class CapaFundido : public QLabel {
public:
    using QLabel::QLabel;
    // A picture that covers the whole widget hides what is under it while it is opaque: the
    // new look is not painted until the fade's next frame, apart from the change itself.
    void fijarCubre(bool si) { cubre_ = si; }
    void fijarOpacidad(qreal o) {
        opacidad_ = o;
        setAttribute(Qt::WA_OpaquePaintEvent, cubre_ && o >= 1.0);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setOpacity(opacidad_);
        p.drawPixmap(rect(), pixmap());
    }

private:
    qreal opacidad_ = 1;
    bool cubre_ = false;
};

double frecuencia(const Muelle& m) {
    return 2 * std::numbers::pi / m.respuesta;
}

// QEasingCurve takes a plain function: one per shared spring, over its settling time.
template <const Muelle& M> qreal curvaDe(qreal avance) {
    return posicionMuelle(M, avance * asentamientoMuelle(M));
}

} // namespace

double asentamientoMuelle(const Muelle& m) {
    // The swing's envelope is e^(−ζωt); 0.2 % of the way is below anything visible.
    return std::log(500.0) / (m.amortiguamiento * frecuencia(m));
}

double posicionMuelle(const Muelle& m, double t) {
    if (t <= 0) return 0;
    if (t >= asentamientoMuelle(m)) return 1;
    const double w = frecuencia(m), z = m.amortiguamiento;
    const double caida = std::exp(-z * w * t);
    if (z >= 1) return 1 - caida * (1 + w * t);
    const double wd = w * std::sqrt(1 - z * z);
    return 1 - caida * (std::cos(wd * t) + z * w / wd * std::sin(wd * t));
}

int duracionMs(Transicion t) {
    switch (t) {
    case Transicion::Muelle:
        return int(std::lround(asentamientoMuelle(muelle) * 1000));
    case Transicion::MuelleVivo:
        return int(std::lround(asentamientoMuelle(muelleVivo) * 1000));
    case Transicion::Rapida:
        return 150;
    case Transicion::Suave:
        return 200;
    }
    return 0;
}

QEasingCurve curva(Transicion t) {
    QEasingCurve c;
    switch (t) {
    case Transicion::Muelle:
        c.setCustomType(&curvaDe<muelle>);
        break;
    case Transicion::MuelleVivo:
        c.setCustomType(&curvaDe<muelleVivo>);
        break;
    case Transicion::Rapida:
        c.setType(QEasingCurve::OutQuad);
        break;
    case Transicion::Suave:
        c.setType(QEasingCurve::InOutQuad);
        break;
    }
    return c;
}

void configurar(QVariantAnimation* a, Transicion t) {
    a->setDuration(duracionMs(t));
    a->setEasingCurve(curva(t));
}

void fundido(QWidget* w, const QPixmap& antes, Transicion t, bool opaca) {
    if (!w->isVisible() || antes.isNull()) return;
    auto* capa = new CapaFundido(w);
    capa->fijarCubre(opaca);
    capa->fijarOpacidad(1);
    capa->setObjectName("fundido");
    capa->setAttribute(Qt::WA_TransparentForMouseEvents);
    capa->setPixmap(antes);
    capa->setGeometry(w->rect());
    capa->show();
    capa->raise();
    auto* anim = new QVariantAnimation(capa);
    configurar(anim, t);
    anim->setStartValue(0.0);
    anim->setEndValue(1.0);
    // A spring overshoots; opacity cannot.
    QObject::connect(anim, &QVariantAnimation::valueChanged, capa, [capa](const QVariant& v) {
        capa->fijarOpacidad(std::clamp(1.0 - v.toDouble(), 0.0, 1.0));
    });
    QObject::connect(anim, &QVariantAnimation::finished, capa, &QObject::deleteLater);
    anim->start();
}

} // namespace Livora
