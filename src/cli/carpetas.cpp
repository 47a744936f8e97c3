#include "cli/carpetas.h"

#include "motor/formato.h"

#include <algorithm>
#include <iostream>

namespace Livora::Cli {

std::optional<std::vector<Hallazgo>> entradas(const std::vector<Ruta>& rutas) {
    auto hallados = expandirRutas(rutas);
    bool vacia = false;
    for (const auto& r : rutas) {
        if (!esCarpeta(r)) continue;
        const Ruta raiz = carpetaNormalizada(r);
        if (std::none_of(hallados->begin(), hallados->end(),
                         [&](const Hallazgo& h) { return h.carpeta == raiz; })) {
            std::cerr << "❌ " << carpetaSinArchivos(raiz) << "\n";
            vacia = true;
        }
    }
    if (vacia && hallados->empty()) return std::nullopt;
    return hallados;
}

bool conResumen(const std::vector<Ruta>& rutas, std::size_t archivos) {
    return archivos > 1 || std::any_of(rutas.begin(), rutas.end(), esCarpeta);
}

void Resumen::anadir(const ArchivoEstado& a, const std::optional<std::string>& guardar) {
    ++correctos;
    bytesOriginales += a.bytesOriginal;
    for (const auto& v : a.variantes)
        if (guardar ? seGuarda(a, v, *guardar) : (a.seleccionada && *a.seleccionada == v.id))
            bytesSalidas += v.bytes;
}

void Resumen::fallar(const Hallazgo& h) {
    fallidos.push_back(h.carpeta ? h.archivo.lexically_relative(*h.carpeta).string()
                                 : h.archivo.filename().string());
}

std::string Resumen::texto() const {
    std::string t;
    if (correctos > 0)
        t = "✓ " + enteroConMiles(static_cast<std::int64_t>(correctos)) +
            (correctos == 1 ? " archivo · " : " archivos · ") + formatoBytes(bytesOriginales) +
            " → " + formatoBytes(bytesSalidas) + "\n";
    if (!fallidos.empty()) {
        t += "❌ " + enteroConMiles(static_cast<std::int64_t>(fallidos.size())) +
             (fallidos.size() == 1 ? " con error: " : " con errores: ");
        for (std::size_t i = 0; i < fallidos.size(); ++i)
            t += (i ? ", " : "") + fallidos[i];
        t += "\n";
    }
    return t;
}

} // namespace Livora::Cli
