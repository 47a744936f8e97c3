#pragma once

namespace Livora {

// Engine work yields to the interface thread: the calling worker thread, and the encoder
// threads and child processes it starts (they inherit it), run at a lower priority, so
// painting and input never queue behind a generation when every core is busy. On Linux the
// nice value is per thread; the first call on a thread sets it.
void cederPrioridad();

} // namespace Livora
