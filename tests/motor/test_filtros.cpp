#include "comun.h"
#include "motor/codec.h"
#include "motor/filtros.h"

#include <gtest/gtest.h>

using namespace Livora;
using vips::VImage;

namespace {

// A picture with every kind of pixel: x, y and their sum in the three channels.
Imagen patron(int w, int h) {
    iniciarMotor();
    VImage xy = VImage::xyz(w, h);
    VImage x = xy[0], y = xy[1];
    VImage r = (x * 255 / std::max(1, w - 1)).cast(VIPS_FORMAT_UCHAR);
    VImage g = (y * 255 / std::max(1, h - 1)).cast(VIPS_FORMAT_UCHAR);
    VImage b = ((x + y) % 256).cast(VIPS_FORMAT_UCHAR);
    return VImage::bandjoin({r, g, b})
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .copy_memory();
}

Imagen color(int r, int g, int b) {
    return Pruebas::lienzo(4, 4, {double(r), double(g), double(b)});
}

std::vector<double> pixel(const Imagen& img, int x = 0, int y = 0) {
    return img.getpoint(x, y);
}

// Whether two pictures have the same size, bands and bytes.
bool iguales(const Imagen& a, const Imagen& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.bands() != b.bands()) return false;
    return (a == b).min() == 255;
}

bool grises(const Imagen& img) {
    return ((img[0] == img[1]) & (img[1] == img[2])).min() == 255;
}

FiltroAjustes preset(const std::string& clave) {
    return FiltroAjustes{clave, 0, 1, 1};
}

} // namespace

TEST(Filtros, TablaDePresetsEnOrden) {
    std::vector<std::string> claves, nombres;
    for (const auto& p : presetsFiltro()) {
        claves.push_back(p.clave);
        nombres.push_back(p.nombre);
    }
    EXPECT_EQ(claves, (std::vector<std::string>{"ninguno", "mono", "noir", "sepia", "fade",
                                                "chrome", "invertir"}));
    EXPECT_EQ(nombres[4], "Desvaído");
}

TEST(Filtros, NeutroYClaveDesconocidaDevuelvenLaMismaImagen) {
    Imagen img = patron(64, 48);
    EXPECT_EQ(aplicarFiltros(img, FiltroAjustes{}).get_image(), img.get_image());
    EXPECT_EQ(aplicarFiltros(img, preset("vintage")).get_image(), img.get_image());
    // An unknown preset still lets the sliders work.
    Imagen r = aplicarFiltros(img, FiltroAjustes{"vintage", 0.1, 1, 1});
    EXPECT_NE(r.get_image(), img.get_image());
    EXPECT_TRUE(iguales(r, aplicarFiltros(img, FiltroAjustes{"ninguno", 0.1, 1, 1})));
}

TEST(Filtros, InvertirEsExacto) {
    Imagen img = patron(300, 200);
    Imagen r = aplicarFiltros(img, preset("invertir"));
    ASSERT_EQ(r.bands(), 3);
    EXPECT_EQ(((r.cast(VIPS_FORMAT_INT) + img.cast(VIPS_FORMAT_INT)) == 255).min(), 255);
}

TEST(Filtros, MonoYNoirSonGrisesYNoirTieneMasContraste) {
    Imagen img = patron(256, 256);
    Imagen mono = aplicarFiltros(img, preset("mono"));
    Imagen noir = aplicarFiltros(img, preset("noir"));
    EXPECT_TRUE(grises(mono));
    EXPECT_TRUE(grises(noir));
    EXPECT_GT(noir[0].deviate(), mono[0].deviate() * 1.15);
    // Mono is the neutral luma: pure red, green and blue weigh 0.2126, 0.7152, 0.0722.
    EXPECT_NEAR(pixel(aplicarFiltros(color(255, 0, 0), preset("mono")))[0], 54, 1);
    EXPECT_NEAR(pixel(aplicarFiltros(color(0, 255, 0), preset("mono")))[0], 182, 1);
    EXPECT_NEAR(pixel(aplicarFiltros(color(0, 0, 255), preset("mono")))[0], 18, 1);
    // Noir crushes deep shadows and blows highlights.
    EXPECT_EQ(pixel(aplicarFiltros(color(15, 15, 15), preset("noir")))[0], 0);
    EXPECT_EQ(pixel(aplicarFiltros(color(240, 240, 240), preset("noir")))[0], 255);
}

TEST(Filtros, SepiaDaTonoCalido) {
    auto p = pixel(aplicarFiltros(color(128, 128, 128), preset("sepia")));
    EXPECT_GT(p[0], p[1] + 10);
    EXPECT_GT(p[1], p[2] + 10);
    // The same tone whatever the original colour.
    auto q = pixel(aplicarFiltros(color(40, 60, 200), preset("sepia")));
    EXPECT_GT(q[0], q[1]);
    EXPECT_GT(q[1], q[2]);
}

