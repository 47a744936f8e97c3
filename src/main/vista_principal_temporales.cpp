// The window's temporary space: generation folders go as soon as nothing refers to them.
#include "main/vista_principal.h"

#include "motor/temporales.h"

#include <QTimer>

#include <algorithm>

namespace Livora {

void VistaPrincipal::limpiarTemporales() {
    std::set<Ruta> enUso;
    for (const auto& a : e_.archivos)
        enUso.merge(carpetasDe(a));
    // Jobs in flight keep what they read, and whatever they have made so far: every
    // folder made since the oldest of them started.
    std::uint64_t antesDe = marcaTemporal();
    for (const auto& [n, v] : vuelos_) {
        antesDe = std::min(antesDe, v.marca);
        for (const auto& r : v.usa) {
            enUso.insert(r);
            enUso.insert(r.parent_path());
        }
    }
    Livora::limpiarTemporales(enUso, antesDe);
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
