#pragma once
#include "modelo/modelo.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace Livora {

// One file waiting to be taken in. Files of one folder share a batch (`lote`, 0 for a
// file given on its own) and keep their place in it (`orden`).
struct PeticionIngesta {
    Ruta url;
    std::optional<Ruta> carpeta = std::nullopt;
    std::uint64_t lote = 0;
    std::size_t orden = 0;
};

// Intake jobs wait here and start a few at a time, so a folder of 500 photos never decodes
// 500 pictures at once.
class ColaIngesta {
public:
    explicit ColaIngesta(int limite = 1) { setLimite(limite); }
    void setLimite(int limite) { limite_ = limite < 1 ? 1 : limite; }
    void poner(PeticionIngesta p) { esperando_.push_back(std::move(p)); }
    // The next request to start, counted as running; none while the limit is reached.
    std::optional<PeticionIngesta> tomar();
    // A started request ended (or was given up before its job began).
    void terminar() {
        if (enMarcha_ > 0) --enMarcha_;
    }
    // Drops every waiting request and gives them back.
    std::deque<PeticionIngesta> vaciar();
    std::size_t esperando() const { return esperando_.size(); }
    int enMarcha() const { return enMarcha_; }
    int limite() const { return limite_; }

private:
    int limite_ = 1;
    int enMarcha_ = 0;
    std::deque<PeticionIngesta> esperando_;
};

// How many intake jobs run at once: each job already spreads its encoders over every core,
// so a second one only fills the gaps of the first; more than that only adds pictures in
// memory. At most one per core, one per GiB of available memory and four in all.
int limiteIngestas(unsigned nucleos, std::uint64_t memoriaDisponible);
// The same for this machine (cores, MemAvailable).
int limiteIngestasDelSistema();

} // namespace Livora
