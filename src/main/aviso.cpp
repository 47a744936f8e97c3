#include "main/aviso.h"

#include "main/aparicion.h"
#include "main/estilo.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>

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
    aparicion_ = new Aparicion(this);
}

QPoint BannerAviso::posicionFinal() const {
    const QWidget* p = parentWidget();
    return {(p->width() - width()) / 2, p->height() - height() - elevacion_};
}

void BannerAviso::setElevacion(int puntos) {
    if (puntos == elevacion_) return;
    elevacion_ = puntos;
    if (!texto_.isEmpty()) aparicion_->moverA(posicionFinal());
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
    if (entra)
        aparicion_->entrar(fuera, fin);
    else if (sale)
        aparicion_->salir(fuera);
    else
        move(fin);
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
