#include "motor/archivos.h"

#include "motor/temporales.h"
#include "motor/texto.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Livora {

Error error(std::string mensaje) {
    return Error{std::move(mensaje)};
}

namespace {

std::string entre(const std::string& nombre) {
    return "«" + nombre + "»";
}

// The folder the user would look at: the path's parent, or the path itself when it has
// no parent part.
std::string carpetaDe(const Ruta& ruta) {
    Ruta p = ruta.parent_path();
    if (p.empty()) p = std::filesystem::current_path();
    return p.filename().empty() ? textoRuta(p) : nombreVisible(p);
}

std::string mayuscula(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

} // namespace

std::string motivoSistema(int err, const Ruta& ruta, Operacion op) {
    const bool escribir = op == Operacion::Escribir;
    const std::string archivo = entre(nombreVisible(ruta));
    const std::string carpeta = entre(carpetaDe(ruta));
    switch (err) {
    case EACCES:
    case EPERM:
        return escribir ? "no tienes permiso para escribir en la carpeta " + carpeta
                        : "no tienes permiso para leer " + archivo;
    case EROFS:
        return "la carpeta " + carpeta + " está en un disco de solo lectura";
    case ENOSPC:
        return "no queda espacio en el disco";
    case EDQUOT:
        return "se ha superado tu cuota de disco";
    case EFBIG:
        return "el archivo es demasiado grande para ese disco";
    case ENAMETOOLONG:
        return "el nombre " + archivo + " es demasiado largo";
    case ENOENT:
        return escribir ? "la carpeta " + carpeta + " no existe"
                        : "el archivo " + archivo + " ya no existe";
    case ENOTDIR:
        return carpeta + " no es una carpeta";
    case EISDIR:
        return archivo + " es una carpeta";
    case EEXIST:
        return archivo + " ya existe";
    case EBUSY:
    case ETXTBSY:
        return archivo + " está en uso";
    case EINVAL:
        return "el nombre " + archivo + " no es válido en ese disco";
    case ELOOP:
        return "hay demasiados enlaces simbólicos en la ruta de " + archivo;
    case EIO:
        return "error de lectura o escritura en el disco";
    case ENOMEM:
        return "no hay memoria suficiente";
    case EMFILE:
    case ENFILE:
        return "hay demasiados archivos abiertos";
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        return "se perdió la conexión con la carpeta de red";
    default:
        return "error del sistema n.º " + std::to_string(err) + " con " + archivo;
    }
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
    case ENOTDIR:
        return "Una parte de la ruta no es una carpeta";
    case EISDIR:
        return "Es una carpeta";
    case ENAMETOOLONG:
        return "El nombre es demasiado largo";
    case EEXIST:
        return "Ya existe";
    case EBUSY:
    case ETXTBSY:
        return "Está en uso";
    case EINVAL:
        return "El nombre no es válido en ese disco";
    case ELOOP:
        return "Hay demasiados enlaces simbólicos en la ruta";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case ENOMEM:
    case EMFILE:
    case ENFILE:
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        // These texts name nothing: the same as with a path.
        return mayuscula(motivoSistema(ec.value(), Ruta(), Operacion::Escribir));
    default:
        return "Error del sistema n.º " + std::to_string(ec.value());
    }
}

Error errorSistema(int err, const Ruta& ruta, Operacion op) {
    Error e{mayuscula(motivoSistema(err, ruta, op))};
    e.dominio = "Sistema";
    e.codigo = err;
    return e;
}

Ruta carpetaTemporalUsuario() {
    if (const char* t = std::getenv("TMPDIR"); t && *t) return Ruta(t);
    return Ruta("/tmp");
}

Resultado<Ruta> dirTemporal(ClaseTemporal clase) {
    Ruta base = carpetaTemporalUsuario();
    std::error_code ec;
    std::filesystem::create_directories(base, ec);
    Ruta dir = base / ("Livora-" + Uuid::nuevo().texto());
    // Private from the start: other users must never read a user's files.
    if (::mkdir(dir.c_str(), 0700) != 0) return errorSistema(errno, dir, Operacion::Escribir);
    registrarTemporal(dir, clase);
    return dir;
}

std::int64_t tamano(const Ruta& url) {
    struct stat st {};
    if (::stat(url.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

Resultado<void> escribirArchivo(const Ruta& destino, std::span<const std::uint8_t> datos) {
    errno = 0;
    std::ofstream f(destino, std::ios::binary | std::ios::trunc);
    if (!f) return errorSistema(errno ? errno : EIO, destino, Operacion::Escribir);
    f.write(reinterpret_cast<const char*>(datos.data()),
            static_cast<std::streamsize>(datos.size()));
    f.close();
    if (!f) {
        const int err = errno ? errno : EIO;
        std::error_code ec;
        std::filesystem::remove(destino, ec);
        return errorSistema(err, destino, Operacion::Escribir);
    }
    return {};
}

namespace {

// Writes all of `n` bytes; false with errno set on failure.
bool escribirTodo(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace

Resultado<void> copiarSeguro(const Ruta& origen, const Ruta& destino) {
    const int in = ::open(origen.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errorSistema(errno, origen, Operacion::Leer);
    struct stat st {};
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(in);
        return errorSistema(err, origen, Operacion::Leer);
    }
    const Ruta tmp = destino.parent_path() / (".livora-" + Uuid::nuevo().texto() + ".tmp");
    const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        // The folder is what refused; ENAMETOOLONG is about the name asked for.
        const int err = errno;
        ::close(in);
        return errorSistema(err, destino, Operacion::Escribir);
    }
    // Every step keeps its own errno: the first failure is the one reported.
    int err = 0;
    Operacion lado = Operacion::Escribir;
    std::vector<char> buf(1 << 20);
    for (;;) {
        ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            err = errno;
            lado = Operacion::Leer;
            break;
        }
        if (n == 0) break;
        if (!escribirTodo(out, buf.data(), static_cast<std::size_t>(n))) {
            err = errno;
            break;
        }
    }
    ::close(in);
    // Flushed before the rename: a crash never leaves a short file under the final name.
    if (!err && ::fsync(out) != 0 && errno != EINVAL) err = errno;
    if (::close(out) != 0 && !err) err = errno;
    if (!err && ::rename(tmp.c_str(), destino.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(tmp.c_str());
        return errorSistema(err, lado == Operacion::Leer ? origen : destino, lado);
    }
    return {};
}

} // namespace Livora
