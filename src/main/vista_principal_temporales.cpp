// The window's temporary space: generation folders go as soon as nothing refers to them.
#include "main/vista_principal.h"

#include "motor/temporales.h"
#include "vistas/prioridad.h"

#include <QTimer>

#include <algorithm>

namespace Livora {

void VistaPrincipal::limpiarTemporales() {
    CarpetasEnUso enUso;
    for (const auto& a : e_.archivos)
        anotarCarpetasDe(a, enUso);
    // Jobs in flight keep what they read, and whatever they have made so far: every
    // folder made since the oldest of them started.
    std::uint64_t antesDe = marcaTemporal();
    for (const auto& [n, v] : vuelos_) {
        antesDe = std::min(antesDe, v.marca);
        for (const auto& r : v.usa) {
            enUso.insert(r.native());
            enUso.insert(r.parent_path().native());
        }
    }
    // A folder of big outputs takes a moment to delete, and a folder of photos leaves
    // hundreds when its last job ends: on the window's pool, not the interface thread.
    auto quitadas = soltarTemporales(enUso, antesDe);
    if (quitadas.empty()) return;
    pool_.start([quitadas = std::move(quitadas)] {
        cederPrioridad();
        borrarTemporales(quitadas);
    });
}

void VistaPrincipal::limpiarTemporalesLuego() {
    if (limpiezaPendiente_) return;
    limpiezaPendiente_ = true;
    QTimer::singleShot(0, this, [this] {
        limpiezaPendiente_ = false;
        limpiarTemporales();
    });
}

} // namespace Livora
