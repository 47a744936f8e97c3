#include "vistas/panel_filtros.h"
#include "vistas/panel_filtros_celdas.h"

#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Livora;

TEST(PanelFiltrosVista, SieteCeldasEnOrdenYLaActivaSigueAlPreset) {
    PanelFiltros p;
    QSignalSpy cambios(&p, &PanelFiltros::filtrosCambiados);
    auto* sepia = p.findChild<CeldaPreset*>("preset-sepia");
    ASSERT_NE(sepia, nullptr);
    EXPECT_TRUE(p.findChild<CeldaPreset*>("preset-ninguno")->activa());
    sepia->click();
    ASSERT_EQ(cambios.count(), 1);
    EXPECT_EQ(cambios.last().at(0).value<FiltroAjustes>().preset, "sepia");
    EXPECT_TRUE(sepia->activa());
    EXPECT_FALSE(p.findChild<CeldaPreset*>("preset-ninguno")->activa());
}

TEST(PanelFiltrosVista, RestablecerSoloMientrasNoEsNeutro) {
    PanelFiltros p;
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    auto* restablecer = p.findChild<QToolButton*>("restablecer");
    EXPECT_EQ(restablecer->toolTip(), "Restablecer filtros");
    EXPECT_FALSE(restablecer->isVisible());

    QSignalSpy cambios(&p, &PanelFiltros::filtrosCambiados);
    auto* contraste = p.findChild<Deslizador*>("contraste");
    contraste->slider()->setValue(1000);
    EXPECT_DOUBLE_EQ(p.filtros().contraste, 1.4);
    EXPECT_TRUE(restablecer->isVisible());
    EXPECT_TRUE(contraste->simbolo()->property("tenido").toBool());
    EXPECT_EQ(contraste->simbolo()->toolTip(), "Contraste");

    // Double-clicking the symbol resets that slider; with nothing else changed the
    // adjustment is neutral again.
    QTest::mouseDClick(contraste->simbolo(), Qt::LeftButton);
    EXPECT_EQ(p.filtros().contraste, 1.0);
    EXPECT_TRUE(p.filtros().esNeutro());
    EXPECT_FALSE(restablecer->isVisible());
    EXPECT_FALSE(contraste->simbolo()->property("tenido").toBool());

    auto* brillo = p.findChild<Deslizador*>("brillo");
    brillo->slider()->setValue(0);
    EXPECT_DOUBLE_EQ(p.filtros().brillo, -0.3);
    ASSERT_TRUE(restablecer->isVisible());
    restablecer->click();
    EXPECT_TRUE(p.filtros().esNeutro());
    EXPECT_TRUE(cambios.last().at(0).value<FiltroAjustes>().esNeutro());
    EXPECT_EQ(cambios.count(), 4);
}

TEST(PanelFiltrosVista, ElPasoMasCercanoAlNeutroEsNeutroExacto) {
    PanelFiltros p;
    auto* contraste = p.findChild<Deslizador*>("contraste");
    auto* s = contraste->slider();
    // 1.0 falls between steps (0.7 + 0.7 × 429 / 1000 = 1.0003): it still counts as neutral.
    s->setValue(300);
    s->setValue(429);
    EXPECT_EQ(p.filtros().contraste, 1.0);
    EXPECT_TRUE(p.filtros().esNeutro());
    s->setValue(431);
    EXPECT_FALSE(p.filtros().esNeutro());
    EXPECT_TRUE(contraste->simbolo()->property("tenido").toBool()); // 1.0017
}

TEST(PanelFiltrosVista, ElTinteEmpiezaAUnaMilesima) {
    EXPECT_FALSE(difiereDeNeutro(1.0009, 1.0));
    EXPECT_TRUE(difiereDeNeutro(1.0011, 1.0));
    EXPECT_TRUE(difiereDeNeutro(-0.002, 0.0));
}

TEST(PanelFiltrosVista, MostrarFiltrosDeOtroArchivoNoEmite) {
    PanelFiltros p;
    QSignalSpy cambios(&p, &PanelFiltros::filtrosCambiados);
    FiltroAjustes f;
    f.preset = "noir";
    f.saturacion = 0;
    p.setFiltros(f);
    EXPECT_EQ(cambios.count(), 0);
    EXPECT_TRUE(p.findChild<CeldaPreset*>("preset-noir")->activa());
    EXPECT_EQ(p.findChild<Deslizador*>("saturacion")->slider()->value(), 0);
    EXPECT_TRUE(p.findChild<QToolButton*>("restablecer")->isVisibleTo(&p));
}
