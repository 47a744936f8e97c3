#pragma once
#include "modelo/modelo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Livora {

// The codec service: decode upright with properties, encode into memory.
enum class Formato { PNG, JPEG, HEIC, AVIF };

using Bytes = std::vector<std::uint8_t>;

// Largest picture decoded into memory; larger files are refused like unreadable ones.
inline constexpr std::int64_t maxPixelesImagen = 250'000'000;
// Larger JPEGs are written baseline: a progressive one holds all its coefficients.
inline constexpr std::int64_t maxPixelesProgresivo = 64'000'000;

// Starts libvips and exiv2 once; every engine entry point calls it.
void iniciarMotor();

std::string extension(Formato f);
// Whether this build can encode the format (HEIC and AVIF depend on libheif's plugins).
bool hayCodificador(Formato f);

struct ImagenCargada {
    Imagen imagen;
    std::optional<Propiedades> propiedades;
};

// The full-resolution picture, orientation applied, colour converted to 8-bit sRGB (RGB or
// RGBA) and held in memory, with its properties; none when the file cannot be decoded.
std::optional<ImagenCargada> cargarImagen(const Ruta& url);
// The same from bytes in memory (no properties read).
std::optional<Imagen> decodificar(const Bytes& datos);
// The file shrunk on load to fit ancho × alto (never enlarged), upright, and converted to
// sRGB when it carries a colour profile (libvips' thumbnail otherwise leaves an Adobe RGB
// or Display P3 photo only tagged, so it would look duller than its outputs). For display.
// Throws vips::VError.
Imagen miniaturaArchivo(const Ruta& url, int ancho, int alto);
// Whether the file's header can be read back as an image.
bool legible(const Ruta& url);

// Encodes into memory with a quality of 0…1 (ignored by PNG) and, when given, the kept
// metadata blocks. None when the format has no encoder or encoding fails.
std::optional<Bytes> codificar(const Imagen& img, Formato f, double calidad,
                               const Propiedades* metadatos);

// A baseline JPEG for a PDF page: every PDF reader and printer decodes it, and it is made
// faster than a progressive one (twenty 300-dpi pages: about 4 s of CPU less).
std::optional<Bytes> codificarJPEGPagina(const Imagen& img, double calidad);

// Never enlarges: with f = maxLado / longer side < 1 both sides are multiplied by f and
// truncated.
Imagen escalado(const Imagen& img, double maxLado);
// Stretched to exactly ancho × alto.
Imagen redimensionar(const Imagen& img, std::int64_t ancho, std::int64_t alto);
// Output size of the user-tuned alternative.
std::pair<std::int64_t, std::int64_t> dimensionesCustom(const Imagen& img,
                                                        const AjustesImagen& ajustes);

} // namespace Livora
