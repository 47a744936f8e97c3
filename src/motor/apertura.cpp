#include "motor/apertura.h"

#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/formato.h"
#include "motor/memoria.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Livora {

namespace {

const char* const textoBase = "No se pudo abrir la imagen";

Error errorImagen(const std::string& motivo) {
    return error(std::string(textoBase) + ": " + motivo);
}

} // namespace

std::optional<std::string> motivoIlegible(const Ruta& url) {
    struct stat st {};
    if (::stat(url.c_str(), &st) != 0) {
        if (errno == ENOENT) return "no existe";
        if (errno == EACCES) return "no tienes permiso para leerlo";
        return motivoSistema(errno, url, Operacion::Leer);
    }
    if (S_ISDIR(st.st_mode)) return "es una carpeta";
    if (!S_ISREG(st.st_mode)) return "no es un archivo normal";
    const int fd = ::open(url.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) return "no tienes permiso para leerlo";
        return motivoSistema(errno, url, Operacion::Leer);
    }
    ::close(fd);
    if (st.st_size == 0) return "el archivo está vacío";
    return std::nullopt;
}

Resultado<void> comprobarImagen(const Ruta& url) {
    if (auto m = motivoIlegible(url)) return errorImagen(*m);
    iniciarMotor();
    std::int64_t w = 0, h = 0, bandas = 0;
    try {
        // The header only: nothing is decoded yet.
        Imagen cabecera = Imagen::new_from_file(url.c_str());
        w = cabecera.width(), h = cabecera.height(), bandas = cabecera.bands();
    } catch (const vips::VError&) {
        vips_error_clear();
        return error(textoBase);
    }
    if (w * h > maxPixelesImagen)
        return errorImagen("tiene " + std::to_string(w * h / 1'000'000) + " megapíxeles (máximo " +
                           std::to_string(maxPixelesImagen / 1'000'000) + ")");
    // The decoded picture and one working copy of it must fit, or nothing can be made.
    const std::int64_t necesita = w * h * (bandas == 2 || bandas > 3 ? 4 : 3) * 2;
    const std::int64_t quedan = memoriaDisponible();
    if (necesita > quedan) {
        std::string n = formatoBytes(necesita), q = formatoBytes(quedan);
        // Rounded alike ("1,35 GB" twice) the refusal reads as if it fitted: whole megabytes,
        // the need rounded up and what is left down, always tell them apart.
        if (n == q) {
            n = enteroConMiles((necesita + 999'999) / 1'000'000) + " MB";
            q = enteroConMiles(quedan / 1'000'000) + " MB";
        }
        return errorImagen("necesita " + n + " de memoria y quedan " + q);
    }
    return {};
}

std::string textoImagenIlegible(const Ruta& url) {
    if (auto m = motivoIlegible(url)) return std::string(textoBase) + ": " + *m;
    return textoBase;
}

} // namespace Livora
