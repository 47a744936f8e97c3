#pragma once
#include <QEasingCurve>

class QPixmap;
class QVariantAnimation;
class QWidget;

namespace Livora {

// A damped spring given as a response (seconds per oscillation of the undamped spring)
// and a damping fraction (1 = critically damped, no overshoot).
struct Muelle {
    double respuesta;
    double amortiguamiento;
};

// The window's two shared springs.
inline constexpr Muelle muelle{0.35, 0.8};
inline constexpr Muelle muelleVivo{0.42, 0.7};

// The spring's position at `segundos` after it is let go from 0 towards 1 (overshoots
// above 1 when the damping fraction is below 1). Exactly 1 from its settling time on.
double posicionMuelle(const Muelle& m, double segundos);
// When the spring's swing has died down to under 0.2 % of the way: the animation's length.
double asentamientoMuelle(const Muelle& m);

// How a change of the window's state moves on screen: inside the shared spring unless an
// operation names another animation.
enum class Transicion {
    Muelle,     // the shared spring `muelle`
    MuelleVivo, // the livelier `muelleVivo`
    Rapida,     // ease-out, 0.15 s (moving the chosen alternative with the arrow keys)
    Suave,      // ease-in-out, 0.2 s (removing a record)
};

int duracionMs(Transicion t);
QEasingCurve curva(Transicion t);
// Gives an animation the length and curve of a transition.
void configurar(QVariantAnimation* a, Transicion t);

// Cross-fades a widget from what it showed before a change to what it shows now: a
// picture of the old look is laid over it and fades out. `antes` is that picture, taken
// with `grab()` before the change.
void fundido(QWidget* w, const QPixmap& antes, Transicion t = Transicion::Muelle);

} // namespace Livora
