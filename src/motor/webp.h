#pragma once
#include "modelo/modelo.h"

#include <optional>
#include <string>
#include <vector>

namespace Livora {

// Where cwebp is: "/opt/homebrew/bin/cwebp", "/usr/local/bin/cwebp", then the folders of
// PATH, the first executable file wins. Looked up once per run.
const std::optional<Ruta>& rutaCwebp();
std::optional<Ruta> buscarCwebp(const std::string& path);

std::vector<std::string> argumentosCwebp(const Ruta& origen, const Ruta& destino,
                                         bool quitarMetadatos);

// "webp.webp" made by cwebp from the generation's "sin-perdida.png"; none when cwebp is
// absent, fails or writes nothing.
std::optional<Variante> varianteWebP(const Ruta& dir, bool quitarMetadatos);
std::optional<Variante> varianteWebP(const Ruta& dir, bool quitarMetadatos,
                                     const std::optional<Ruta>& cwebp);
// The same from another PNG of the generation with the lossless row's pixels and metadata.
std::optional<Variante> varianteWebP(const Ruta& dir, bool quitarMetadatos,
                                     const std::optional<Ruta>& cwebp, const Ruta& origen);

} // namespace Livora
