#include "comun.h"

#include "motor/archivos.h"
#include "motor/codec.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

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

SalidaCli ejecutarCli(const std::string& args) {
    return ejecutar(std::string(LIVORA_CLI) + " " + args);
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
    return *dirTemporal();
}

} // namespace Livora::Pruebas
