#include "comun.h"

#include "../carpeta_prueba.h"
#include "motor/archivos.h"
#include "motor/codec.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Livora::Pruebas {

Imagen imagenPrueba(int ancho, int alto, int bandas) {
    iniciarMotor();
    using vips::VImage;
    VImage x = VImage::xyz(ancho, alto);
    VImage r = (x[0] * (255.0 / ancho));
    VImage g = (x[1] * (255.0 / alto));
    VImage b =
        VImage::gaussnoise(ancho, alto, VImage::option()->set("sigma", 30.0)->set("mean", 128.0));
    VImage img = r.bandjoin(g).bandjoin(b);
    if (bandas == 4) img = img.bandjoin(VImage::black(ancho, alto) + 200);
    return img.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .copy_memory();
}

Imagen lienzo(int ancho, int alto, const std::vector<double>& color) {
    iniciarMotor();
    return (vips::VImage::black(ancho, alto) + color)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .copy_memory();
}

std::string contenidoDe(const Ruta& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void cabeceraPNG(const Ruta& archivo, std::uint32_t ancho, std::uint32_t alto) {
    auto crc = [](const std::string& s) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : s) {
            c ^= b;
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return ~c;
    };
    auto be = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    std::string ihdr = "IHDR" + be(ancho) + be(alto) + std::string("\x08\x02\x00\x00\x00", 5);
    // The start of the first row: decoders want an image data chunk before the header counts.
    std::string idat = "IDAT" + std::string("\x78\x9c\x63\x60\xa0\x3d\x00\x00\x00\x64\x00\x01", 12);
    std::ofstream(archivo, std::ios::binary) << "\x89PNG\r\n\x1a\n"
                                             << be(13) << ihdr << be(crc(ihdr)) << be(12) << idat
                                             << be(crc(idat)) << be(0) << "IEND" << be(crc("IEND"));
}

SalidaCli ejecutarCli(const std::string& args, const std::string& entorno) {
    return ejecutar(entorno + " " + std::string(LIVORA_CLI) + " " + args);
}

SalidaCli ejecutar(const std::string& ordenShell) {
    SalidaCli s;
    const std::string orden = "{ " + ordenShell + "\n} 2>&1";
    FILE* p = ::popen(orden.c_str(), "r");
    std::array<char, 4096> buf{};
    while (std::fgets(buf.data(), buf.size(), p))
        s.texto += buf.data();
    int st = ::pclose(p);
    s.estado = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return s;
}

Ruta carpetaPrueba() {
    return LivoraPrueba::carpetaPrivada();
}

} // namespace Livora::Pruebas

namespace Livora::Pruebas {

namespace {
bool escribirEn(const char* archivo, const std::string& texto) {
    std::ofstream f(archivo);
    f << texto;
    return static_cast<bool>(f.flush());
}
} // namespace

std::optional<std::string> aislado(const Aislamiento& a,
                                   const std::function<std::string()>& cuerpo) {
    int tubo[2];
    if (::pipe(tubo) != 0) return std::nullopt;
    const pid_t hijo = ::fork();
    if (hijo < 0) return std::nullopt;
    if (hijo == 0) {
        ::close(tubo[0]);
        if (a.punto) {
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            // Root gets a mount namespace of its own; anyone else through a user namespace.
            if (::unshare(CLONE_NEWNS) != 0) {
                if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
                    !escribirEn("/proc/self/setgroups", "deny") ||
                    !escribirEn("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                    !escribirEn("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
                    ::_exit(77);
            }
            const std::string opciones = "size=" + std::to_string(a.kb) + "k,mode=0777";
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", a.punto->c_str(), "tmpfs", a.soloLectura ? MS_RDONLY : 0,
                        opciones.c_str()) != 0)
                ::_exit(77);
        }
        if (a.sinPrivilegios && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(77);
        }
        const std::string r = cuerpo();
        const char* p = r.data();
        for (std::size_t n = r.size(); n > 0;) {
            ssize_t w = ::write(tubo[1], p, n);
            if (w <= 0) break;
            p += w;
            n -= static_cast<std::size_t>(w);
        }
        ::_exit(0);
    }
    ::close(tubo[1]);
    std::string r;
    std::array<char, 4096> buf{};
    for (ssize_t n; (n = ::read(tubo[0], buf.data(), buf.size())) > 0;)
        r.append(buf.data(), static_cast<std::size_t>(n));
    ::close(tubo[0]);
    int st = 0;
    ::waitpid(hijo, &st, 0);
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) return std::nullopt;
    return r;
}

} // namespace Livora::Pruebas
