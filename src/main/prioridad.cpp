#include "main/prioridad.h"

#include <sys/resource.h>
#include <unistd.h>

namespace Livora {

void cederPrioridad() {
    thread_local bool hecho = false;
    if (hecho) return;
    hecho = true;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

} // namespace Livora
