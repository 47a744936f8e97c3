#include "motor/control.h"

namespace Livora {

ControlTrabajo::ControlTrabajo(Avance avance, std::shared_ptr<const std::atomic<bool>> cancelar)
    : e_(std::make_shared<Estado>()) {
    e_->avance = std::move(avance);
    e_->cancelar = std::move(cancelar);
}

bool ControlTrabajo::cancelado() const {
    return e_ && e_->cancelar && e_->cancelar->load(std::memory_order_relaxed);
}

void ControlTrabajo::previstos(std::int64_t pasos) const {
    if (!e_) return;
    const auto total = e_->total += pasos;
    if (e_->avance) e_->avance(e_->hechos.load(), total);
}

void ControlTrabajo::hechos(std::int64_t pasos) const {
    if (!e_) return;
    const auto hechos = e_->hechos += pasos;
    if (e_->avance) e_->avance(hechos, e_->total.load());
}

Error errorCancelado() {
    Error e{"Cancelado"};
    e.dominio = "Cancelado";
    return e;
}

bool esCancelado(const Error& e) {
    return e.dominio == "Cancelado";
}

} // namespace Livora
