#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <cstdint>
#include <span>

namespace Livora {

// A new private folder (mode 0700) "Livora-<uuid>" in the user's temporary directory.
Resultado<Ruta> dirTemporal();
// File size in bytes; 0 when it cannot be read.
std::int64_t tamano(const Ruta& url);
// Writes the bytes to the file, replacing it.
Resultado<void> escribirArchivo(const Ruta& destino, std::span<const std::uint8_t> datos);
// Copies through a temporary name in the destination's folder and renames it over the
// destination, so a failed copy never destroys an earlier file.
Resultado<void> copiarSeguro(const Ruta& origen, const Ruta& destino);
// Text of a system error in Spanish-friendly form.
std::string descripcionSistema(const std::error_code& ec);

} // namespace Livora
