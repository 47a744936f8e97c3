#pragma once
#include "modelo/modelo.h"

#include <cstddef>
#include <optional>

namespace Livora {

// The full picture an image record works from, decoded on demand (upright, 8-bit sRGB)
// and cut; none when its file can no longer be read. The last pictures decoded are kept
// in a small cache, so the record being edited is not decoded again for every change.
std::optional<Imagen> decodificarFuente(const ImagenFuente& fuente);
// The picture shrunk to fit maxAncho × maxAlto (never enlarged), decoded at a reduced
// size where the format allows it; for display only, never cached here.
std::optional<Imagen> previaFuente(const ImagenFuente& fuente, int maxAncho, int maxAlto);
// Hands a picture just decoded (by intake) to the cache.
void recordarFuente(const ImagenFuente& fuente, const Imagen& pixeles);
// How many decoded pictures the cache keeps; 0 empties it.
void fijarCapacidadFuentes(std::size_t imagenes);

} // namespace Livora
