#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

namespace Livora {

// The image job of intake: measure, decode upright, summarise the metadata, make the
// filter thumbnails and the alternatives, choose the initial one.
Resultado<ArchivoEstado> ingestaImagen(const Ruta& url, const AjustesImagen& ajustes);

} // namespace Livora
