#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <vips/vips8>

namespace Livora {

// A rectangle in a picture's pixel grid, origin at its top-left corner.
struct RectPixeles {
    std::int64_t x = 0, y = 0, ancho = 0, alto = 0;
    bool operator==(const RectPixeles&) const = default;
};

// A picture held as a recipe, not as pixels: a file decoded upright and cut to `recorte`,
// or pixels already in memory for pictures that have no file (PDF previews). Open records
// keep only this, so fifty open photos never hold fifty decoded pictures; the engine decodes
// it when a job needs it (`decodificarFuente`).
struct ImagenFuente {
    std::filesystem::path archivo;
    std::optional<vips::VImage> pixeles;
    // In the pixels of the whole upright picture (or of `pixeles`).
    std::optional<RectPixeles> recorte;
    // Size of the picture it gives, the cut applied.
    std::int64_t ancho = 0, alto = 0;

    static ImagenFuente deArchivo(std::filesystem::path archivo, std::int64_t ancho,
                                  std::int64_t alto);
    static ImagenFuente enMemoria(vips::VImage pixeles);
    // The same picture cut to `r`, given in this picture's own pixels; cuts accumulate.
    ImagenFuente recortada(const RectPixeles& r) const;
    // Names the picture for caches: the file and the cut, or the pixels' identity.
    std::string clave() const;
};

// A picture that may be missing, held in memory.
std::optional<ImagenFuente> enMemoria(std::optional<vips::VImage> pixeles);

} // namespace Livora
