#include "vistas/calculo_comparador.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Livora;

namespace {
const Tam marco{400, 300};
}

TEST(MarcoComparador, SeAjustaALaImagenAntesYSeCentraYElZoomEsAlrededorDelCentro) {
    const Tam t = marcoAjustado({4000, 3000}, {800, 800});
    EXPECT_DOUBLE_EQ(t.ancho, 800);
    EXPECT_DOUBLE_EQ(t.alto, 600);
    const RectDoble r = marcoCentrado({4000, 3000}, {10, 20, 800, 800});
    EXPECT_DOUBLE_EQ(r.x, 10);
    EXPECT_DOUBLE_EQ(r.y, 120);
    const Tam alto = marcoAjustado({1000, 2000}, {800, 800});
    EXPECT_DOUBLE_EQ(alto.ancho, 400);
    EXPECT_DOUBLE_EQ(alto.alto, 800);
    const Tam vacio = marcoAjustado({0, 3000}, {800, 700});
    EXPECT_DOUBLE_EQ(vacio.ancho, 800);
    EXPECT_DOUBLE_EQ(vacio.alto, 700);
    // Zoom is about the frame's centre.
    EXPECT_EQ(rectImagen(marco, 2, {}), (RectDoble{-200, -150, 800, 600}));
    EXPECT_EQ(rectImagen(marco, 1, {}), (RectDoble{0, 0, 400, 300}));
}

TEST(ZoomComparador, PasosDeMasYMenosConSusTextos) {
    EstadoComparador e;
    std::vector<std::string> arriba;
    while (puedeAcercar(e)) {
        acercar(e, marco);
        arriba.push_back(textoZoom(e.escala));
    }
    EXPECT_EQ(arriba,
              (std::vector<std::string>{"150 %", "225 %", "337 %", "506 %", "759 %", "800 %"}));
    EXPECT_EQ(e.escala, 8);
    std::vector<std::string> abajo;
    while (puedeAlejar(e)) {
        alejar(e, marco);
        abajo.push_back(textoZoom(e.escala));
    }
    EXPECT_EQ(abajo,
              (std::vector<std::string>{"533 %", "355 %", "237 %", "158 %", "105 %", "100 %"}));
    EXPECT_EQ(e.escala, 1);
    EXPECT_FALSE(hayZoom(e));
}

TEST(ZoomComparador, VolverAUnoRecentraYLaInterpolacionCambiaPasado200) {
    EstadoComparador e;
    fijarZoom(e, 2.5, marco);
    e.despl = {100, -50};
    fijarZoom(e, 2, marco);
    EXPECT_EQ(e.despl, (Desp{100, -50}));
    fijarZoom(e, 1, marco);
    EXPECT_EQ(e.despl, (Desp{}));
    EXPECT_EQ(e.desplBase, (Desp{}));
    fijarZoom(e, 0.2, marco);
    EXPECT_EQ(e.escala, 1);
    fijarZoom(e, 30, marco);
    EXPECT_EQ(e.escala, 8);
    EXPECT_EQ(e.escalaBase, 8);
    // Zooming out clamps the offset to the new limit.
    fijarZoom(e, 4, marco); // limit 600 × 450
    e.despl = {600, -450};
    fijarZoom(e, 2, marco); // limit 200 × 150
    EXPECT_EQ(e.despl, (Desp{200, -150}));
    EXPECT_TRUE(interpolacionSuave(1));
    EXPECT_TRUE(interpolacionSuave(2));
    EXPECT_FALSE(interpolacionSuave(2.25));
}

TEST(ArrastreComparador, AZoomUnoSiempreMueveElDivisorYSeDetieneEnLosBordes) {
    EstadoComparador e;
    cambioArrastre(e, marco, 390, 390, {});
    EXPECT_EQ(e.arrastrandoDivisor, true);
    EXPECT_DOUBLE_EQ(e.pos, 390.0 / 400);
    cambioArrastre(e, marco, 390, 100, {-290, 0});
    EXPECT_DOUBLE_EQ(e.pos, 0.25);
    cambioArrastre(e, marco, 390, -80, {-470, 0});
    EXPECT_EQ(e.pos, 0);
    cambioArrastre(e, marco, 390, 900, {510, 0});
    EXPECT_EQ(e.pos, 1);
    EXPECT_EQ(e.despl, (Desp{}));
    finArrastre(e);
    EXPECT_FALSE(e.arrastrandoDivisor);
}

