#include "../carpeta_prueba.h"
#include "comun.h"
#include "motor/alternativas.h"
#include "motor/codec.h"
#include "motor/paralelo.h"

#include <atomic>
#include <limits>
#include <thread>

#include <gtest/gtest.h>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {
std::vector<std::string> sufijos(const std::vector<Variante>& l) {
    std::vector<std::string> s;
    for (const auto& v : l)
        s.push_back(v.sufijo);
    return s;
}
} // namespace

TEST(VariantesImagen, OrdenNombresYArchivos) {
    auto img = imagenPrueba(600, 400);
    AjustesImagen a;
    a.objetivoKB = 60;
    auto r = variantesImagen(img, a, std::nullopt, false);
    ASSERT_TRUE(r) << r.error().mensaje;
    std::vector<std::string> esperado{"sin-perdida", "alta", "media", "baja", "heic"};
    if (hayCodificador(Formato::AVIF)) esperado.push_back("avif");
    esperado.insert(esperado.end(), {"webp", "personalizada", "objetivo"});
    ASSERT_EQ(sufijos(*r), esperado);

    const auto& l = *r;
    EXPECT_EQ(l[0].nombre, "PNG · Sin pérdida");
    EXPECT_EQ(l[0].detalle, "píxeles intactos");
    EXPECT_EQ(l[1].nombre, "JPEG · Alta");
    EXPECT_EQ(l[1].detalle, "80 %, tamaño completo");
    EXPECT_EQ(l[2].detalle, "60 %, máx. 2048 px"); // fixed even when not scaled
    EXPECT_EQ(l[3].detalle, "40 %, máx. 1280 px");
    EXPECT_EQ(l[4].nombre, "HEIC · Moderno");
    const auto& pers = l[l.size() - 2];
    EXPECT_EQ(pers.nombre, "JPEG · Personalizada");
    EXPECT_EQ(pers.detalle, "70 %, tamaño completo");

    const Ruta dir = l[0].urlTemp.parent_path();
    for (const auto& v : l) {
        EXPECT_EQ(v.urlTemp.parent_path(), dir);
        EXPECT_EQ(v.urlTemp.filename().string(), v.sufijo + "." + v.ext);
        EXPECT_EQ(std::filesystem::file_size(v.urlTemp), static_cast<std::uintmax_t>(v.bytes));
        EXPECT_TRUE(v.preview) << v.sufijo;
    }
    EXPECT_EQ(l[0].ext, "png");
    EXPECT_EQ(l[4].ext, "heic");
    EXPECT_LE(l.back().bytes, 60 * 1024);

    // A second generation never shares the folder.
    auto otra = variantesImagen(img, a, std::nullopt, false);
    ASSERT_TRUE(otra);
    EXPECT_NE(otra->front().urlTemp.parent_path(), dir);
    EXPECT_NE(otra->front().id, l.front().id);
}

TEST(VariantesImagen, TamanosDeCadaFila) {
    auto img = imagenPrueba(3000, 2000);
    AjustesImagen a;
    a.anchoCustom = 800;
    a.altoCustom = 800;
    a.calidadCustom = 72.9;
    auto r = variantesImagen(img, a, std::nullopt, false);
    ASSERT_TRUE(r);
    for (const auto& v : *r) {
        auto d = vips::VImage::new_from_file(v.urlTemp.c_str());
        if (v.sufijo == "media") {
            EXPECT_EQ(d.width(), 2048);
            EXPECT_EQ(d.height(), 1365);
        } else if (v.sufijo == "baja") {
            EXPECT_EQ(d.width(), 1280);
            EXPECT_EQ(d.height(), 853);
        } else if (v.sufijo == "personalizada") {
            EXPECT_EQ(d.width(), 800);
            EXPECT_EQ(d.height(), 800);
            EXPECT_EQ(v.detalle, "72 %, 800×800 px");
        } else {
            EXPECT_EQ(d.width(), 3000) << v.sufijo;
            EXPECT_EQ(d.height(), 2000) << v.sufijo;
        }
    }
}

TEST(VariantesImagen, SinFondoDaSoloElPNGTransparente) {
    auto img = imagenPrueba(200, 100, 4);
    AjustesImagen a;
    a.objetivoKB = 10;
    a.anchoCustom = 50;
    auto r = variantesImagen(img, a, std::nullopt, true);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 1u);
    const auto& v = r->front();
    EXPECT_EQ(v.nombre, "PNG · Fondo transparente");
    EXPECT_EQ(v.detalle, "sujeto recortado");
    EXPECT_EQ(v.sufijo, "sin-fondo");
    EXPECT_EQ(v.urlTemp.filename(), "sin-fondo.png");
    auto d = vips::VImage::new_from_file(v.urlTemp.c_str());
    EXPECT_EQ(d.bands(), 4);
}

TEST(VariantesImagen, DetallePersonalizada) {
    auto img = imagenPrueba(1024, 768);
    AjustesImagen a;
    EXPECT_EQ(detallePersonalizada(img, a), "70 %, tamaño completo");
    a.anchoCustom = 1024;
    a.altoCustom = 768;
    EXPECT_EQ(detallePersonalizada(img, a), "70 %, tamaño completo");
    a.anchoCustom = 512;
    a.altoCustom = 0;
    EXPECT_EQ(detallePersonalizada(img, a), "70 %, 512×384 px");
    // Values no control produces are bounded before any conversion to an integer.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    a.calidadCustom = nan;
    a.anchoCustom = nan;
    EXPECT_EQ(detallePersonalizada(img, a), "0 %, tamaño completo");
    a.calidadCustom = 1e300;
    a.anchoCustom = inf;
    a.altoCustom = 1e300;
    EXPECT_EQ(detallePersonalizada(img, a), "100 %, 9223372036854775807×9223372036854775807 px");
    auto [w, h] = dimensionesCustom(img, a);
    EXPECT_EQ(redimensionar(img, w, h).width(), 1024); // left as it is
}

TEST(VariantesImagen, CarpetaImposibleEsUnError) {
    auto img = imagenPrueba(64, 64);
    LivoraPrueba::Entorno imposible("TMPDIR", "/proc/livora-imposible");
    EXPECT_FALSE(variantesImagen(img, AjustesImagen{}, std::nullopt, false));
}

// The rows of a generation run on a bounded set of threads: many photos taken in at once
// must not start a thread per row each, and every task must still run exactly once.
TEST(EnParalelo, CadaTareaUnaVezYNoMasHilosQueNucleos) {
    iniciarMotor(); // each worker ends its libvips thread state
    std::atomic<int> activas{0}, maximo{0};
    std::vector<std::atomic<int>> veces(25);
    std::vector<std::function<void()>> tareas;
    for (std::size_t i = 0; i < veces.size(); ++i)
        tareas.push_back([&, i] {
            int a = ++activas;
            for (int m = maximo.load(); a > m && !maximo.compare_exchange_weak(m, a);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++veces[i];
            --activas;
        });
    enParalelo(tareas);
    for (const auto& v : veces)
        EXPECT_EQ(v.load(), 1);
    EXPECT_GE(maximo.load(), 1);
    EXPECT_LE(maximo.load(), static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    enParalelo({}); // nothing to do returns at once
}
