// Memory of decoding one photo the way intake does (cargarImagen: upright, sRGB, in memory).
//
//   decodificacion preparar FOTO CARPETA  →  a 24 MP JPEG upright and the same stored turned
//                                            a quarter with EXIF Orientation 6
//   decodificacion FOTO                   →  JSON on stdout: size, RSS before, peak RSS, time
#include "motor/codec.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// kB from /proc/self/status (VmRSS now, VmHWM the peak so far).
long estado(const std::string& campo) {
    std::ifstream f("/proc/self/status");
    for (std::string linea; std::getline(f, linea);)
        if (linea.rfind(campo + ":", 0) == 0) return std::stol(linea.substr(campo.size() + 1));
    return -1;
}

int preparar(const std::string& foto, const std::string& carpeta) {
    using vips::VImage;
    // 6000 × 4000, a 24 MP camera's 3:2: the photo enlarged to cover it, centre kept.
    VImage img = VImage::new_from_file(foto.c_str());
    img = img.resize(std::max(6000.0 / img.width(), 4000.0 / img.height()));
    img = img.extract_area((img.width() - 6000) / 2, (img.height() - 4000) / 2, 6000, 4000)
              .copy_memory();
    img.jpegsave((carpeta + "/foto-24mp.jpg").c_str(), VImage::option()->set("Q", 90));
    VImage girada = img.rot270().copy();
    girada.set("orientation", 6);
    girada.jpegsave((carpeta + "/foto-24mp-girada.jpg").c_str(), VImage::option()->set("Q", 90));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Livora::iniciarMotor();
    if (argc == 4 && std::string(argv[1]) == "preparar") return preparar(argv[2], argv[3]);
    if (argc != 2) {
        std::cerr << "Uso: decodificacion FOTO | decodificacion preparar FOTO CARPETA\n";
        return 2;
    }
    const long antes = estado("VmRSS");
    const auto t0 = std::chrono::steady_clock::now();
    auto c = Livora::cargarImagen(argv[1]);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!c) {
        std::cerr << "No se pudo abrir " << argv[1] << "\n";
        return 1;
    }
    nlohmann::json j{{"ancho", c->imagen.width()},
                     {"alto", c->imagen.height()},
                     {"rss_antes_kb", antes},
                     {"pico_kb", estado("VmHWM")},
                     {"segundos", s}};
    std::cout << j.dump() << "\n";
    return 0;
}
