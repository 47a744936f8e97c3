#pragma once
#include "modelo/modelo.h"

#include <set>
#include <string>

namespace Livora {

// Whether a file name's extension names an image type (the same answer as the desktop's
// MIME database for the extensions it knows). Everything else goes the PDF way.
bool esExtensionImagen(std::string extension);
// Those extensions, lower case, without the dot (for open panels' filters).
const std::set<std::string>& extensionesImagen();
bool esImagen(const Ruta& url);

} // namespace Livora
