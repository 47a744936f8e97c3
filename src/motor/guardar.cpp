#include "motor/guardar.h"

#include "motor/archivos.h"
#include "motor/formato.h"

#include <set>

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

std::string textoGuardado(const ResultadoGuardado& r) {
    if (r.fallo) return "❌ " + r.fallo->mensaje;
    std::set<Ruta> carpetas;
    for (const auto& g : r.guardadas)
        carpetas.insert(g.parent_path());
    std::string t = textoGuardadas(r.guardadas.size());
    if (carpetas.size() > 1)
        t += ", en " + enteroConMiles(static_cast<std::int64_t>(carpetas.size())) + " carpetas";
    return t;
}

} // namespace Livora
