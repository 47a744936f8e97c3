#pragma once
#include <QColor>
#include <QIcon>
#include <QString>

namespace Livora {

// The icon for one of the system's symbol names ("crop", "info.circle"), drawn in the
// given colour, or in the palette's text colour when none is given. Icons come from the
// icon set compiled into the resources (":/iconos/<name>.svg"); without it, the desktop
// theme is asked, which may have nothing.
QIcon simbolo(const QString& nombre, const QColor& color = QColor());

// The icon-set name a symbol maps to; empty when the symbol is unknown.
QString nombreIcono(const QString& nombre);

} // namespace Livora
