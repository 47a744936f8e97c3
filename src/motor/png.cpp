#include "motor/png.h"

#include <cstdio>
#include <string>

#include <zlib.h>

namespace Livora {

namespace {

constexpr std::size_t firma = 8;

std::uint32_t leer32(const Bytes& b, std::size_t p) {
    return std::uint32_t(b[p]) << 24 | std::uint32_t(b[p + 1]) << 16 |
           std::uint32_t(b[p + 2]) << 8 | std::uint32_t(b[p + 3]);
}

void escribir32(Bytes& b, std::uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

bool esPNG(const Bytes& b) {
    static const std::uint8_t cabecera[firma] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return b.size() >= firma + 12 && std::equal(cabecera, cabecera + firma, b.begin());
}

// Calls f(offset, total length, type) for every whole chunk.
template <typename F> void recorrer(const Bytes& png, F f) {
    for (std::size_t p = firma; p + 12 <= png.size();) {
        const std::size_t largo = std::size_t(leer32(png, p)) + 12;
        if (largo > png.size() - p) break;
        f(p, largo, std::string_view(reinterpret_cast<const char*>(&png[p + 4]), 4));
        p += largo;
    }
}

} // namespace

Bytes trozoPNG(std::string_view tipo, std::span<const std::uint8_t> datos) {
    Bytes t;
    escribir32(t, static_cast<std::uint32_t>(datos.size()));
    t.insert(t.end(), tipo.begin(), tipo.end());
    t.insert(t.end(), datos.begin(), datos.end());
    const auto crc = crc32(0, t.data() + 4, static_cast<uInt>(t.size() - 4));
    escribir32(t, static_cast<std::uint32_t>(crc));
    return t;
}

std::optional<Bytes> insertarTrozosPNG(const Bytes& png, const Bytes& trozos) {
    if (!esPNG(png) || leer32(png, firma + 4) != 0x49484452u) return std::nullopt; // IHDR
    const std::size_t tras = firma + 12 + leer32(png, firma);
    if (tras > png.size()) return std::nullopt;
    Bytes r(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(tras));
    r.insert(r.end(), trozos.begin(), trozos.end());
    r.insert(r.end(), png.begin() + static_cast<std::ptrdiff_t>(tras), png.end());
    return r;
}

Bytes quitarTrozosPNG(const Bytes& png, std::string_view tipo) {
    if (!esPNG(png)) return png;
    Bytes r(png.begin(), png.begin() + firma);
    std::size_t fin = firma;
    recorrer(png, [&](std::size_t p, std::size_t largo, std::string_view t) {
        if (t != tipo) r.insert(r.end(), png.begin() + p, png.begin() + p + largo);
        fin = p + largo;
    });
    r.insert(r.end(), png.begin() + fin, png.end());
    return r;
}

Bytes trozosExifPNG(std::span<const std::uint8_t> tiff) {
    Bytes r = trozoPNG("eXIf", tiff);
    // ImageMagick's raw profile text: name, length, then the bytes in hex, 36 per line.
    char cabecera[32];
    std::snprintf(cabecera, sizeof cabecera, "\nexif\n%8zu", tiff.size());
    std::string texto = cabecera;
    static const char hex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < tiff.size(); ++i) {
        if (i % 36 == 0) texto += '\n';
        texto += hex[tiff[i] >> 4];
        texto += hex[tiff[i] & 15];
    }
    texto += '\n';
    uLongf largo = compressBound(static_cast<uLong>(texto.size()));
    Bytes z(largo);
    if (compress2(z.data(), &largo, reinterpret_cast<const Bytef*>(texto.data()),
                  static_cast<uLong>(texto.size()), Z_BEST_COMPRESSION) != Z_OK)
        return r;
    z.resize(largo);
    const std::string_view clave("Raw profile type exif\0\0", 23); // keyword, method 0
    Bytes ztxt(clave.begin(), clave.end());
    ztxt.insert(ztxt.end(), z.begin(), z.end());
    Bytes t = trozoPNG("zTXt", ztxt);
    r.insert(r.end(), t.begin(), t.end());
    return r;
}

} // namespace Livora
