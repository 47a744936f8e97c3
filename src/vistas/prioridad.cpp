#include "vistas/prioridad.h"

#include <sys/resource.h>
#include <unistd.h>

namespace Livora {

void cederPrioridad(Cesion cuanto) {
    thread_local bool hecho = false;
    if (hecho) return;
    hecho = true;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), static_cast<int>(cuanto));
}

} // namespace Livora
