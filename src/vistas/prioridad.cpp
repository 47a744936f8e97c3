#include "vistas/prioridad.h"

#include <QThread>
#include <QThreadPool>

#include <dlfcn.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace Livora {

namespace {

// The kernel's struct sched_attr as of its first version; glibc has no wrapper before 2.41.
struct AtributosPlanificador {
    std::uint32_t size;
    std::uint32_t sched_policy;
    std::uint64_t sched_flags;
    std::int32_t sched_nice;
    std::uint32_t sched_priority;
    std::uint64_t sched_runtime; // for normal threads, the turn asked for (0: the default)
    std::uint64_t sched_deadline;
    std::uint64_t sched_period;
};

bool planificar(int nice, std::uint64_t turnoNs) {
    AtributosPlanificador a{};
    a.size = sizeof a;
    a.sched_policy = SCHED_OTHER;
    a.sched_nice = nice;
    a.sched_runtime = turnoNs;
    return syscall(SYS_sched_setattr, 0, &a, 0) == 0;
}

} // namespace

void cederPrioridad(Cesion cuanto) {
    thread_local bool hecho = false;
    if (hecho) return;
    hecho = true;
    // With the default turn: a thread started by the interface thread would inherit its short
    // one.
    if (!planificar(static_cast<int>(cuanto), 0))
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), static_cast<int>(cuanto));
}

void acortarTurnos() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (errno != 0) return;
    planificar(nice, 200'000); // ns; the kernel's default turn is several times longer
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
