#pragma once
#include "modelo/modelo.h"
#include "motor/codec.h"

#include <optional>

namespace Livora {

// How much work a lossless PNG is worth.
enum class EsfuerzoPNG {
    // Stored, unfiltered: for a reader that comes right after (cwebp), not for keeping.
    Rapido,
    // As small as a reasonable effort allows: the smallest colour type and bit depth that
    // keep every pixel, per-row filters and a strong deflate, more trials on small pictures.
    Optimo,
};

// A lossless PNG of an 8- or 16-bit picture with one to four bands, with no metadata.
// None when the picture cannot be read.
std::optional<Bytes> codificarPNG(const Imagen& img, EsfuerzoPNG esfuerzo);

// The file's own PNG without its text, EXIF, time and private chunks (colour chunks stay),
// when the file is a PNG whose decoded pixels are exactly `img`'s; none otherwise.
std::optional<Bytes> pngConservable(const Ruta& archivo, const Imagen& img);

// The lossless row: the optimised encode, or the original file's own image data when the
// picture is that file's and its PNG is smaller. No metadata.
std::optional<Bytes> pngSinPerdida(const Imagen& img, const std::optional<Ruta>& original);

} // namespace Livora
