#pragma once
// Floating-point values from users or files turned into integers. Converting a double
// outside the target type's range (or NaN) is undefined behaviour, so it is bounded first.
#include <cmath>
#include <cstdint>

namespace Livora {

// Truncated towards zero and kept within [min, max]; NaN gives min.
inline std::int64_t truncadoEn(double v, std::int64_t min, std::int64_t max) {
    if (!(v > static_cast<double>(min))) return min;
    if (!(v < static_cast<double>(max))) return max;
    return static_cast<std::int64_t>(v);
}

// Rounded to nearest, halves away from zero, kept within [min, max]; NaN gives min.
inline std::int64_t redondeadoEn(double v, std::int64_t min, std::int64_t max) {
    return truncadoEn(std::round(v), min, max);
}

} // namespace Livora
