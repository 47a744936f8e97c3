#pragma once
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <string>

namespace Livora {

// Registers the compiled-in resources (icons, application icon) of the static library.
void iniciarRecursos();

// The icon file that stands for a symbol name of the interface ("crop", "lock.fill", …);
// empty when the name is unknown.
QString archivoIcono(const std::string& simbolo);
// The symbol drawn in one colour at the given size (device-pixel aware); a null pixmap
// when the icon is missing.
QPixmap pixmapIcono(const std::string& simbolo, const QColor& color, int lado, qreal escala = 1);
QIcon icono(const std::string& simbolo, const QColor& color);

} // namespace Livora
