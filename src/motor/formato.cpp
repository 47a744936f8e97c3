#include "motor/formato.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace Livora {

std::string formatoBytes(std::int64_t bytes) {
    if (bytes == 1) return "1 byte";
    if (std::llabs(bytes) < 1000) return std::to_string(bytes) + " bytes";
    const char* unidades[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    const int decimales[] = {0, 1, 2, 2, 2, 2};
    double v = static_cast<double>(bytes) / 1000.0;
    int u = 0;
    while (std::fabs(v) >= 999.5 && u < 5) {
        v /= 1000.0;
        ++u;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimales[u], v);
    std::string s(buf);
    for (auto& c : s)
        if (c == '.') c = ',';
    return s + " " + unidades[u];
}

std::string enteroConMiles(std::int64_t n) {
    const std::string d = std::to_string(n);
    const std::size_t inicio = (n < 0) ? 1 : 0;
    std::string r = d.substr(0, inicio);
    for (std::size_t i = inicio; i < d.size(); ++i) {
        if (i > inicio && (d.size() - i) % 3 == 0) r += '.';
        r += d[i];
    }
    return r;
}

std::string ahorro(std::int64_t bytes, std::int64_t bytesOriginal) {
    if (bytesOriginal < 1) return "—";
    // 64-bit arithmetic truncating toward zero; a product that would overflow is
    // computed in 128 bits instead.
    __int128 p = 100 - (static_cast<__int128>(bytes) * 100) / bytesOriginal;
    auto texto = [](__int128 v) {
        if (v > std::numeric_limits<std::int64_t>::max())
            v = std::numeric_limits<std::int64_t>::max();
        return std::to_string(static_cast<std::int64_t>(v));
    };
    if (p < 0) return "+" + texto(-p) + " %";
    return "\u2212" + texto(p) + " %";
}

std::string avisoNombres(std::string_view prefijo, const std::vector<std::string>& nombres) {
    if (nombres.empty()) return {};
    std::string t(prefijo);
    for (std::size_t i = 0; i < nombres.size(); ++i)
        t += (i ? ", " : "") + nombres[i];
    return t;
}

} // namespace Livora
