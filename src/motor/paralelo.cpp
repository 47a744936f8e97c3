#include "motor/paralelo.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include <vips/vips.h>

namespace Livora {

void enParalelo(const std::vector<std::function<void()>>& tareas) {
    const std::size_t hilosMax = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t n = std::min(hilosMax, tareas.size());
    std::atomic<std::size_t> siguiente{0};
    std::vector<std::thread> hilos;
    hilos.reserve(n);
    for (std::size_t h = 0; h < n; ++h)
        hilos.emplace_back([&] {
            for (std::size_t i = siguiente++; i < tareas.size(); i = siguiente++)
                tareas[i]();
            vips_thread_shutdown();
        });
    for (auto& h : hilos)
        h.join();
}

} // namespace Livora
