#include "comun.h"
#include "motor/objetivo.h"

#include <gtest/gtest.h>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {
// A stand-in encoder whose size grows with quality and pixel count; it records each call.
struct Falso {
    std::vector<double> calidades;
    std::vector<std::pair<int, int>> tamanos;
    double bytesPorPixel = 1.0;
    std::optional<Bytes> operator()(const Imagen& img, double q) {
        calidades.push_back(q);
        tamanos.emplace_back(img.width(), img.height());
        double n = img.width() * static_cast<double>(img.height()) * q * bytesPorPixel;
        // Sizes beyond any target in these tests need not be allocated in full.
        return Bytes(static_cast<std::size_t>(std::min(n, 4e6)), 0);
    }
};
} // namespace

TEST(BuscarPeso, ObjetivoHolgadoPruebaLasSieteCalidadesHaciaArriba) {
    Falso f;
    auto img = imagenPrueba(100, 100);
    auto r = buscarPeso(img, 1000, std::ref(f));
    ASSERT_TRUE(r);
    std::vector<double> esperado{0.5, 0.725, 0.8375, 0.89375, 0.921875, 0.9359375, 0.94296875};
    ASSERT_EQ(f.calidades.size(), esperado.size());
    for (std::size_t i = 0; i < esperado.size(); ++i)
        EXPECT_DOUBLE_EQ(f.calidades[i], esperado[i]);
    EXPECT_DOUBLE_EQ(r->calidad, 0.94296875);
    EXPECT_EQ(detalleObjetivo(1000, r->calidad, 100), "≤ 1000 KB · calidad 94 %, 100 px");
}

TEST(BuscarPeso, ObjetivoIntermedioSeAcercaALaMejorCalidad) {
    Falso f;
    auto img = imagenPrueba(1000, 1000);
    // Fits up to quality 0.66 × 1e6 bytes.
    const std::int64_t kb = 660'000 / 1024;
    auto r = buscarPeso(img, kb, std::ref(f));
    ASSERT_TRUE(r);
    double limite = kb * 1024.0 / 1e6;
    EXPECT_LE(r->calidad, limite);
    EXPECT_GT(r->calidad, limite - 0.9 / 128);
    EXPECT_EQ(r->imagen.width(), 1000);
}

TEST(BuscarPeso, EncogeUnCuartoPorPasada) {
    Falso f;
    f.bytesPorPixel = 1000; // nothing fits until the picture is tiny
    auto img = imagenPrueba(4000, 3000);
    auto r = buscarPeso(img, 1, std::ref(f));
    EXPECT_FALSE(r);
    std::vector<std::pair<int, int>> pasadas;
    for (std::size_t i = 0; i < f.tamanos.size(); i += 7)
        pasadas.push_back(f.tamanos[i]);
    ASSERT_GE(pasadas.size(), 3u);
    EXPECT_EQ(pasadas[0], std::make_pair(4000, 3000));
    EXPECT_EQ(pasadas[1], std::make_pair(3000, 2250));
    EXPECT_EQ(pasadas[2], std::make_pair(2250, 1687));
    EXPECT_LE(pasadas.size(), 8u);
    EXPECT_EQ(f.tamanos.size() % 7, 0u);
}

TEST(BuscarPeso, SuelosDe200PixelesYOchoPasadas) {
    // 250 × 0.75 < 200: one pass only; a long strip stops after eight.
    for (auto [ancho, alto, llamadas] : {std::tuple{250, 250, 7u}, {20000, 200, 7u * 8u}}) {
        Falso f;
        f.bytesPorPixel = 1e9;
        EXPECT_FALSE(buscarPeso(imagenPrueba(ancho, alto), 1, std::ref(f)));
        EXPECT_EQ(f.calidades.size(), llamadas) << ancho;
    }
}

TEST(BuscarPeso, ObjetivoNuloONegativoNuncaCabeYEnormeSatura) {
    for (std::int64_t kb : {0, -5}) {
        Falso f;
        EXPECT_FALSE(buscarPeso(imagenPrueba(300, 300), kb, std::ref(f))) << kb;
    }
    Falso h;
    auto r =
        buscarPeso(imagenPrueba(300, 300), std::numeric_limits<std::int64_t>::max(), std::ref(h));
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->calidad, 0.94296875);
}

TEST(AjustarAPeso, EscribeObjetivoJPGQueCabe) {
    auto dir = carpetaPrueba();
    auto img = imagenPrueba(800, 600);
    auto r = ajustarAPeso(img, 40, dir, nullptr);
    ASSERT_TRUE(r);
    ASSERT_TRUE(*r);
    const auto& v = **r;
    EXPECT_EQ(v.urlTemp, dir / "objetivo.jpg");
    EXPECT_LE(v.bytes, 40 * 1024);
    EXPECT_EQ(static_cast<std::uintmax_t>(v.bytes), std::filesystem::file_size(v.urlTemp));
    EXPECT_EQ(v.nombre, "JPEG · Objetivo");
    EXPECT_EQ(v.detalle.rfind("≤ 40 KB · calidad ", 0), 0u);
}
