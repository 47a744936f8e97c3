#include "motor/webp.h"

#include "motor/archivos.h"
#include "motor/codec.h"

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Livora {

namespace {
bool esEjecutable(const Ruta& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}
} // namespace

std::optional<Ruta> buscarCwebp(const std::string& path) {
    for (const char* fija : {"/opt/homebrew/bin/cwebp", "/usr/local/bin/cwebp"})
        if (esEjecutable(fija)) return Ruta(fija);
    std::stringstream ss(path);
    std::string carpeta;
    while (std::getline(ss, carpeta, ':')) {
        if (carpeta.empty()) continue;
        Ruta p = Ruta(carpeta) / "cwebp";
        if (esEjecutable(p)) return p;
    }
    return std::nullopt;
}

const std::optional<Ruta>& rutaCwebp() {
    static const std::optional<Ruta> ruta = [] {
        const char* path = std::getenv("PATH");
        return buscarCwebp(path ? path : "");
    }();
    return ruta;
}

std::vector<std::string> argumentosCwebp(const Ruta& origen, const Ruta& destino,
                                         bool quitarMetadatos) {
    return {"-quiet",
            "-q",
            "75",
            "-metadata",
            quitarMetadatos ? "none" : "all",
            origen.string(),
            "-o",
            destino.string()};
}

std::optional<Variante> varianteWebP(const Ruta& dir, bool quitarMetadatos) {
    return varianteWebP(dir, quitarMetadatos, rutaCwebp());
}

std::optional<Variante> varianteWebP(const Ruta& dir, bool quitarMetadatos,
                                     const std::optional<Ruta>& cwebp) {
    return varianteWebP(dir, quitarMetadatos, cwebp, dir / "sin-perdida.png");
}

std::optional<Variante> varianteWebP(const Ruta& dir, bool quitarMetadatos,
                                     const std::optional<Ruta>& cwebp, const Ruta& origen) {
    if (!cwebp) return std::nullopt;
    const Ruta destino = dir / "webp.webp";
    if (!std::filesystem::exists(origen)) return std::nullopt;

    std::vector<std::string> args = argumentosCwebp(origen, destino, quitarMetadatos);
    std::vector<char*> argv;
    std::string nombre = cwebp->string();
    argv.push_back(nombre.data());
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // No shell: the arguments go to the encoder as they are. Its messages are discarded.
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&acciones, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int r = posix_spawn(&pid, cwebp->c_str(), &acciones, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acciones);
    if (r != 0) return std::nullopt;
    int estado = 0;
    while (::waitpid(pid, &estado, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    if (!WIFEXITED(estado) || WEXITSTATUS(estado) != 0) return std::nullopt;
    if (!std::filesystem::exists(destino)) return std::nullopt;

    Variante v;
    v.nombre = "WebP · Web";
    v.detalle = "75 %, tamaño completo";
    v.sufijo = "webp";
    v.ext = "webp";
    v.urlTemp = destino;
    v.bytes = tamano(destino);
    v.preview = legible(destino);
    return v;
}

} // namespace Livora
