#include "editores/calculo_recorte.h"

#include <algorithm>
#include <cmath>

namespace Livora {

namespace {

Punto dentro(Punto p, Tam marco) {
    return {std::clamp(p.x, 0.0, std::max(0.0, marco.ancho)),
            std::clamp(p.y, 0.0, std::max(0.0, marco.alto))};
}

bool contiene(const RectDoble& r, Punto p) {
    return p.x >= r.x && p.x <= r.x + r.ancho && p.y >= r.y && p.y <= r.y + r.alto;
}

} // namespace

const std::vector<OpcionProporcion>& opcionesProporcion() {
    static const std::vector<OpcionProporcion> t = {
        {"Libre", std::nullopt}, {"1:1", 1.0},     {"4:5", 0.8}, {"3:2", 1.5},
        {"16:9", 16.0 / 9.0},    {"9:16", 0.5625},
    };
    return t;
}

Punto esquina(int i, const RectDoble& r) {
    const double x = (i == 1 || i == 3) ? r.x + r.ancho : r.x;
    const double y = (i >= 2) ? r.y + r.alto : r.y;
    return {x, y};
}

RectDoble rectanguloDesde(Punto a, Punto p, const RectDoble& en, std::optional<double> ratio) {
    double w = std::abs(p.x - a.x);
    double h = std::abs(p.y - a.y);
    if (ratio && *ratio > 0) {
        h = w / *ratio;
        const double sitio = a.y <= p.y ? (en.y + en.alto) - a.y : a.y - en.y;
        if (sitio < h) {
            h = sitio;
            w = *ratio * sitio;
        }
    }
    const double x = a.x <= p.x ? a.x : a.x - w;
    const double y = a.y <= p.y ? a.y : a.y - h;
    return {x, y, w, h};
}

void cambioArrastreRecorte(EstadoRecorte& e, Tam marco, Punto inicio, Punto actual) {
    if (!e.modo) {
        e.selInicial = e.sel.value_or(RectDoble{});
        if (!e.sel) {
            e.modo = ModoSel{ModoSel::Tipo::Crear, inicio, 0};
        } else {
            for (int i = 0; i < 4 && !e.modo; ++i) {
                const Punto c = esquina(i, *e.sel);
                if (std::hypot(c.x - inicio.x, c.y - inicio.y) < radioEsquinaRecorte)
                    e.modo = ModoSel{ModoSel::Tipo::Esquina, {}, i};
            }
            if (!e.modo)
                e.modo = contiene(*e.sel, inicio) ? ModoSel{ModoSel::Tipo::Mover, {}, 0}
                                                  : ModoSel{ModoSel::Tipo::Crear, inicio, 0};
        }
    }
    const RectDoble limites{0, 0, marco.ancho, marco.alto};
    switch (e.modo->tipo) {
    case ModoSel::Tipo::Crear:
        e.sel = rectanguloDesde(e.modo->ancla, dentro(actual, marco), limites, e.ratio);
        break;
    case ModoSel::Tipo::Esquina: {
        const Punto ancla = esquina(3 - e.modo->esquina, e.selInicial);
        const RectDoble r = rectanguloDesde(ancla, dentro(actual, marco), limites, e.ratio);
        if (r.ancho > ladoMinimoEsquina && r.alto > ladoMinimoEsquina) e.sel = r;
        break;
    }
    case ModoSel::Tipo::Mover: {
        const RectDoble& s = e.selInicial;
        const double x = std::min(std::max(s.x + actual.x - inicio.x, 0.0), marco.ancho - s.ancho);
        const double y = std::min(std::max(s.y + actual.y - inicio.y, 0.0), marco.alto - s.alto);
        e.sel = RectDoble{x, y, s.ancho, s.alto};
        break;
    }
    }
}

void finArrastreRecorte(EstadoRecorte& e) {
    e.modo.reset();
}

void elegirProporcion(EstadoRecorte& e, std::optional<double> ratio, Tam marco) {
    e.ratio = ratio;
    if (!ratio || !(*ratio > 0) || !e.sel) return;
    RectDoble s = *e.sel;
    s.alto = s.ancho / *ratio;
    if (s.y + s.alto > marco.alto) {
        s.alto = marco.alto - s.y;
        s.ancho = s.alto * *ratio;
    }
    e.sel = s;
}

std::optional<RectFraccion> seleccionAceptada(const EstadoRecorte& e, Tam marco) {
    if (!e.sel || !(marco.ancho > 0) || !(marco.alto > 0)) return std::nullopt;
    const RectDoble& s = *e.sel;
    return RectFraccion{s.x / marco.ancho, s.y / marco.alto, s.ancho / marco.ancho,
                        s.alto / marco.alto};
}

} // namespace Livora
