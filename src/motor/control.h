#pragma once
#include "motor/error.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace Livora {

// Progress and cancellation of a long job, handed down to wherever the work is split into
// steps (the pages of a PDF). Copies share one count. A default-made control reports
// nothing and is never cancelled. Whoever splits work calls previstos() with the steps it
// will take, hechos() after each one and cancelado() between them.
class ControlTrabajo {
public:
    // Called on the thread that finished a step, with the steps done and foreseen so far.
    using Avance = std::function<void(std::int64_t hechos, std::int64_t total)>;

    ControlTrabajo() = default;
    ControlTrabajo(Avance avance, std::shared_ptr<const std::atomic<bool>> cancelar);

    bool cancelado() const;
    void previstos(std::int64_t pasos) const;
    void hechos(std::int64_t pasos = 1) const;

private:
    struct Estado {
        Avance avance;
        std::shared_ptr<const std::atomic<bool>> cancelar;
        std::atomic<std::int64_t> hechos{0}, total{0};
    };
    std::shared_ptr<Estado> e_;
};

// The error a cancelled job ends with; callers drop it silently.
Error errorCancelado();
bool esCancelado(const Error& e);

} // namespace Livora
