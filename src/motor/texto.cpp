#include "motor/texto.h"

#include <cstdint>

namespace Livora {

namespace {

// Length of the well-formed UTF-8 sequence at the start of `s` (Unicode's table 3-7: no
// overlong forms, no surrogates, nothing above U+10FFFF); 0 when it is not one.
std::size_t secuencia(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned char min = 0x80, max = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) min = 0xA0;
        if (c == 0xED) max = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) min = 0x90;
        if (c == 0xF4) max = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    if (b(1) < min || b(1) > max) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (b(i) < 0x80 || b(i) > 0xBF) return 0;
    return n;
}

void anadir(std::string& r, char32_t c) {
    if (c < 0x80) {
        r += static_cast<char>(c);
    } else if (c < 0x800) {
        r += static_cast<char>(0xC0 | (c >> 6));
        r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        r += static_cast<char>(0xE0 | (c >> 12));
        r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        r += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t reemplazo = 0xFFFD;

// Windows-1252's 0x80…0x9F; its five unassigned bytes become U+FFFD.
constexpr char32_t cp1252[32] = {0x20AC, reemplazo, 0x201A,    0x0192, 0x201E, 0x2026, 0x2020,
                                 0x2021, 0x02C6,    0x2030,    0x0160, 0x2039, 0x0152, reemplazo,
                                 0x017D, reemplazo, reemplazo, 0x2018, 0x2019, 0x201C, 0x201D,
                                 0x2022, 0x2013,    0x2014,    0x02DC, 0x2122, 0x0161, 0x203A,
                                 0x0153, reemplazo, 0x017E,    0x0178};

} // namespace

bool esUtf8Valido(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = secuencia(s.substr(i));
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string textoUtf8(std::string_view s) {
    bool valido = true, multibyte = false;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = secuencia(s.substr(i));
        if (n == 0) {
            valido = false;
            ++i;
        } else {
            multibyte = multibyte || n > 1;
            i += n;
        }
    }
    if (valido) return std::string(s);
    std::string r;
    r.reserve(s.size() + s.size() / 2);
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (multibyte) {
            // Mostly UTF-8: keep every good sequence, replace the stray bytes.
            std::size_t n = secuencia(s.substr(i));
            if (n == 0) {
                anadir(r, reemplazo);
                ++i;
            } else {
                r.append(s.substr(i, n));
                i += n;
            }
            continue;
        }
        if (c >= 0x80 && c < 0xA0)
            anadir(r, cp1252[c - 0x80]);
        else
            anadir(r, c);
        ++i;
    }
    return r;
}

std::string textoRuta(const Ruta& ruta) {
    const std::string& bytes = ruta.native();
    if (esUtf8Valido(bytes)) return bytes;
    std::string r;
    std::size_t inicio = 0;
    for (;;) {
        std::size_t barra = bytes.find('/', inicio);
        r += textoUtf8(std::string_view(bytes).substr(inicio, barra - inicio));
        if (barra == std::string::npos) break;
        r += '/';
        inicio = barra + 1;
    }
    return r;
}

std::string nombreVisible(const Ruta& ruta) {
    return textoUtf8(ruta.filename().native());
}

} // namespace Livora
