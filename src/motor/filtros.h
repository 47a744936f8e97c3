#pragma once
#include "modelo/modelo.h"

#include <map>
#include <string>
#include <vector>

namespace Livora {

// One entry of the preset strip: key stored in FiltroAjustes::preset, label, and the
// symbol shown where a preset is named without its preview.
struct PresetFiltro {
    std::string clave;
    std::string nombre;
    std::string simbolo;
};

// The presets in display order ("ninguno" first).
const std::vector<PresetFiltro>& presetsFiltro();
// Whether the key names an effect (any other text applies none).
bool esPresetConEfecto(const std::string& clave);

// Colour controls (saturation, brightness, contrast), then the preset's effect. A neutral
// adjustment returns the input itself; any failure returns the input unchanged. Alpha is
// kept as it is.
Imagen aplicarFiltros(const Imagen& img, const FiltroAjustes& f);

// One preview per preset: the centred square, at most 96 px, never enlarged.
std::map<std::string, Imagen> miniaturasFiltros(const Imagen& img);

} // namespace Livora
