#include "motor/objetivo.h"

#include "motor/archivos.h"

#include <limits>

namespace Livora {

std::string detalleObjetivo(std::int64_t kb, double calidad, std::int64_t ladoMayor) {
    return "≤ " + std::to_string(kb) + " KB · calidad " +
           std::to_string(static_cast<std::int64_t>(calidad * 100)) + " %, " +
           std::to_string(ladoMayor) + " px";
}

std::optional<ResultadoBusqueda> buscarPeso(const Imagen& cg, std::int64_t kb,
                                            const CodificadorJPEG& codificarJPEG) {
    // Saturates instead of overflowing; a target of 0 or less never fits.
    constexpr std::int64_t maximo = std::numeric_limits<std::int64_t>::max() / 1024;
    const std::int64_t objetivo =
        kb > maximo ? std::numeric_limits<std::int64_t>::max() : kb * 1024;
    Imagen imagen = cg;
    for (int pasada = 1; pasada <= 8; ++pasada) {
        double lo = 0.05, hi = 0.95;
        std::optional<ResultadoBusqueda> mejor;
        for (int paso = 0; paso < 7; ++paso) {
            const double q = (lo + hi) / 2;
            auto datos = codificarJPEG(imagen, q);
            if (!datos) break;
            if (static_cast<std::int64_t>(datos->size()) <= objetivo) {
                mejor = ResultadoBusqueda{q, imagen, std::move(*datos)};
                lo = q;
            } else {
                hi = q;
            }
        }
        if (mejor) return mejor;
        const double m = std::max(imagen.width(), imagen.height());
        if (m * 0.75 < 200 || pasada == 8) return std::nullopt;
        imagen = escalado(imagen, m * 0.75);
    }
    return std::nullopt;
}

Resultado<std::optional<Variante>> ajustarAPeso(const Imagen& cg, std::int64_t kb, const Ruta& dir,
                                                const Propiedades* metadatos) {
    auto mejor = buscarPeso(cg, kb, [metadatos](const Imagen& img, double q) {
        return codificar(img, Formato::JPEG, q, metadatos);
    });
    if (!mejor) return std::optional<Variante>{};
    Variante v;
    v.nombre = "JPEG · Objetivo";
    v.sufijo = "objetivo";
    v.ext = "jpg";
    v.urlTemp = dir / "objetivo.jpg";
    if (auto r = escribirArchivo(v.urlTemp, mejor->datos); !r) return r.error();
    v.bytes = static_cast<std::int64_t>(mejor->datos.size());
    v.detalle = detalleObjetivo(kb, mejor->calidad,
                                std::max(mejor->imagen.width(), mejor->imagen.height()));
    v.preview = legible(v.urlTemp);
    return std::optional<Variante>{std::move(v)};
}

} // namespace Livora
