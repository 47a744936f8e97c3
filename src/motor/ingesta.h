#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

namespace Livora {

// Measure, decode upright, summarise the metadata and make the filter thumbnails: the
// record without its alternatives.
Resultado<ArchivoEstado> cargarRegistroImagen(const Ruta& url);

// The image job of intake: measure, decode upright, summarise the metadata, make the
// filter thumbnails and the alternatives, choose the initial one.
Resultado<ArchivoEstado> ingestaImagen(const Ruta& url, const AjustesImagen& ajustes);

} // namespace Livora
