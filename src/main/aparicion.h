#pragma once
#include <QObject>
#include <QPoint>
#include <QPropertyAnimation>

class QWidget;

namespace Livora {

// How floating pieces (the notice banner, the organiser's selection bar) come and go: up
// from below their place with a fade, and back down; hidden once out.
class Aparicion : public QObject {
    Q_OBJECT
public:
    explicit Aparicion(QWidget* flotante);
    // Up from `fuera` to `fin`, fading in (shown and raised first).
    void entrar(QPoint fuera, QPoint fin);
    // Down to `fuera`, fading out, then hidden.
    void salir(QPoint fuera);
    // Glides to a new place while shown.
    void moverA(QPoint fin);
    bool enMovimiento() const { return mov_->state() == QAbstractAnimation::Running; }

private:
    QWidget* w_;
    QPropertyAnimation* mov_;
    QPropertyAnimation* opacidad_;
    bool fuera_ = true;
};

} // namespace Livora
