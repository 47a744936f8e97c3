#include "modelo/estado_ventana.h"

namespace Livora {

std::optional<std::size_t> EstadoVentana::idxActivo() const {
    if (!archivoActivoID) return std::nullopt;
    for (std::size_t i = 0; i < archivos.size(); ++i)
        if (archivos[i].id == *archivoActivoID) return i;
    return std::nullopt;
}

const ArchivoEstado* EstadoVentana::archivoActivo() const {
    auto i = idxActivo();
    return i ? &archivos[*i] : nullptr;
}

ArchivoEstado* EstadoVentana::archivoActivo() {
    auto i = idxActivo();
    return i ? &archivos[*i] : nullptr;
}

const Variante* EstadoVentana::varianteActiva() const {
    const auto* a = archivoActivo();
    if (!a || !a->seleccionada) return nullptr;
    for (const auto& v : a->variantes)
        if (v.id == *a->seleccionada) return &v;
    return nullptr;
}

} // namespace Livora
