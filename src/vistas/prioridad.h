#pragma once

namespace Livora {

// Engine work yields to the interface thread: the calling worker thread, and the encoder
// threads and child processes it starts (they inherit it), run at a lower priority, so
// painting and input never queue behind a generation when every core is busy. On Linux the
// nice value is per thread; the first call on a thread sets it. What the user is waiting to
// see (display decodes, previews) yields less than generations do.
enum class Cesion { Fondo = 10, Vista = 5 };
void cederPrioridad(Cesion cuanto = Cesion::Fondo);

// The interface thread asks the kernel for short turns. Linux's EEVDF scheduler (6.6 and
// later) lets a running thread finish its turn before a woken one takes the core, whatever
// their nice values: with every core on a generation each input or timer waited 3–4 ms, and
// a paint split by those waits stalled past a frame. A thread with a shorter turn than the
// running one takes the core when it wakes (6.12 and later); older kernels ignore the request.
void acortarTurnos();

} // namespace Livora
