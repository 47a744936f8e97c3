#pragma once
#include "modelo/modelo.h"

namespace Livora {

// Image or not, as the desktop's MIME database says for the (lower-cased) extension: an
// image type, or one that inherits from an image type. Everything else goes the PDF way.
bool esImagenPorTipo(const Ruta& url);

} // namespace Livora
