#pragma once
#include "modelo/imagen_fuente.h"

#include <cstdint>
#include <optional>

namespace Livora {

// A selection as fractions (0…1) of a picture's width and height, origin at its top-left
// corner: what the crop editor hands over and what `--recortar` reads.
struct RectFraccion {
    double x = 0, y = 0, ancho = 0, alto = 0;
    bool operator==(const RectFraccion&) const = default;
};

// Neither side of a cut may be smaller than this, in pixels.
inline constexpr std::int64_t recorteMinimo = 8;

// The smallest rectangle with integer edges that contains the fractions × the picture's
// size, kept inside the picture. Products within a millionth of a pixel of a whole number
// count as that number, so 0.25 × 4000 is 1000 and not 1001 through rounding.
RectPixeles rectanguloPixeles(const RectFraccion& r, std::int64_t ancho, std::int64_t alto);

// The cut a selection gives on a picture of that size, or none when it is under
// `recorteMinimo` pixels in either direction (or not a number at all).
std::optional<RectPixeles> recorteDe(const RectFraccion& r, std::int64_t ancho, std::int64_t alto);

// The largest centred rectangle of width ÷ height = `proporcion` on a picture of that size,
// in whole pixels, as fractions (mapping back to exactly those pixels).
RectFraccion recorteProporcion(double proporcion, std::int64_t ancho, std::int64_t alto);

} // namespace Livora
