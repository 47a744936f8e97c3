#include "editores/calculo_capas.h"

#include <algorithm>
#include <cmath>

namespace Livora {

double tamanoMostrado(double tamano, double altoMostrado) {
    return std::max(tamano * altoMostrado, tamanoMinimoMostrado);
}

double tamanoEfectivo(double tamano, double altoMostrado) {
    if (!(altoMostrado > 0)) return tamano;
    return tamanoMostrado(tamano, altoMostrado) / altoMostrado;
}

Punto centroCapa(const CapaTexto& c, Tam marco) {
    return {c.posX * marco.ancho, c.posY * marco.alto};
}

RectDoble cajaCapa(Punto centro, Tam bloque) {
    const double w = bloque.ancho + 2 * rellenoCapa, h = bloque.alto + 2 * rellenoCapa;
    return {centro.x - w / 2, centro.y - h / 2, w, h};
}

std::optional<std::size_t> capaEn(const std::vector<RectDoble>& cajas, Punto p) {
    for (std::size_t i = cajas.size(); i-- > 0;) {
        const RectDoble& r = cajas[i];
        if (p.x >= r.x && p.x <= r.x + r.ancho && p.y >= r.y && p.y <= r.y + r.alto) return i;
    }
    return std::nullopt;
}

void moverCapa(CapaTexto& c, Punto puntero, Tam marco) {
    if (!(marco.ancho > 0) || !(marco.alto > 0)) return;
    c.posX = std::clamp(puntero.x / marco.ancho, 0.0, 1.0);
    c.posY = std::clamp(puntero.y / marco.alto, 0.0, 1.0);
}

bool superaUmbral(Punto inicio, Punto actual) {
    return std::hypot(actual.x - inicio.x, actual.y - inicio.y) >= umbralArrastreCapa;
}

CapaTexto capaNueva(std::size_t n) {
    CapaTexto c;
    c.texto = "Tu texto";
    c.posX = 0.5;
    c.posY = 0.4 + 0.12 * static_cast<double>(n % 4);
    c.tamano = 0.08;
    c.color = Color{};
    c.sombra = true;
    return c;
}

CapaTexto capaSticker(const std::string& emoji, std::size_t n) {
    CapaTexto c;
    c.texto = emoji;
    c.posX = 0.35 + 0.15 * static_cast<double>(n % 3);
    c.posY = 0.35 + 0.1 * static_cast<double>(n % 4);
    c.tamano = 0.16;
    c.color = Color{};
    c.sombra = false;
    return c;
}

CapaTexto capaPorDefecto() {
    CapaTexto c;
    c.posY = 0.5;
    return c;
}

const std::vector<std::string>& emojisRapidos() {
    static const std::vector<std::string> t = {"😀", "😂", "😍", "🔥", "\u2764\uFE0F", "✨", "🎉",
                                               "👍", "💯", "🚀", "🌟", "🥳"};
    return t;
}

} // namespace Livora
