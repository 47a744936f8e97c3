#pragma once
#include "vistas/muelle.h"

#include <QEasingCurve>

class QPixmap;
class QVariantAnimation;
class QWidget;

namespace Livora {

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
// with `grab()` before the change. `opaca`: the picture has no transparent pixel, so while it
// is fully opaque the widget under it need not be painted.
void fundido(QWidget* w, const QPixmap& antes, Transicion t = Transicion::Muelle,
             bool opaca = false);

} // namespace Livora
