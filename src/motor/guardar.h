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

struct FalloGuardado {
    Ruta destino;
    Error error; // its message names the file or folder at fault
};
// What a save did, as data: the window, the CLI and any confirmation built on top of them
// word it with textoResultadoGuardado.
struct ResultadoGuardado {
    std::vector<Ruta> guardadas;
    std::vector<FalloGuardado> fallos;
    std::size_t total() const { return guardadas.size() + fallos.size(); }
};
// Copies each alternative next to its original, in order, each through a temporary name so
// a failed copy never destroys an earlier output. A failure does not stop the others: each
// destination stands alone, and the result says which ones failed and why.
ResultadoGuardado guardarTrabajos(const std::vector<TrabajoGuardado>& trabajos);

// "✓ Guardada 1 junto al original" / "✓ Guardadas N junto al original".
std::string textoGuardadas(std::size_t n);
// The notice of a save: textoGuardadas when nothing failed (with
// ", en 4 carpetas" when the outputs went to more than one folder); "❌ No se pudo guardar
// foto.alta.jpg: no queda espacio en el disco" for a single failed file; else
// "✓ Guardadas 3 de 8 · ❌ no queda espacio en el disco (a.heic, a.avif y 3 más)", the
// failures grouped by reason.
std::string textoResultadoGuardado(const ResultadoGuardado& r);
// "❌ No se pudo guardar <name>: <reason>".
std::string textoFalloGuardado(const Ruta& destino, const Error& e);

} // namespace Livora
