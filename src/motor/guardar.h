#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <string>
#include <utility>
#include <vector>

namespace Livora {

// Next to the original: its name without the last extension, ".", sufijo, ".", ext.
Ruta destinoGuardado(const Ruta& original, const Variante& v);

struct TrabajoGuardado {
    Ruta original;
    Variante variante;
};

// Copies each alternative next to its original, in order, through a temporary name so a
// failed copy never destroys an earlier output. Stops at the first failure.
struct ResultadoGuardado {
    std::vector<Ruta> guardadas;
    std::optional<Error> fallo;
};
ResultadoGuardado guardarTrabajos(const std::vector<TrabajoGuardado>& trabajos);

// "✓ Guardada 1 junto al original" / "✓ Guardadas N junto al original".
std::string textoGuardadas(std::size_t n);
// The notice after a save: "❌ " and the failure, or the confirmation, which also counts
// the folders when the outputs went to more than one ("…, en 4 carpetas").
std::string textoGuardado(const ResultadoGuardado& r);

} // namespace Livora
