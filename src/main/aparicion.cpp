#include "main/aparicion.h"

#include "vistas/animacion.h"

#include <QGraphicsOpacityEffect>
#include <QWidget>

namespace Livora {

Aparicion::Aparicion(QWidget* flotante) : QObject(flotante), w_(flotante) {
    auto* efecto = new QGraphicsOpacityEffect(w_);
    efecto->setOpacity(0);
    w_->setGraphicsEffect(efecto);
    // Floating pieces come and go inside the window's shared spring.
    mov_ = new QPropertyAnimation(w_, "pos", this);
    configurar(mov_, Transicion::Muelle);
    opacidad_ = new QPropertyAnimation(efecto, "opacity", this);
    configurar(opacidad_, Transicion::Muelle);
    connect(opacidad_, &QPropertyAnimation::finished, this, [this] {
        if (fuera_) w_->hide();
    });
    w_->hide();
}

void Aparicion::entrar(QPoint fuera, QPoint fin) {
    fuera_ = false;
    mov_->stop();
    opacidad_->stop();
    w_->move(fuera);
    w_->show();
    w_->raise();
    mov_->setStartValue(fuera);
    mov_->setEndValue(fin);
    opacidad_->setStartValue(0.0);
    opacidad_->setEndValue(1.0);
    mov_->start();
    opacidad_->start();
}

void Aparicion::salir(QPoint fuera) {
    fuera_ = true;
    mov_->stop();
    opacidad_->stop();
    mov_->setStartValue(w_->pos());
    mov_->setEndValue(fuera);
    opacidad_->setStartValue(1.0);
    opacidad_->setEndValue(0.0);
    mov_->start();
    opacidad_->start();
}

void Aparicion::moverA(QPoint fin) {
    if (fuera_) return;
    mov_->stop();
    mov_->setStartValue(w_->pos());
    mov_->setEndValue(fin);
    mov_->start();
}

} // namespace Livora
