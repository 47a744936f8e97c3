#pragma once
#include "editores/calculo_recorte.h"
#include "modelo/modelo.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The text-layer editor's placement and gestures as plain arithmetic, in points of the shown
// picture. A layer is placed by the renderer's rule (centre at posX × Sw, posY × Sh, font
// tamano × Sh), with a floor on the displayed size so tiny texts stay grabbable.
namespace Livora {

inline constexpr double tamanoMinimoMostrado = 8;
inline constexpr double umbralArrastreCapa = 2;
inline constexpr double rellenoCapa = 4;
inline constexpr double tamanoCapaMinimo = 0.03;
inline constexpr double tamanoCapaMaximo = 0.25;

// Font size in points for a layer on a picture shown `altoMostrado` points high.
double tamanoMostrado(double tamano, double altoMostrado);
// The same as a fraction of the shown height: what the renderer is given to draw it there.
double tamanoEfectivo(double tamano, double altoMostrado);

Punto centroCapa(const CapaTexto& c, Tam marco);
// The layer's box on screen: its text block centred on its anchor, padded by 4 points.
RectDoble cajaCapa(Punto centro, Tam bloque);
// The topmost box (the last in drawing order) containing p.
std::optional<std::size_t> capaEn(const std::vector<RectDoble>& cajas, Punto p);

// A drag moves the layer's centre to the pointer, never past the picture's edges.
void moverCapa(CapaTexto& c, Punto puntero, Tam marco);
bool superaUmbral(Punto inicio, Punto actual);

// The layer "Añadir texto" appends to a list of n layers (heights cycle 0.40 … 0.76).
CapaTexto capaNueva(std::size_t n);
// The sticker a quick emoji drops on a list of n layers (a 3 × 4 cycle of places).
CapaTexto capaSticker(const std::string& emoji, std::size_t n);
// What a stale binding reads.
CapaTexto capaPorDefecto();
// The panel's quick emoji, in order.
const std::vector<std::string>& emojisRapidos();

} // namespace Livora
