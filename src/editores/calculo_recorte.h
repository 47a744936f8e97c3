#pragma once
#include "motor/recorte.h"
#include "vistas/calculo_comparador.h"

#include <optional>
#include <vector>

// The crop editor's gestures as plain arithmetic, in points of the shown picture (origin at
// its top-left corner, y downwards): the view only feeds it pointer positions and draws.
namespace Livora {

struct Punto {
    double x = 0, y = 0;
    bool operator==(const Punto&) const = default;
};

// Both editors show the picture fitted and centred (`marcoCentrado`) with these corners.
inline constexpr double radioEsquinasEditor = 16;
// A drag starting closer than this to a corner of the selection resizes it.
inline constexpr double radioEsquinaRecorte = 16;
// A corner drag never makes the selection this small or smaller.
inline constexpr double ladoMinimoEsquina = 20;

struct OpcionProporcion {
    const char* etiqueta;
    std::optional<double> valor; // width ÷ height; none is free
};
// "Libre", "1:1", "4:5", "3:2", "16:9", "9:16", in this order.
const std::vector<OpcionProporcion>& opcionesProporcion();

struct ModoSel {
    enum class Tipo { Crear, Esquina, Mover };
    Tipo tipo = Tipo::Crear;
    Punto ancla;     // Crear: where the drag started
    int esquina = 0; // Esquina: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
    bool operator==(const ModoSel&) const = default;
};

struct EstadoRecorte {
    std::optional<RectDoble> sel;
    std::optional<ModoSel> modo;
    RectDoble selInicial;
    std::optional<double> ratio;
};

// Corner i of a rectangle, in the order of `ModoSel::esquina`.
Punto esquina(int i, const RectDoble& r);

// The selection spanned from an anchor to a point within bounds. With a ratio only the
// horizontal distance counts, and the height is limited by the room above or below the
// anchor (the width shrinking with it).
RectDoble rectanguloDesde(Punto ancla, Punto hasta, const RectDoble& en,
                          std::optional<double> ratio);

// One change of a drag over a shown picture of size `marco`: where it started and where the
// pointer is now. The first change decides what the drag does.
void cambioArrastreRecorte(EstadoRecorte& e, Tam marco, Punto inicio, Punto actual);
void finArrastreRecorte(EstadoRecorte& e);

// A ratio chip: the selection keeps its origin and width and takes the chip's height,
// narrowed when that would pass the bottom edge. "Libre" (none) only clears the ratio.
void elegirProporcion(EstadoRecorte& e, std::optional<double> ratio, Tam marco);

// What "Recortar" hands over: the selection as fractions of the shown picture; none
// without a selection or with an empty picture.
std::optional<RectFraccion> seleccionAceptada(const EstadoRecorte& e, Tam marco);

} // namespace Livora
