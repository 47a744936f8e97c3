#include "motor/recorte.h"

#include <algorithm>
#include <cmath>

namespace Livora {

namespace {

constexpr double tolerancia = 1e-6;

std::int64_t abajo(double v) {
    const double r = std::round(v);
    return static_cast<std::int64_t>(std::abs(v - r) < tolerancia ? r : std::floor(v));
}

std::int64_t arriba(double v) {
    const double r = std::round(v);
    return static_cast<std::int64_t>(std::abs(v - r) < tolerancia ? r : std::ceil(v));
}

} // namespace

RectPixeles rectanguloPixeles(const RectFraccion& r, std::int64_t ancho, std::int64_t alto) {
    const double W = static_cast<double>(ancho), H = static_cast<double>(alto);
    // Clamped before converting: a wild fraction must not overflow the integers.
    const auto lado = [](double v, double limite) { return std::clamp(v, 0.0, limite); };
    const std::int64_t x0 = abajo(lado(r.x * W, W)), y0 = abajo(lado(r.y * H, H));
    const std::int64_t x1 = arriba(lado((r.x + r.ancho) * W, W));
    const std::int64_t y1 = arriba(lado((r.y + r.alto) * H, H));
    return {x0, y0, std::max<std::int64_t>(0, x1 - x0), std::max<std::int64_t>(0, y1 - y0)};
}

std::optional<RectPixeles> recorteDe(const RectFraccion& r, std::int64_t ancho, std::int64_t alto) {
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.ancho) ||
        !std::isfinite(r.alto) || ancho < 1 || alto < 1)
        return std::nullopt;
    const RectPixeles p = rectanguloPixeles(r, ancho, alto);
    if (p.ancho < recorteMinimo || p.alto < recorteMinimo) return std::nullopt;
    return p;
}

RectFraccion recorteProporcion(double proporcion, std::int64_t ancho, std::int64_t alto) {
    if (!(proporcion > 0) || !std::isfinite(proporcion) || ancho < 1 || alto < 1)
        return {0, 0, 1, 1};
    const double W = static_cast<double>(ancho), H = static_cast<double>(alto);
    std::int64_t w = ancho, h = alto;
    if (W / H > proporcion)
        w = std::clamp<std::int64_t>(std::llround(H * proporcion), 1, ancho);
    else
        h = std::clamp<std::int64_t>(std::llround(W / proporcion), 1, alto);
    const std::int64_t x = (ancho - w) / 2, y = (alto - h) / 2;
    return {x / W, y / H, w / W, h / H};
}

} // namespace Livora
