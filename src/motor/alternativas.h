#pragma once
#include "modelo/modelo.h"
#include "motor/codec.h"
#include "motor/error.h"

#include <optional>
#include <vector>

namespace Livora {

// The image's alternatives, in the fixed order: sin-perdida, alta, media, baja, heic,
// avif, webp, personalizada, objetivo (absent encoders leave gaps); or only the
// transparent PNG when the background is removed. One fresh folder per call.
Resultado<std::vector<Variante>>
variantesImagen(const Imagen& cg, const AjustesImagen& ajustes,
                const std::optional<Propiedades>& metadatosOriginales, bool sinFondo);
// The same, told which file the picture was decoded from, unedited: when that file is a PNG
// smaller than the lossless re-encode, the lossless row keeps its image data.
Resultado<std::vector<Variante>>
variantesImagen(const Imagen& cg, const AjustesImagen& ajustes,
                const std::optional<Propiedades>& metadatosOriginales, bool sinFondo,
                const std::optional<Ruta>& original);

// Detail text of the user-tuned JPEG ("70 %, 1024×768 px" or "70 %, tamaño completo").
std::string detallePersonalizada(const Imagen& cg, const AjustesImagen& ajustes);

} // namespace Livora
