#include "vistas/panel_filtros_celdas.h"

#include "vistas/estilo.h"
#include "vistas/panel_filtros.h"
#include "vistas/simbolos.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QVariantAnimation>

#include <cmath>

namespace Livora {

namespace {
constexpr int ladoCelda = 60;
constexpr int pasosDeslizador = 1000;
} // namespace

CeldaPreset::CeldaPreset(const QString& clave, const QString& nombre, QWidget* parent)
    : QAbstractButton(parent), clave_(clave) {
    setText(nombre);
    setObjectName(QStringLiteral("preset-") + clave);
    setAccessibleName(nombre);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    animacion_ = new QVariantAnimation(this);
    animacion_->setDuration(150);
    animacion_->setEasingCurve(QEasingCurve::OutQuad);
    connect(animacion_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        avance_ = v.toDouble();
        update();
    });
}

QSize CeldaPreset::sizeHint() const {
    const QFontMetrics fm(fuenteCaption2(font()));
    return {ladoCelda + 4, ladoCelda + 4 + 4 + fm.height()};
}

void CeldaPreset::setMiniatura(const QImage& img) {
    miniatura_ = img;
    update();
}

void CeldaPreset::setActiva(bool activa) {
    if (activa == activa_) return;
    activa_ = activa;
    animacion_->stop();
    if (isVisible()) {
        animacion_->setStartValue(avance_);
        animacion_->setEndValue(activa ? 1.0 : 0.0);
        animacion_->start();
    } else {
        avance_ = activa ? 1 : 0;
        update();
    }
}

void CeldaPreset::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF cuadro((width() - ladoCelda) / 2.0, 2, ladoCelda, ladoCelda);
    QPainterPath forma;
    forma.addRoundedRect(cuadro, 10, 10);
    if (miniatura_.isNull()) {
        p.fillPath(forma, colorPrimario(palette(), 0.08));
    } else {
        p.save();
        p.setClipPath(forma);
        // Fill the square, cropping the longer side.
        const QSizeF s =
            QSizeF(miniatura_.size()).scaled(cuadro.size(), Qt::KeepAspectRatioByExpanding);
        p.drawImage(QRectF(cuadro.center() - QPointF(s.width() / 2, s.height() / 2), s),
                    miniatura_);
        p.restore();
    }
    const QColor inactivo = colorPrimario(palette(), 0.12);
    const QColor acento = colorAcento(palette());
    const double t = avance_;
    QColor borde(qRound(inactivo.red() + (acento.red() - inactivo.red()) * t),
                 qRound(inactivo.green() + (acento.green() - inactivo.green()) * t),
                 qRound(inactivo.blue() + (acento.blue() - inactivo.blue()) * t),
                 qRound(inactivo.alpha() + (acento.alpha() - inactivo.alpha()) * t));
    const double grosor = 1 + 1.5 * t;
    p.setPen(QPen(borde, grosor));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(cuadro.adjusted(grosor / 2, grosor / 2, -grosor / 2, -grosor / 2), 10, 10);
    if (hasFocus()) {
        p.setPen(QPen(acento, 1, Qt::DotLine));
        p.drawRoundedRect(cuadro.adjusted(-1.5, -1.5, 1.5, 1.5), 11, 11);
    }

    QFont f = fuenteCaption2(font());
    if (activa_) f.setWeight(QFont::DemiBold);
    p.setFont(f);
    p.setPen(activa_ ? acento : colorSecundario(palette()));
    const QRectF texto(0, cuadro.bottom() + 4, width(), height() - cuadro.bottom() - 4);
    p.drawText(texto, Qt::AlignHCenter | Qt::AlignTop,
               QFontMetrics(f).elidedText(text(), Qt::ElideRight, width()));
}

void SimboloDeslizador::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        Q_EMIT dobleClic();
        return;
    }
    QLabel::mouseDoubleClickEvent(e);
}

Deslizador::Deslizador(const QString& simbolo, const QString& etiqueta, double minimo,
                       double maximo, double neutro, QWidget* parent)
    : QWidget(parent), nombreSimbolo_(simbolo), minimo_(minimo), maximo_(maximo), neutro_(neutro),
      valor_(neutro) {
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    fila->setSpacing(6);
    simbolo_ = new SimboloDeslizador(this);
    simbolo_->setToolTip(etiqueta);
    simbolo_->setAccessibleName(etiqueta);
    simbolo_->setFixedSize(16, 16);
    fila->addWidget(simbolo_);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(0, pasosDeslizador);
    slider_->setMinimumWidth(70);
    slider_->setAccessibleName(etiqueta);
    slider_->setToolTip(etiqueta);
    fila->addWidget(slider_, 1);

    connect(slider_, &QSlider::valueChanged, this, [this](int pos) {
        if (fijando_) return;
        double v = minimo_ + (maximo_ - minimo_) * pos / pasosDeslizador;
        // The step nearest to neutral is neutral exactly, so sliding back really resets.
        if (std::fabs(v - neutro_) <= (maximo_ - minimo_) / pasosDeslizador / 2) v = neutro_;
        valor_ = v;
        pintarSimbolo();
        Q_EMIT valorCambiado(v);
    });
    connect(simbolo_, &SimboloDeslizador::dobleClic, this, [this] {
        setValor(neutro_);
        Q_EMIT valorCambiado(neutro_);
    });
    setValor(neutro);
}

void Deslizador::setValor(double v) {
    valor_ = v;
    fijando_ = true;
    const double t = (v - minimo_) / (maximo_ - minimo_);
    slider_->setValue(static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * pasosDeslizador)));
    fijando_ = false;
    pintarSimbolo();
}

void Deslizador::pintarSimbolo() {
    const QColor c =
        difiereDeNeutro(valor_, neutro_) ? colorAcento(palette()) : colorSecundario(palette());
    simbolo_->setPixmap(Livora::simbolo(nombreSimbolo_, c).pixmap(14, 14));
    simbolo_->setProperty("tenido", difiereDeNeutro(valor_, neutro_));
}

} // namespace Livora
