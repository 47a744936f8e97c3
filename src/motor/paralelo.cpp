#include "motor/paralelo.h"

#include <thread>

#include <vips/vips.h>

namespace Livora {

void enParalelo(const std::vector<std::function<void()>>& tareas) {
    std::vector<std::thread> hilos;
    hilos.reserve(tareas.size());
    for (const auto& t : tareas)
        hilos.emplace_back([&t] {
            t();
            vips_thread_shutdown();
        });
    for (auto& h : hilos)
        h.join();
}

} // namespace Livora
