#include "motor/archivos.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Livora {

Error error(std::string mensaje) {
    return Error{std::move(mensaje)};
}

std::string descripcionSistema(const std::error_code& ec) {
    switch (ec.value()) {
    case ENOENT:
        return "No existe el archivo o la carpeta";
    case EACCES:
    case EPERM:
        return "No tienes permiso para escribir en esa carpeta";
    case EROFS:
        return "La carpeta es de solo lectura";
    case ENOSPC:
        return "No queda espacio en el disco";
    case EDQUOT:
        return "Se ha superado la cuota de disco";
    default:
        return ec.message();
    }
}

namespace {
Error errorSistema(int err) {
    std::error_code ec(err, std::generic_category());
    Error e{descripcionSistema(ec)};
    e.dominio = "Sistema";
    e.codigo = err;
    return e;
}

Ruta carpetaTemporalUsuario() {
    if (const char* t = std::getenv("TMPDIR"); t && *t) return Ruta(t);
    return Ruta("/tmp");
}
} // namespace

Resultado<Ruta> dirTemporal() {
    Ruta base = carpetaTemporalUsuario();
    std::error_code ec;
    std::filesystem::create_directories(base, ec);
    Ruta dir = base / ("Livora-" + Uuid::nuevo().texto());
    // Private from the start: other users must never read a user's files.
    if (::mkdir(dir.c_str(), 0700) != 0) return errorSistema(errno);
    return dir;
}

std::int64_t tamano(const Ruta& url) {
    struct stat st {};
    if (::stat(url.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

Resultado<void> escribirArchivo(const Ruta& destino, std::span<const std::uint8_t> datos) {
    std::ofstream f(destino, std::ios::binary | std::ios::trunc);
    if (!f) return errorSistema(errno ? errno : EIO);
    f.write(reinterpret_cast<const char*>(datos.data()),
            static_cast<std::streamsize>(datos.size()));
    f.close();
    if (!f) return errorSistema(errno ? errno : EIO);
    return {};
}

Resultado<void> copiarSeguro(const Ruta& origen, const Ruta& destino) {
    Ruta tmp = destino.parent_path() / (".livora-" + Uuid::nuevo().texto() + ".tmp");
    std::error_code ec;
    std::filesystem::copy_file(origen, tmp, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return errorSistema(ec.value() ? ec.value() : EIO);
    }
    std::filesystem::rename(tmp, destino, ec);
    if (ec) {
        int v = ec.value();
        std::filesystem::remove(tmp, ec);
        return errorSistema(v ? v : EIO);
    }
    return {};
}

} // namespace Livora
