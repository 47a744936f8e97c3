#pragma once
#include "modelo/modelo.h"

#include <QImage>
#include <QSize>

#include <functional>
#include <optional>
#include <string>

namespace Livora {

// Gives a picture no larger than the asked box (keeping its aspect, never enlarged), or a
// null image when it cannot be read. Runs on worker threads: it must only read what it
// captured.
using ProveedorImagen = std::function<QImage(QSize maximo)>;

// An engine bitmap (8-bit sRGB, RGB or RGBA) as a display image; null for anything else.
QImage imagenQt(const Imagen& img);
// A display image back as an engine bitmap (RGB, or RGBA when it has alpha); none when null.
std::optional<Imagen> imagenMotor(const QImage& img);

// Decodes a file (an alternative's temporary file) at the size asked, shrinking while it
// loads so a 12 MP JPEG shown in a small frame is never held at full size.
// A protected PDF output needs its password to be read back.
ProveedorImagen proveedorArchivo(const Ruta& ruta,
                                 std::optional<std::string> contrasena = std::nullopt);
// A record's picture, decoded at the size asked (shrunk while loading where it can).
ProveedorImagen proveedorFuente(const ImagenFuente& fuente);
// The same from a picture already in memory.
ProveedorImagen proveedorImagen(const Imagen& img);
ProveedorImagen proveedorImagen(const QImage& img);

} // namespace Livora
