#pragma once

namespace Livora {

// Engine work yields to the interface thread: the calling worker thread, and the encoder
// threads and child processes it starts (they inherit it), run at a lower priority, so
// painting and input never queue behind a generation when every core is busy. On Linux the
// nice value is per thread; the first call on a thread sets it. What the user is waiting to
// see (display decodes, previews) yields less than generations do.
enum class Cesion { Fondo = 10, Vista = 5 };
void cederPrioridad(Cesion cuanto = Cesion::Fondo);

} // namespace Livora
