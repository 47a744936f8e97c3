#pragma once
#include "cli/opciones.h"

#include <optional>
#include <string>

namespace Livora::Cli {

// --recortar X,Y,W,H (fractions of the upright picture) and --proporcion A:B.
bool esOpcionRecorte(const std::string& opcion);
// Reads the option's value into the options; the error text when it is not valid.
std::optional<std::string> leerRecorte(const std::string& opcion, const std::string& valor,
                                       Opciones& o);
bool hayRecorte(const Opciones& o);
// Cuts the record's picture as the window's crop does (--recortar first, then the largest
// centred rectangle of --proporcion on what is left); a cut under 8 pixels leaves the
// picture as it is and says so on one line.
void aplicarRecorte(ArchivoEstado& a, const Opciones& o);

} // namespace Livora::Cli
