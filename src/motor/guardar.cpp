#include "motor/guardar.h"

#include "motor/archivos.h"
#include "motor/formato.h"
#include "motor/texto.h"

#include <algorithm>
#include <set>

namespace Livora {

namespace {

// An error message as the reason after a colon.
std::string motivo(const Error& e) {
    std::string m = e.mensaje;
    if (!m.empty() && m[0] >= 'A' && m[0] <= 'Z') m[0] = static_cast<char>(m[0] - 'A' + 'a');
    return m;
}

} // namespace

Ruta destinoGuardado(const Ruta& original, const Variante& v) {
    Ruta r = original;
    r.replace_extension();
    return r.string() + "." + v.sufijo + "." + v.ext;
}

ResultadoGuardado guardarTrabajos(const std::vector<TrabajoGuardado>& trabajos) {
    ResultadoGuardado r;
    for (const auto& t : trabajos) {
        Ruta destino = destinoGuardado(t.original, t.variante);
        if (auto c = copiarSeguro(t.variante.urlTemp, destino); !c)
            r.fallos.push_back({destino, c.error()});
        else
            r.guardadas.push_back(destino);
    }
    return r;
}

std::string textoGuardadas(std::size_t n) {
    return std::string("✓ Guardad") + (n == 1 ? "a" : "as") + " " + std::to_string(n) +
           " junto al original";
}

std::string textoFalloGuardado(const Ruta& destino, const Error& e) {
    return "❌ No se pudo guardar " + nombreVisible(destino) + ": " + motivo(e);
}

std::string textoResultadoGuardado(const ResultadoGuardado& r) {
    if (r.fallos.empty()) {
        std::set<Ruta> carpetas;
        for (const auto& g : r.guardadas)
            carpetas.insert(g.parent_path());
        std::string t = textoGuardadas(r.guardadas.size());
        if (carpetas.size() > 1)
            t += ", en " + enteroConMiles(static_cast<std::int64_t>(carpetas.size())) + " carpetas";
        return t;
    }
    if (r.total() == 1) return textoFalloGuardado(r.fallos[0].destino, r.fallos[0].error);
    const std::size_t n = r.guardadas.size();
    std::string t = n == 0 ? "❌ No se pudo guardar ninguna de " + std::to_string(r.total())
                           : std::string("✓ Guardad") + (n == 1 ? "a " : "as ") +
                                 std::to_string(n) + " de " + std::to_string(r.total());
    // One entry per reason, in the order they first happened, naming a few files.
    std::vector<std::pair<std::string, std::vector<std::string>>> grupos;
    for (const auto& f : r.fallos) {
        const std::string m = motivo(f.error);
        auto it =
            std::find_if(grupos.begin(), grupos.end(), [&](const auto& g) { return g.first == m; });
        if (it == grupos.end()) it = grupos.insert(grupos.end(), {m, {}});
        it->second.push_back(nombreVisible(f.destino));
    }
    constexpr std::size_t nombrados = 3;
    for (const auto& [m, nombres] : grupos) {
        t += std::string(" · ") + (n > 0 ? "❌ " : "") + m + " (";
        for (std::size_t i = 0; i < nombres.size() && i < nombrados; ++i)
            t += (i ? (i + 1 == nombres.size() ? " y " : ", ") : "") + nombres[i];
        if (nombres.size() > nombrados)
            t += " y " + std::to_string(nombres.size() - nombrados) + " más";
        t += ")";
    }
    return t;
}

} // namespace Livora