TEST(ArrastreComparador, ConZoomDecideLaReglaDeLos25Puntos) {
    EstadoComparador e;
    fijarZoom(e, 2.5, marco); // divider at x = 200
    EXPECT_TRUE(arrastreMueveDivisor(e, marco, 210));
    EXPECT_TRUE(arrastreMueveDivisor(e, marco, 175.5));
    EXPECT_FALSE(arrastreMueveDivisor(e, marco, 225));
    EXPECT_FALSE(arrastreMueveDivisor(e, marco, 240));

    cambioArrastre(e, marco, 210, 250, {40, 0});
    EXPECT_EQ(e.arrastrandoDivisor, true);
    EXPECT_DOUBLE_EQ(e.pos, 250.0 / 400);
    EXPECT_EQ(e.despl, (Desp{}));
    finArrastre(e);

    // Once decided, a drag keeps its mode even when it passes the divider.
    const double divisor = 400 * e.pos;
    cambioArrastre(e, marco, divisor + 40, divisor + 40, {});
    EXPECT_EQ(e.arrastrandoDivisor, false);
    cambioArrastre(e, marco, divisor + 40, divisor, {-40, 20});
    EXPECT_EQ(e.despl, (Desp{-40, 20}));
    EXPECT_DOUBLE_EQ(e.pos, 250.0 / 400);
}

TEST(ArrastreComparador, ElPaneoSeParaEnElBordeYSeAcumulaEntreArrastres) {
    EstadoComparador e;
    fijarZoom(e, 2.5, marco); // limit 300 × 225
    e.pos = 0;
    cambioArrastre(e, marco, 200, 300, {100, 50});
    finArrastre(e);
    EXPECT_EQ(e.desplBase, (Desp{100, 50}));
    cambioArrastre(e, marco, 200, 1200, {1000, 1000});
    EXPECT_EQ(e.despl, (Desp{300, 225}));
    cambioArrastre(e, marco, 200, -1200, {-1000, -1000});
    EXPECT_EQ(e.despl, (Desp{-300, -225}));
    // At that offset the picture's corner sits exactly on the frame's corner.
    const RectDoble r = rectImagen(marco, e.escala, e.despl);
    EXPECT_DOUBLE_EQ(r.x + r.ancho, 400);
    EXPECT_DOUBLE_EQ(r.y + r.alto, 300);
}

TEST(PellizcoComparador, SeDetieneEnLosLimitesYElSiguienteEmpiezaDeAhi) {
    EstadoComparador e;
    cambioPellizco(e, 3, marco);
    EXPECT_EQ(e.escala, 3);
    cambioPellizco(e, 20, marco);
    EXPECT_EQ(e.escala, 8);
    finPellizco(e);
    EXPECT_EQ(e.escalaBase, 8);
    cambioPellizco(e, 0.5, marco);
    EXPECT_EQ(e.escala, 4);
    cambioPellizco(e, 0.01, marco);
    EXPECT_EQ(e.escala, 1);
    EXPECT_EQ(e.despl, (Desp{}));
    finPellizco(e);
    cambioPellizco(e, 2, marco);
    EXPECT_EQ(e.escala, 2);
    // Shrinking clamps the pan.
    fijarZoom(e, 8, marco);
    finPellizco(e);
    e.despl = {1400, 1050};
    cambioPellizco(e, 0.25, marco); // 2×: limit 200 × 150
    EXPECT_EQ(e.despl, (Desp{200, 150}));
}

TEST(GestosComparador, DobleClicYEspacio) {
    EstadoComparador e;
    dobleClic(e, marco);
    EXPECT_EQ(e.escala, 2.5);
    e.despl = {50, 50};
    dobleClic(e, marco);
    EXPECT_EQ(e.escala, 1);
    EXPECT_EQ(e.despl, (Desp{}));

    alternarLado(e);
    EXPECT_EQ(e.pos, 1); // before picture across the frame
    alternarLado(e);
    EXPECT_EQ(e.pos, 0);
    alternarLado(e);
    EXPECT_EQ(e.pos, 1);
    e.pos = 0.6;
    alternarLado(e);
    EXPECT_EQ(e.pos, 0);
}
