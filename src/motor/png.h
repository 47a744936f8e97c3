#pragma once
// PNG chunks: just enough to put metadata where each kind of reader looks for it.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace Livora {

using Bytes = std::vector<std::uint8_t>;

// One chunk: length, type, data, CRC.
Bytes trozoPNG(std::string_view tipo, std::span<const std::uint8_t> datos);
// The PNG with `trozos` (whole chunks) right after IHDR; none when it is not a PNG.
std::optional<Bytes> insertarTrozosPNG(const Bytes& png, const Bytes& trozos);
// The PNG without any chunk of this type.
Bytes quitarTrozosPNG(const Bytes& png, std::string_view tipo);

// A TIFF-structured EXIF block (no "Exif\0\0" prefix) as PNG chunks: eXIf, which browsers,
// exiv2, libvips and exiftool read, and the "Raw profile type exif" text chunk, the only
// place cwebp takes EXIF from. Without the prefix in the raw profile, the WebP cwebp makes
// carries a plain EXIF chunk that readers accept.
Bytes trozosExifPNG(std::span<const std::uint8_t> tiff);

} // namespace Livora