TEST(Filtros, DesvaidoLevantaNegrosYSuavizaColor) {
    auto negro = pixel(aplicarFiltros(color(0, 0, 0), preset("fade")));
    auto blanco = pixel(aplicarFiltros(color(255, 255, 255), preset("fade")));
    EXPECT_GT(negro[0], 20);
    EXPECT_LT(blanco[0], 245);
    auto rojo = pixel(aplicarFiltros(color(200, 40, 40), preset("fade")));
    EXPECT_LT(rojo[0] - rojo[1], (200 - 40) * 0.7);
}

TEST(Filtros, ChromeRealzaColorYContraste) {
    auto rojo = pixel(aplicarFiltros(color(160, 100, 100), preset("chrome")));
    EXPECT_GT(rojo[0] - rojo[1], 60 * 1.2);
    EXPECT_LT(pixel(aplicarFiltros(color(60, 60, 60), preset("chrome")))[0], 60);
    EXPECT_GT(pixel(aplicarFiltros(color(195, 195, 195), preset("chrome")))[0], 195);
}

TEST(Filtros, ControlesDeColor) {
    // Brightness is an offset on 0…1 values.
    EXPECT_NEAR(pixel(aplicarFiltros(color(100, 100, 100), {"ninguno", 0.2, 1, 1}))[0], 151, 1);
    EXPECT_EQ(pixel(aplicarFiltros(color(250, 250, 250), {"ninguno", 0.3, 1, 1}))[0], 255);
    // Contrast scales around mid-grey.
    EXPECT_NEAR(pixel(aplicarFiltros(color(64, 64, 64), {"ninguno", 0, 1.4, 1}))[0], 38.6, 1);
    EXPECT_NEAR(pixel(aplicarFiltros(color(200, 200, 200), {"ninguno", 0, 0.7, 1}))[0], 178, 1);
    // Saturation 0 is the luma, 2 pushes colours away from it.
    Imagen img = patron(120, 80);
    EXPECT_TRUE(grises(aplicarFiltros(img, {"ninguno", 0, 1, 0})));
    auto mas = pixel(aplicarFiltros(color(150, 100, 100), {"ninguno", 0, 1, 2}));
    EXPECT_GT(mas[0] - mas[1], 90);
}

TEST(Filtros, LosControlesVanAntesQueElPreset) {
    Imagen img = patron(200, 100);
    FiltroAjustes f{"sepia", 0, 1, 0};
    Imagen junto = aplicarFiltros(img, f);
    Imagen porPasos = aplicarFiltros(aplicarFiltros(img, {"ninguno", 0, 1, 0}), preset("sepia"));
    EXPECT_TRUE(iguales(junto, porPasos));
    // The other order would end grey: saturation 0 after the sepia tone.
    EXPECT_FALSE(grises(junto));
    // With neutral sliders only the preset runs.
    Imagen soloMono = aplicarFiltros(img, preset("mono"));
    EXPECT_TRUE(iguales(soloMono, aplicarFiltros(img, FiltroAjustes{"mono", 0.0, 1.0, 1.0})));
}

TEST(Filtros, ConservaLaTransparencia) {
    Imagen rgb = patron(50, 40);
    VImage alfa = (VImage::xyz(50, 40)[0] * 5).cast(VIPS_FORMAT_UCHAR);
    Imagen rgba = rgb.bandjoin(alfa).copy_memory();
    for (const auto& p : presetsFiltro()) {
        Imagen r = aplicarFiltros(rgba, FiltroAjustes{p.clave, 0.1, 1.2, 0.5});
        ASSERT_EQ(r.bands(), 4) << p.clave;
        EXPECT_TRUE(iguales(r[3], alfa)) << p.clave;
    }
}

TEST(Filtros, MiniaturasCuadradasCentradasYSinAgrandar) {
    Imagen grande = patron(4000, 3000);
    auto m = miniaturasFiltros(grande);
    ASSERT_EQ(m.size(), presetsFiltro().size());
    for (const auto& p : presetsFiltro()) {
        ASSERT_TRUE(m.count(p.clave)) << p.clave;
        EXPECT_EQ(m[p.clave].width(), 96) << p.clave;
        EXPECT_EQ(m[p.clave].height(), 96) << p.clave;
    }
    // The "ninguno" preview is the unfiltered central square.
    Imagen esperada = escalado(grande.extract_area(500, 0, 3000, 3000), 96);
    EXPECT_TRUE(iguales(m["ninguno"], esperada));
    EXPECT_TRUE(iguales(m["invertir"], aplicarFiltros(esperada, preset("invertir"))));

    Imagen pequena = patron(50, 80);
    auto n = miniaturasFiltros(pequena);
    EXPECT_EQ(n["mono"].width(), 50);
    EXPECT_EQ(n["mono"].height(), 50);
    EXPECT_TRUE(iguales(n["ninguno"], pequena.extract_area(0, 15, 50, 50)));
}
