#include "vistas/prioridad.h"

#include <QThread>
#include <QThreadPool>

#include <dlfcn.h>
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

// Qt 6 cuts large fills, scalings and format conversions into pieces for the global thread
// pool and waits for them, unless the calling thread is one of the pool's own; asking about
// any other thread is how it decides. While a generation keeps every core busy those pieces
// wait for a core, so a paint on the interface thread stalled 30–50 ms at a time, and pieces
// cut by a lowered worker ran at full priority on its behalf. Answering "yes" for the calling
// thread makes each such operation run where it was asked for, as Qt 5 did; our own pools
// already keep the cores busy. Questions about another thread get Qt's answer. This program's
// definition takes the place of Qt's for every library that calls it.
bool QThreadPool::contains(const QThread* thread) const {
    if (thread == QThread::currentThread()) return true;
    using Original = bool (*)(const QThreadPool*, const QThread*);
    static const auto original =
        reinterpret_cast<Original>(dlsym(RTLD_NEXT, "_ZNK11QThreadPool8containsEPK7QThread"));
    return original != nullptr && original(this, thread);
}
