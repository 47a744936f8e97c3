#pragma once
#include <cstdint>
#include <optional>

namespace Livora {

// Pictures are tens of MB, allocated and freed page after page; with 4 KB pages each first
// touch of them is a fault (on virtual machines, a costly one). glibc backs large blocks
// with transparent huge pages only when GLIBC_TUNABLES says so, and reads it at start: when
// the system grants huge pages on request only, this sets it and starts the program again
// (`argv` as given). Nothing happens when it is set already, when the system gives huge
// pages to everyone or to no one, or when the new start fails.
void usarPaginasGrandes(char** argv);

// Memory the process may still take, in bytes: the least of what the system has available
// (MemAvailable), what its control group still allows, and the address space left under
// RLIMIT_AS and RLIMIT_DATA. LIVORA_MEMORIA_MB caps it (to try low-memory machines).
std::int64_t memoriaDisponible();

// Working memory of the heavy steps (encoders above all), shared by every job of the
// process. A step states what it needs and waits, in arrival order, until that fits beside
// the steps already running; a need larger than everything there is to share is refused at
// once, so the step is skipped instead of failing an allocation half-way (x265 and aom
// crash on that rather than report it).
class ReservaMemoria {
public:
    ReservaMemoria(ReservaMemoria&& o) noexcept : bytes_(o.bytes_) { o.bytes_ = 0; }
    ReservaMemoria& operator=(ReservaMemoria&&) = delete;
    ~ReservaMemoria();
    std::int64_t bytes() const { return bytes_; }

private:
    friend std::optional<ReservaMemoria> reservarMemoria(std::int64_t);
    explicit ReservaMemoria(std::int64_t b) : bytes_(b) {}
    std::int64_t bytes_;
};
std::optional<ReservaMemoria> reservarMemoria(std::int64_t bytes);

// What the reservations share, taken when none is held: what keeps the whole process under
// `techoMemoriaProceso` beside what it already holds (open pictures above all), and no
// more than three quarters of memoriaDisponible(). 1800 MiB keeps the peak under 2 GB with
// the estimates' error (a 15000 × 15000 picture peaked 9 MB over the ceiling).
inline constexpr std::int64_t techoMemoriaProceso = std::int64_t{1800} << 20;
std::int64_t capacidadMemoria();

} // namespace Livora
