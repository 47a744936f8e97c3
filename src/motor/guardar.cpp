#include "motor/guardar.h"

#include "motor/archivos.h"

namespace Livora {

Ruta destinoGuardado(const Ruta& original, const Variante& v) {
    Ruta r = original;
    r.replace_extension();
    return r.string() + "." + v.sufijo + "." + v.ext;
}

ResultadoGuardado guardarTrabajos(const std::vector<TrabajoGuardado>& trabajos) {
    ResultadoGuardado r;
    for (const auto& t : trabajos) {
        Ruta destino = destinoGuardado(t.original, t.variante);
        if (auto c = copiarSeguro(t.variante.urlTemp, destino); !c) {
            r.fallo = c.error();
            return r;
        }
        r.guardadas.push_back(destino);
    }
    return r;
}

std::string textoGuardadas(std::size_t n) {
    return std::string("✓ Guardad") + (n == 1 ? "a" : "as") + " " + std::to_string(n) +
           " junto al original";
}

} // namespace Livora
