#include "modelo/presets.h"
#include "vistas/reglas_salidas.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Livora;

namespace {
const TamanoFuente foto{4000, 3000};
}

TEST(CampoTamano, LeeSoloNumerosDecimalesCompletos) {
    EXPECT_EQ(leerTamano("1000"), 1000);
    EXPECT_EQ(leerTamano("+12.5"), 12.5);
    EXPECT_EQ(leerTamano("-5"), -5);
    EXPECT_EQ(leerTamano(".5"), 0.5);
    EXPECT_EQ(leerTamano("5."), 5);
    EXPECT_EQ(leerTamano("1e3"), 1000);
    EXPECT_EQ(leerTamano("2.5E+2"), 250);
    for (const char* malo : {"", " 1000", "1000 ", "abc", "12px", "1,5", "e3", "1e", "+", ".",
                             "0x10", "inf", "nan", "1..2", "--1", "١٢"})
        EXPECT_EQ(leerTamano(malo), 0) << '"' << malo << '"';
}

TEST(CampoTamano, UnNumeroQueNoCabeEnUnEnteroNoEsUnTamano) {
    EXPECT_EQ(leerTamano("1e30"), 0);
    EXPECT_EQ(leerTamano("1e400"), 0);
    EXPECT_EQ(leerTamano("-1e30"), 0);
    EXPECT_EQ(leerTamano("100000"), 100000);
}

TEST(CampoTamano, MuestraLaParteEnteraSoloSiEsPositivo) {
    EXPECT_EQ(textoTamano(1000), "1000");
    EXPECT_EQ(textoTamano(249.75), "249");
    EXPECT_EQ(textoTamano(0), "");
    EXPECT_EQ(textoTamano(-5), "");
    EXPECT_EQ(textoTamano(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(textoTamano(std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(Proporcion, ElAnchoArrastraElAltoConElCandado) {
    AjustesImagen a;
    escribirAncho(a, leerTamano("1000"), foto);
    EXPECT_EQ(a.anchoCustom, 1000);
    EXPECT_EQ(a.altoCustom, 750);
    escribirAncho(a, leerTamano("333"), foto);
    EXPECT_EQ(a.anchoCustom, 333);
    EXPECT_EQ(a.altoCustom, 250); // 249.75
}

TEST(Proporcion, ElAltoArrastraElAnchoYLasMitadesSeAlejanDeCero) {
    AjustesImagen a;
    escribirAlto(a, 750, foto);
    EXPECT_EQ(a.anchoCustom, 1000);
    EXPECT_EQ(a.altoCustom, 750);
    // 3 × 4000 / 3000 = 4 exactly; 1 × 3 / 2 = 1.5 rounds up to 2.
    escribirAlto(a, 1, TamanoFuente{3, 2});
    EXPECT_EQ(a.anchoCustom, 2);
}

TEST(Proporcion, SinCandadoSinFuenteOConCeroSoloCambiaElCampo) {
    AjustesImagen a;
    a.altoCustom = 10;
    escribirAncho(a, 1000, std::nullopt);
    EXPECT_EQ(a.anchoCustom, 1000);
    EXPECT_EQ(a.altoCustom, 10);
    escribirAncho(a, 0, foto); // letters typed: 0, the other size stays
    EXPECT_EQ(a.anchoCustom, 0);
    EXPECT_EQ(a.altoCustom, 10);
    escribirAncho(a, -5, foto);
    EXPECT_EQ(a.anchoCustom, -5);
    EXPECT_EQ(a.altoCustom, 10);
    escribirAncho(a, 500, TamanoFuente{0, 3000});
    EXPECT_EQ(a.altoCustom, 10);
    a.proporcionBloqueada = false;
    escribirAlto(a, 999, foto);
    EXPECT_EQ(a.anchoCustom, 500);
    EXPECT_EQ(a.altoCustom, 999);
}

TEST(Presets, LaTablaTieneLosTresGruposYLas22Entradas) {
    const auto& g = gruposPresetsResolucion();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].nombre, "Móvil");
    EXPECT_EQ(g[1].nombre, "Tablet");
    EXPECT_EQ(g[2].nombre, "Escritorio");
    EXPECT_EQ(g[0].presets.size(), 12u);
    EXPECT_EQ(g[1].presets.size(), 5u);
    EXPECT_EQ(g[2].presets.size(), 5u);
    EXPECT_EQ(etiquetaPreset(g[0].presets[0]), "iPhone 17  402 × 874");
    EXPECT_EQ(etiquetaPreset(g[1].presets[2]), "iPad Pro 11\"  834 × 1194");
    EXPECT_EQ(etiquetaPreset(g[2].presets[4]), "Wireframes  1440 × 1024");
}

TEST(Presets, ElegirUnoIgnoraElCandado) {
    AjustesImagen a;
    ASSERT_TRUE(a.proporcionBloqueada);
    const auto& surface = gruposPresetsResolucion()[1].presets[1];
    ASSERT_EQ(surface.nombre, "Surface Pro 8");
    elegirPreset(a, surface);
    EXPECT_EQ(a.anchoCustom, 1440);
    EXPECT_EQ(a.altoCustom, 960);
    EXPECT_TRUE(hayTamanoCustom(a));
    tamanoOriginal(a);
    EXPECT_EQ(a.anchoCustom, 0);
    EXPECT_EQ(a.altoCustom, 0);
    EXPECT_FALSE(hayTamanoCustom(a));
}

TEST(Calidad, PasosDeCincoEntreDiezYCien) {
    EXPECT_EQ(calidadEnPaso(72), 70);
    EXPECT_EQ(calidadEnPaso(73), 75);
    EXPECT_EQ(calidadEnPaso(3), 10);
    EXPECT_EQ(calidadEnPaso(140), 100);
    EXPECT_EQ(textoCalidad(70), "70 %");
    EXPECT_EQ(textoCalidad(100), "100 %");
}

TEST(Objetivo, AjustarSoloConUnEnteroDecimal) {
    for (const char* malo : {"", "   ", "12k", "1.5", "+", "-", "+-5", "2 00", "0x10", "1e3",
                             "99999999999999999999", "-99999999999999999999"})
        EXPECT_FALSE(leerObjetivo(malo)) << '"' << malo << '"';
    EXPECT_EQ(leerObjetivo("200"), 200);
    EXPECT_EQ(leerObjetivo(" 200 "), 200);
    EXPECT_EQ(leerObjetivo("\t200\t "), 200);
    EXPECT_EQ(leerObjetivo("+200"), 200);
    EXPECT_EQ(leerObjetivo("-5"), -5);
    EXPECT_EQ(leerObjetivo("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(leerObjetivo("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(leerObjetivo("9223372036854775808"));
}
