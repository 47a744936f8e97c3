#include "main/aviso.h"

#include "main/estilo.h"
#include "vistas/animacion.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QParallelAnimationGroup>

namespace Livora {

BannerAviso::BannerAviso(QWidget* padre) : QWidget(padre) {
    setObjectName("aviso");
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(16, 10, 16, 10);
    etiqueta_ = new QLabel(this);
    etiqueta_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    etiqueta_->setStyleSheet("font-size: 14px;");
    etiqueta_->installEventFilter(this);
    l->addWidget(etiqueta_);
    auto* efecto = new QGraphicsOpacityEffect(this);
    efecto->setOpacity(0);
    setGraphicsEffect(efecto);
    // Notices come and go inside the shared spring.
    mov_ = new QPropertyAnimation(this, "pos", this);
    configurar(mov_, Transicion::Muelle);
    opacidad_ = new QPropertyAnimation(efecto, "opacity", this);
    configurar(opacidad_, Transicion::Muelle);
    connect(opacidad_, &QPropertyAnimation::finished, this, [this] {
        if (texto_.isEmpty()) hide();
    });
    hide();
}

QPoint BannerAviso::posicionFinal() const {
    const QWidget* p = parentWidget();
    return {(p->width() - width()) / 2, p->height() - height() - 24};
}

void BannerAviso::recolocar() {
    if (texto_.isEmpty()) return;
    adjustSize();
    move(posicionFinal());
}

void BannerAviso::setTexto(const QString& texto) {
    if (texto == texto_) return;
    const bool entra = texto_.isEmpty() && !texto.isEmpty();
    const bool sale = !texto_.isEmpty() && texto.isEmpty();
    texto_ = texto;
    if (!texto.isEmpty()) {
        etiqueta_->setText(texto);
        etiqueta_->setMaximumWidth(parentWidget()->width() - 80);
        adjustSize();
    }
    const QPoint fin = posicionFinal();
    const QPoint fuera = fin + QPoint(0, height() + 24);
    if (entra) {
        show();
        raise();
        mov_->stop();
        mov_->setStartValue(fuera);
        mov_->setEndValue(fin);
        opacidad_->stop();
        opacidad_->setStartValue(0.0);
        opacidad_->setEndValue(1.0);
        mov_->start();
        opacidad_->start();
    } else if (sale) {
        mov_->stop();
        mov_->setStartValue(pos());
        mov_->setEndValue(fuera);
        opacidad_->stop();
        opacidad_->setStartValue(1.0);
        opacidad_->setEndValue(0.0);
        mov_->start();
        opacidad_->start();
    } else {
        move(fin);
    }
}

void BannerAviso::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Estilo::pintarCristal(p, rect(), height() / 2.0, 0.88);
}

bool BannerAviso::eventFilter(QObject* o, QEvent* e) {
    // A plain click dismisses; a drag that selects text does not.
    if (o == etiqueta_ && e->type() == QEvent::MouseButtonRelease && !etiqueta_->hasSelectedText())
        Q_EMIT pulsado();
    return QWidget::eventFilter(o, e);
}

} // namespace Livora
