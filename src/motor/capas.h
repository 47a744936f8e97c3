#pragma once
#include "modelo/modelo.h"

#include <optional>
#include <vector>

namespace Livora {

// Draws the text and emoji layers in order (later ones over earlier ones): bold sans at
// tamano × height pixels, the laid-out block centred on (posX × W, posY × H), with a soft
// black shadow when asked. RGB stays RGB; RGBA keeps its transparency around the text.
// An empty list, or any failure, returns the input itself.
Imagen renderizarCapas(const Imagen& img, const std::vector<CapaTexto>& capas);

// One layer drawn alone, exactly as renderizarCapas draws it on a picture of W × H pixels:
// straight-alpha RGBA with the shadow under the text, whose top-left corner falls at (x, y)
// in the picture's pixels (outside it too: nothing is cut at the edges). The block is the
// laid-out text the layer is centred on; an empty text has a one-space block and no pixels.
struct CapaSuelta {
    std::optional<Imagen> pixeles;
    int x = 0, y = 0;
    double bloqueX = 0, bloqueY = 0, bloqueAncho = 0, bloqueAlto = 0;
};
CapaSuelta dibujarCapa(const CapaTexto& capa, int W, int H);

} // namespace Livora
