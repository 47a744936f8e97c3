#pragma once
// Shared by the harnesses: the input written to a private file, since the engine opens
// files by path exactly as the window and the CLI do.
#include "motor/codec.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzz {

inline const std::filesystem::path& carpeta() {
    static const std::filesystem::path c = [] {
        std::string p = "/tmp/livora-fuzz-XXXXXX";
        if (const char* t = std::getenv("TMPDIR"); t && *t)
            p = std::string(t) + "/livora-fuzz-XXXXXX";
        if (!::mkdtemp(p.data())) std::abort();
        // Generation folders made by the engine go in here too.
        ::setenv("TMPDIR", p.c_str(), 1);
        return std::filesystem::path(p);
    }();
    return c;
}

inline std::filesystem::path escribir(const std::uint8_t* datos, std::size_t n,
                                      const std::string& nombre) {
    auto ruta = carpeta() / nombre;
    std::ofstream(ruta, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(datos), static_cast<std::streamsize>(n));
    return ruta;
}

// The engine as the harnesses that decode need it: its folder, its libraries, one thread
// (a crash then points at the input, not at a worker).
inline void iniciarDecodificacion() {
    carpeta();
    Livora::iniciarMotor();
    vips_concurrency_set(1);
}

// The generation folders a run left: removed after each input so the disk does not fill.
inline void vaciar() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(carpeta(), ec))
        if (e.path().filename().string().rfind("Livora-", 0) == 0)
            std::filesystem::remove_all(e.path(), ec);
}

} // namespace fuzz
