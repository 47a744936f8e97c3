#pragma once
#include "main/servicios.h"

#include <QObject>
#include <QTimer>

#include <map>

namespace Livora {

// Single-shot QTimers owned by the window.
class RelojQt : public Reloj {
public:
    Tarea programar(std::chrono::milliseconds espera, std::function<void()> trabajo) override;
    void cancelar(Tarea tarea) override;
    ~RelojQt() override;

private:
    std::map<Tarea, QTimer*> pendientes_;
    Tarea siguiente_ = 1;
};

} // namespace Livora
