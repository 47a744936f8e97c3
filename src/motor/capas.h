#pragma once
#include "modelo/modelo.h"

#include <vector>

namespace Livora {

// Draws the text and emoji layers in order (later ones over earlier ones): bold sans at
// tamano × height pixels, the laid-out block centred on (posX × W, posY × H), with a soft
// black shadow when asked. RGB stays RGB; RGBA keeps its transparency around the text.
// An empty list, or any failure, returns the input itself.
Imagen renderizarCapas(const Imagen& img, const std::vector<CapaTexto>& capas);

} // namespace Livora
