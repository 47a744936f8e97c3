#include "main/reloj_qt.h"

namespace Livora {

Reloj::Tarea RelojQt::programar(std::chrono::milliseconds espera, std::function<void()> trabajo) {
    const Tarea t = siguiente_++;
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, [this, t, trabajo = std::move(trabajo)] {
        if (auto it = pendientes_.find(t); it != pendientes_.end()) {
            it->second->deleteLater();
            pendientes_.erase(it);
        }
        trabajo();
    });
    pendientes_[t] = timer;
    timer->start(espera);
    return t;
}

void RelojQt::cancelar(Tarea tarea) {
    if (auto it = pendientes_.find(tarea); it != pendientes_.end()) {
        it->second->stop();
        it->second->deleteLater();
        pendientes_.erase(it);
    }
}

RelojQt::~RelojQt() {
    for (auto& [t, timer] : pendientes_)
        delete timer;
}

} // namespace Livora
