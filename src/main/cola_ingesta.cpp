#include "main/cola_ingesta.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include <unistd.h>

namespace Livora {

std::optional<PeticionIngesta> ColaIngesta::tomar() {
    if (esperando_.empty() || enMarcha_ >= limite_) return std::nullopt;
    PeticionIngesta p = std::move(esperando_.front());
    esperando_.pop_front();
    ++enMarcha_;
    return p;
}

std::deque<PeticionIngesta> ColaIngesta::vaciar() {
    return std::exchange(esperando_, {});
}

int limiteIngestas(unsigned nucleos, std::uint64_t memoriaDisponible) {
    const std::uint64_t porMemoria = memoriaDisponible >> 30;
    const std::uint64_t n = std::min<std::uint64_t>({std::max(nucleos, 1u), porMemoria, 4});
    return static_cast<int>(std::max<std::uint64_t>(n, 1));
}

int limiteIngestasDelSistema() {
    std::uint64_t disponible = 0;
    std::ifstream f("/proc/meminfo");
    for (std::string clave; f >> clave;) {
        std::uint64_t kb = 0;
        f >> kb;
        if (clave == "MemAvailable:") {
            disponible = kb * 1024;
            break;
        }
        f.ignore(64, '\n');
    }
    if (disponible == 0)
        disponible = static_cast<std::uint64_t>(sysconf(_SC_AVPHYS_PAGES)) *
                     static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    return limiteIngestas(std::thread::hardware_concurrency(), disponible);
}

} // namespace Livora
