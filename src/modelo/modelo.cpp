#include "modelo/modelo.h"

namespace Livora {

namespace {
std::int64_t resto360(std::int64_t r) {
    return ((r % 360) + 360) % 360;
}
} // namespace

bool ArchivoEstado::paginasEditadas() const {
    for (std::size_t i = 0; i < paginas.size(); ++i) {
        const auto& p = paginas[i];
        if (p.indice != static_cast<std::int64_t>(i)) return true;
        if (!fuentePDF || p.fuente != *fuentePDF) return true;
        if (resto360(p.rotacion) != 0) return true;
    }
    return static_cast<std::int64_t>(paginas.size()) != paginasIniciales;
}

std::optional<Uuid> seleccionInicial(const std::vector<Variante>& variantes,
                                     std::int64_t bytesOriginal) {
    for (const auto& v : variantes)
        if (v.bytes < bytesOriginal && v.sufijo != "baja") return v.id;
    if (!variantes.empty()) return variantes.front().id;
    return std::nullopt;
}

std::optional<Uuid> reseleccion(const std::vector<Variante>& variantes,
                                const std::optional<std::string>& sufijo) {
    if (sufijo)
        for (const auto& v : variantes)
            if (v.sufijo == *sufijo) return v.id;
    if (!variantes.empty()) return variantes.front().id;
    return std::nullopt;
}

} // namespace Livora
