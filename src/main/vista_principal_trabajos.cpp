// Long PDF work: its progress in the window and its cancellation.
#include "main/vista_principal.h"

#include <QMetaObject>

namespace Livora {

ControlTrabajo VistaPrincipal::empezarTrabajoLargo(std::optional<Uuid> registro,
                                                   std::uint64_t& numero) {
    numero = ++siguienteLargo_;
    auto cancelar = std::make_shared<std::atomic<bool>>(false);
    largos_[numero] = TrabajoLargo{registro, cancelar, 0, 0};
    // Steps arrive on worker threads, hundreds per second on a long document: only a
    // change of a thousandth reaches the interface thread.
    auto ultimo = std::make_shared<std::atomic<std::int64_t>>(-1);
    return ControlTrabajo(
        [this, numero, ultimo](std::int64_t hechos, std::int64_t total) {
            const std::int64_t milesima = total > 0 ? hechos * 1000 / total : 0;
            if (ultimo->exchange(milesima) == milesima) return;
            QMetaObject::invokeMethod(
                this, [this, numero, hechos, total] { avanceTrabajoLargo(numero, hechos, total); },
                Qt::QueuedConnection);
        },
        cancelar);
}

void VistaPrincipal::avanceTrabajoLargo(std::uint64_t numero, std::int64_t hechos,
                                        std::int64_t total) {
    // Also called with no job of its own, to sum up again.
    if (auto it = largos_.find(numero); it != largos_.end()) {
        it->second.hechos = std::max(it->second.hechos, hechos);
        it->second.total = std::max(it->second.total, total);
    }
    std::int64_t h = 0, t = 0;
    for (const auto& [n, l] : largos_)
        if (l.total > 0 && !l.cancelar->load()) {
            h += l.hechos;
            t += l.total;
        }
    const std::optional<double> p =
        t > 0 ? std::optional(static_cast<double>(h) / static_cast<double>(t)) : std::nullopt;
    if (p == e_.progreso) return;
    e_.progreso = p;
    notificar();
}

void VistaPrincipal::terminarTrabajoLargo(std::uint64_t numero) {
    largos_.erase(numero);
    avanceTrabajoLargo(0, 0, 0);
}

void VistaPrincipal::cancelarTrabajosDe(std::optional<Uuid> registro) {
    for (auto& [n, l] : largos_)
        if (!registro || l.registro == registro) l.cancelar->store(true);
}

void VistaPrincipal::cancelarTrabajos() {
    if (largos_.empty()) return;
    cancelarTrabajosDe(std::nullopt);
    avanceTrabajoLargo(0, 0, 0);
}

} // namespace Livora
