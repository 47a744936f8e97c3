#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <cstdint>
#include <span>

namespace Livora {

// What the generation folder holds, for the cleaning rules (see temporales.h).
enum class ClaseTemporal {
    Generacion, // alternatives and other outputs
    Descifrado, // an unlocked copy of a protected PDF
};

// A new private folder (mode 0700) "Livora-<uuid>" in the user's temporary directory,
// registered so that it is removed once nothing refers to it.
Resultado<Ruta> dirTemporal(ClaseTemporal clase = ClaseTemporal::Generacion);
// $TMPDIR, or /tmp.
Ruta carpetaTemporalUsuario();
// File size in bytes; 0 when it cannot be read.
std::int64_t tamano(const Ruta& url);
// Writes the bytes to the file, replacing it.
Resultado<void> escribirArchivo(const Ruta& destino, std::span<const std::uint8_t> datos);
// Copies through a temporary name in the destination's folder, flushed to disk, and
// renames it over the destination, so the destination is only ever replaced by a complete
// copy. The error names the file or folder at fault.
Resultado<void> copiarSeguro(const Ruta& origen, const Ruta& destino);

// Which side of an operation a system error happened on.
enum class Operacion { Leer, Escribir };

// A system error in Spanish, never the system's English text: "No queda espacio en el
// disco". Numbers without a text of their own get a generic one with the number.
std::string descripcionSistema(const std::error_code& ec);
// The same as the reason of a failure with `ruta`, naming the file or its folder where
// that is what the user must act on: "no tienes permiso para escribir en la carpeta
// «Fotos»", "el archivo «a.jpg» ya no existe". Lower case, to follow a colon.
std::string motivoSistema(int err, const Ruta& ruta, Operacion op);
// An error (domain "Sistema", code errno) whose message is that reason, capitalised.
Error errorSistema(int err, const Ruta& ruta, Operacion op);

} // namespace Livora
