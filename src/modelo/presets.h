#pragma once
#include "modelo/modelo.h"

#include <vector>

namespace Livora {

// The device resolutions offered by the custom output's preset menu, grouped and in menu
// order. Duplicated sizes are separate entries on purpose: users look for their device.
const std::vector<GrupoPresetsResolucion>& gruposPresetsResolucion();

} // namespace Livora
