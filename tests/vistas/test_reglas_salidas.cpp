#include "vistas/reglas_salidas.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Livora;

namespace {
const TamanoFuente foto{4000, 3000};
}

TEST(CampoTamano, LeeSoloNumerosDecimalesCompletosQueCabenEnUnEntero) {
    const std::pair<const char*, double> buenos[] = {
        {"1000", 1000}, {"+12.5", 12.5}, {"-5", -5},      {".5", 0.5},
        {"5.", 5},      {"1e3", 1000},   {"2.5E+2", 250}, {"100000", 100000}};
    for (const auto& [texto, valor] : buenos)
        EXPECT_EQ(leerTamano(texto), valor) << texto;
    for (const char* malo : {"", " 1000", "1000 ", "abc", "12px", "1,5", "e3", "1e", "+", ".",
                             "0x10", "inf", "nan", "1..2", "--1", "١٢", "1e30", "1e400", "-1e30"})
        EXPECT_EQ(leerTamano(malo), 0) << '"' << malo << '"';
    // Shown as the whole part, and only when positive.
    EXPECT_EQ(textoTamano(1000), "1000");
    EXPECT_EQ(textoTamano(249.75), "249");
    for (double nada : {0.0, -5.0, std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(textoTamano(nada), "") << nada;
}

TEST(Proporcion, UnCampoArrastraAlOtroConElCandado) {
    AjustesImagen a;
    escribirAncho(a, leerTamano("1000"), foto);
    EXPECT_EQ(a.altoCustom, 750);
    escribirAncho(a, leerTamano("333"), foto);
    EXPECT_EQ(a.altoCustom, 250); // 249.75
    escribirAlto(a, 750, foto);
    EXPECT_EQ(a.anchoCustom, 1000);
    // Halves round away from zero: 1 × 3 / 2 = 1.5 gives 2.
    escribirAlto(a, 1, TamanoFuente{3, 2});
    EXPECT_EQ(a.anchoCustom, 2);
}

TEST(Proporcion, SinCandadoSinFuenteOConCeroSoloCambiaElCampo) {
    AjustesImagen a;
    a.altoCustom = 10;
    // No source, letters typed (0), a negative value, a source without height.
    for (auto [ancho, fuente] : {std::pair{1000.0, std::optional<TamanoFuente>{}},
                                 {0.0, foto},
                                 {-5.0, foto},
                                 {500.0, TamanoFuente{0, 3000}}}) {
        escribirAncho(a, ancho, fuente);
        EXPECT_EQ(a.anchoCustom, ancho);
        EXPECT_EQ(a.altoCustom, 10) << ancho;
    }
    a.proporcionBloqueada = false;
    escribirAlto(a, 999, foto);
    EXPECT_EQ(a.anchoCustom, 500);
    EXPECT_EQ(a.altoCustom, 999);
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
