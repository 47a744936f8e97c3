#include "motor/memoria.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace Livora {

namespace {

constexpr std::int64_t sinLimite = std::numeric_limits<std::int64_t>::max();

// A "Clave:   123 kB" line of a /proc file, in bytes; none when absent.
std::optional<std::int64_t> campoKB(const char* archivo, const std::string& clave) {
    std::ifstream f(archivo);
    std::string linea;
    while (std::getline(f, linea))
        if (linea.compare(0, clave.size(), clave) == 0 && linea.size() > clave.size() &&
            linea[clave.size()] == ':')
            return std::int64_t{std::strtoll(linea.c_str() + clave.size() + 1, nullptr, 10)} * 1024;
    return std::nullopt;
}

std::optional<std::int64_t> numeroEn(const char* archivo) {
    std::ifstream f(archivo);
    std::string s;
    if (!(f >> s) || s == "max") return std::nullopt;
    return std::strtoll(s.c_str(), nullptr, 10);
}

// What is left under a resource limit, given what the process already uses of it.
std::int64_t restoLimite(int recurso, const char* campoUso) {
    rlimit l{};
    if (getrlimit(recurso, &l) != 0 || l.rlim_cur == RLIM_INFINITY) return sinLimite;
    const auto uso = campoKB("/proc/self/status", campoUso).value_or(0);
    return std::max<std::int64_t>(0, static_cast<std::int64_t>(l.rlim_cur) - uso);
}

struct Reservas {
    std::mutex m;
    std::condition_variable cv;
    std::int64_t capacidad = 0;
    std::int64_t reservado = 0;
    std::uint64_t siguienteTurno = 0, turnoActual = 0;
};

Reservas& reservas() {
    static Reservas r;
    return r;
}

// Taken when nothing is reserved, so memory the running steps already hold is not counted
// twice.
void renovarCapacidad(Reservas& r) {
    if (r.reservado != 0) return;
    const std::int64_t residente = campoKB("/proc/self/status", "VmRSS").value_or(0);
    r.capacidad = std::max<std::int64_t>(
        0, std::min(techoMemoriaProceso - residente, memoriaDisponible() / 4 * 3));
}

} // namespace

std::int64_t memoriaDisponible() {
    std::int64_t d = campoKB("/proc/meminfo", "MemAvailable").value_or(sinLimite);
    if (auto max = numeroEn("/sys/fs/cgroup/memory.max"))
        d = std::min(d, *max - numeroEn("/sys/fs/cgroup/memory.current").value_or(0));
    d = std::min(d, restoLimite(RLIMIT_AS, "VmSize"));
    d = std::min(d, restoLimite(RLIMIT_DATA, "VmData"));
    if (const char* mb = std::getenv("LIVORA_MEMORIA_MB"); mb && *mb)
        d = std::min<std::int64_t>(d, std::strtoll(mb, nullptr, 10) * 1024 * 1024);
    return std::max<std::int64_t>(0, d);
}

std::int64_t capacidadMemoria() {
    auto& r = reservas();
    std::lock_guard l(r.m);
    renovarCapacidad(r);
    return r.capacidad;
}

std::optional<ReservaMemoria> reservarMemoria(std::int64_t bytes) {
    bytes = std::max<std::int64_t>(0, bytes);
    auto& r = reservas();
    std::unique_lock l(r.m);
    renovarCapacidad(r);
    if (bytes > r.capacidad) return std::nullopt;
    // First come, first served: a large step is not overtaken forever by small ones.
    const std::uint64_t turno = r.siguienteTurno++;
    r.cv.wait(l, [&] {
        return turno == r.turnoActual && (r.reservado == 0 || r.reservado + bytes <= r.capacidad);
    });
    ++r.turnoActual;
    r.cv.notify_all();
    // Memory may have gone to others while it waited.
    renovarCapacidad(r);
    if (r.reservado == 0 && bytes > r.capacidad) return std::nullopt;
    r.reservado += bytes;
    return ReservaMemoria(bytes);
}

ReservaMemoria::~ReservaMemoria() {
    if (bytes_ == 0) return;
    auto& r = reservas();
    std::lock_guard l(r.m);
    r.reservado -= bytes_;
    r.cv.notify_all();
}

void usarPaginasGrandes(char** argv) {
    static constexpr char ajuste[] = "glibc.malloc.hugetlb=1";
    const char* actual = std::getenv("GLIBC_TUNABLES");
    std::string valor = actual ? actual : "";
    if (valor.find("glibc.malloc.hugetlb") != std::string::npos || !argv || !argv[0]) return;
    std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modo;
    std::getline(f, modo);
    if (modo.find("[madvise]") == std::string::npos) return;
    valor = valor.empty() ? ajuste : valor + ":" + ajuste;
    // The program's own path, not /proc/self/exe: the process takes its name from it.
    std::error_code ec;
    const auto programa = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !std::filesystem::is_regular_file(programa, ec)) return;
    if (setenv("GLIBC_TUNABLES", valor.c_str(), 1) != 0) return;
    execv(programa.c_str(), argv);
    // Still here: carry on with small pages. The variable stays, so no child tries again.
}

} // namespace Livora
