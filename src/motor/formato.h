#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Livora {

// File-size text in decimal units (1 kB = 1000 bytes) with Spanish number format:
// "532 bytes", "12 kB", "3,4 MB", "1,25 GB".
std::string formatoBytes(std::int64_t bytes);

// A whole number with Spanish digit grouping: "240", "1.234", "1.234.567".
std::string enteroConMiles(std::int64_t n);

// Saving text of an output against its original: "−75 %", "+1 %", "—" when the original
// size is below 1.
std::string ahorro(std::int64_t bytes, std::int64_t bytesOriginal);

// A notice naming files: the prefix and the names joined with ", "; empty without names.
std::string avisoNombres(std::string_view prefijo, const std::vector<std::string>& nombres);

} // namespace Livora
