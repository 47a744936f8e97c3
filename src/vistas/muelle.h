#pragma once
// The window's springs as plain numbers, for Qt-free code (the organiser's grid) and for
// the animations built on them (animacion.h).

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

} // namespace Livora
