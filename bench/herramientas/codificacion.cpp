// The work of one image generation, row by row, one row at a time: how long each encode
// takes (wall and CPU of the whole process) and how many bytes it makes. The CPU figure is
// the single-core cost of the row whatever threads the encoder starts, so their sum over the
// machine's cores is the floor a parallel generation can reach.
//
//   codificacion FOTO [KB_OBJETIVO]  →  JSON on stdout
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/objetivo.h"
#include "motor/webp.h"

#include <nlohmann/json.hpp>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>

namespace {

double cpu() {
    rusage yo{}, hijos{};
    getrusage(RUSAGE_SELF, &yo);
    getrusage(RUSAGE_CHILDREN, &hijos);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(yo.ru_utime) + s(yo.ru_stime) + s(hijos.ru_utime) + s(hijos.ru_stime);
}

struct Medida {
    double pared = 0, cpu = 0;
    std::int64_t bytes = 0;
};

Medida medir(const std::function<std::int64_t()>& trabajo) {
    const double c0 = cpu();
    const auto t0 = std::chrono::steady_clock::now();
    Medida m;
    m.bytes = trabajo();
    m.pared = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    m.cpu = cpu() - c0;
    return m;
}

} // namespace

int main(int argc, char** argv) {
    using namespace Livora;
    if (argc < 2) {
        std::fprintf(stderr, "uso: codificacion FOTO [KB_OBJETIVO]\n");
        return 2;
    }
    const std::int64_t kb = argc > 2 ? std::atoll(argv[2]) : 500;
    iniciarMotor();
    nlohmann::json salida;
    std::optional<ImagenCargada> cargada;
    auto carga = medir([&] {
        cargada = cargarImagen(argv[1]);
        return std::int64_t{0};
    });
    if (!cargada) {
        std::fprintf(stderr, "No se pudo abrir la imagen\n");
        return 1;
    }
    const Imagen& cg = cargada->imagen;
    salida["decodificar"] = {{"pared", carga.pared}, {"cpu", carga.cpu}};
    auto dir = dirTemporal();
    if (!dir) return 1;

    struct Fila {
        const char* sufijo;
        Formato formato;
        double calidad;
        double maxLado;
    };
    const Fila filas[] = {
        {"sin-perdida", Formato::PNG, 1.0, 0},   {"alta", Formato::JPEG, 0.8, 0},
        {"media", Formato::JPEG, 0.6, 2048},     {"baja", Formato::JPEG, 0.4, 1280},
        {"heic", Formato::HEIC, 0.6, 0},         {"avif", Formato::AVIF, 0.6, 0},
        {"personalizada", Formato::JPEG, 0.7, 0}};
    for (const auto& f : filas) {
        if (!hayCodificador(f.formato)) continue;
        std::optional<Bytes> datos;
        auto m = medir([&] {
            const Imagen img = f.maxLado > 0 ? escalado(cg, f.maxLado) : cg;
            datos = codificar(img, f.formato, f.calidad, nullptr);
            return datos ? std::int64_t(datos->size()) : std::int64_t{-1};
        });
        salida["filas"].push_back(
            {{"sufijo", f.sufijo}, {"pared", m.pared}, {"cpu", m.cpu}, {"bytes", m.bytes}});
        if (datos && f.formato == Formato::PNG)
            (void)escribirArchivo(*dir / "sin-perdida.png", *datos);
    }
    std::optional<Variante> webp;
    auto mw = medir([&] {
        webp = varianteWebP(*dir, true);
        return webp ? webp->bytes : std::int64_t{-1};
    });
    salida["filas"].push_back(
        {{"sufijo", "webp"}, {"pared", mw.pared}, {"cpu", mw.cpu}, {"bytes", mw.bytes}});
    auto mo = medir([&] {
        auto v = ajustarAPeso(cg, kb, *dir, nullptr);
        return v && *v ? (*v)->bytes : std::int64_t{-1};
    });
    salida["filas"].push_back(
        {{"sufijo", "objetivo"}, {"pared", mo.pared}, {"cpu", mo.cpu}, {"bytes", mo.bytes}});
    std::error_code ec;
    std::filesystem::remove_all(*dir, ec);
    std::cout << salida.dump() << std::endl;
    return 0;
}
