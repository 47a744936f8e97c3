#include "vistas/controles_personalizada.h"
#include "vistas/fila_objetivo.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Livora;

namespace {

struct Controles : ::testing::Test {
    ControlesPersonalizada c;
    QLineEdit* ancho = nullptr;
    QLineEdit* alto = nullptr;
    void SetUp() override {
        c.setFuente(TamanoFuente{4000, 3000});
        c.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
        ancho = c.findChild<QLineEdit*>("ancho");
        alto = c.findChild<QLineEdit*>("alto");
    }
    QToolButton* boton(const char* n) { return c.findChild<QToolButton*>(n); }
    QAction* accion(const QString& texto) {
        for (QAction* a : boton("presets")->menu()->actions())
            if (a->text() == texto) return a;
        return nullptr;
    }
};

} // namespace

TEST_F(Controles, ElCandadoArrastraElOtroCampoYLasLetrasVuelvenAlPlaceholder) {
    EXPECT_EQ(ancho->placeholderText(), "4000");
    EXPECT_EQ(alto->placeholderText(), "3000");
    QSignalSpy regenerar(&c, &ControlesPersonalizada::regeneracionPedida);
    ancho->setFocus();
    QTest::keyClicks(ancho, "1000");
    EXPECT_EQ(c.ajustes().anchoCustom, 1000);
    EXPECT_EQ(c.ajustes().altoCustom, 750);
    EXPECT_EQ(alto->text(), "750");
    EXPECT_EQ(regenerar.count(), 4); // one per keystroke; the window debounces

    ancho->selectAll();
    QTest::keyClicks(ancho, "abc");
    EXPECT_EQ(c.ajustes().anchoCustom, 0);
    alto->setFocus(); // editing ends
    EXPECT_EQ(ancho->text(), "");
    EXPECT_TRUE(boton("original")->isVisibleTo(&c)); // the height is still set
}

TEST_F(Controles, UnPresetIgnoraElCandadoYOriginalLoDeshace) {
    EXPECT_FALSE(boton("original")->isVisibleTo(&c));
    QSignalSpy regenerar(&c, &ControlesPersonalizada::regeneracionPedida);
    QSignalSpy cambios(&c, &ControlesPersonalizada::ajustesCambiados);
    QAction* surface = accion("Surface Pro 8  1440 × 960");
    ASSERT_NE(surface, nullptr);
    surface->trigger();
    EXPECT_EQ(c.ajustes().anchoCustom, 1440);
    EXPECT_EQ(c.ajustes().altoCustom, 960);
    EXPECT_EQ(regenerar.count(), 1);
    EXPECT_EQ(cambios.count(), 1);
    EXPECT_EQ(ancho->text(), "1440");
    EXPECT_EQ(alto->text(), "960");
    ASSERT_TRUE(boton("original")->isVisibleTo(&c));
    boton("original")->click();
    EXPECT_EQ(c.ajustes().anchoCustom, 0);
    EXPECT_EQ(c.ajustes().altoCustom, 0);
    EXPECT_FALSE(boton("original")->isVisibleTo(&c));
    EXPECT_EQ(regenerar.count(), 2);
}

TEST_F(Controles, ElMenuTieneTresGruposY22EntradasConElAmpersandLiteral) {
    QMenu* menu = boton("presets")->menu();
    QStringList secciones, entradas;
    for (QAction* a : menu->actions())
        (a->isSeparator() ? secciones : entradas) << a->text();
    EXPECT_EQ(secciones, (QStringList{"Móvil", "Tablet", "Escritorio"}));
    ASSERT_EQ(entradas.size(), 22);
    EXPECT_EQ(entradas.front(), "iPhone 17  402 × 874");
    // "&&" in an action's text is drawn as a single "&".
    EXPECT_EQ(entradas[1], "iPhone 16 && 17 Pro  402 × 874");
    EXPECT_EQ(entradas[14], "iPad Pro 11\"  834 × 1194");
    EXPECT_EQ(entradas.back(), "Wireframes  1440 × 1024");
    EXPECT_EQ(boton("presets")->text(), "Predefinida");
    EXPECT_EQ(boton("presets")->toolTip(), "Elegir resolución predefinida");
}

TEST_F(Controles, CandadoYCalidad) {
    QSignalSpy regenerar(&c, &ControlesPersonalizada::regeneracionPedida);
    EXPECT_EQ(boton("candado")->toolTip(), "Mantener proporción");
    boton("candado")->click();
    EXPECT_FALSE(c.ajustes().proporcionBloqueada);
    EXPECT_EQ(regenerar.count(), 0); // the lock alone changes no output
    ancho->setFocus();
    QTest::keyClicks(ancho, "1000");
    EXPECT_EQ(c.ajustes().altoCustom, 0);

    auto* calidad = c.findChild<QSlider*>("calidad");
    auto* texto = c.findChild<QLabel*>("textoCalidad");
    EXPECT_EQ(texto->text(), "70 %");
    calidad->setValue(17);
    EXPECT_EQ(c.ajustes().calidadCustom, 85);
    EXPECT_EQ(texto->text(), "85 %");
    calidad->setValue(0); // below the range
    EXPECT_EQ(c.ajustes().calidadCustom, 10);

    // Settings handed back by the window emit nothing.
    const int antes = regenerar.count();
    AjustesImagen a;
    a.calidadCustom = 40;
    a.anchoCustom = 300;
    c.setAjustes(a);
    EXPECT_EQ(regenerar.count(), antes);
    EXPECT_EQ(texto->text(), "40 %");
}

TEST_F(Controles, EscribirSinCambiarElValorNoRegenera) {
    QSignalSpy regenerar(&c, &ControlesPersonalizada::regeneracionPedida);
    ancho->setFocus();
    QTest::keyClicks(ancho, "abc");
    EXPECT_EQ(regenerar.count(), 0);
    ancho->clear();
    QTest::keyClicks(ancho, "12");
    EXPECT_EQ(regenerar.count(), 2);
    QTest::keyClicks(ancho, ".");
    EXPECT_EQ(ancho->text(), "12.");
    EXPECT_EQ(regenerar.count(), 2);
}

TEST(ControlesSinFuente, PlaceholdersDeTextoYSoloElCampoEscrito) {
    ControlesPersonalizada c;
    c.setFuente(std::nullopt);
    auto* ancho = c.findChild<QLineEdit*>("ancho");
    EXPECT_EQ(ancho->placeholderText(), "Ancho");
    EXPECT_EQ(c.findChild<QLineEdit*>("alto")->placeholderText(), "Alto");
    QTest::keyClicks(ancho, "800");
    EXPECT_EQ(c.ajustes().anchoCustom, 800);
    EXPECT_EQ(c.ajustes().altoCustom, 0);
}

TEST(FilaObjetivoVista, AjustarSoloConEnterosYEnterEsElBoton) {
    FilaObjetivo f;
    auto* campo = f.findChild<QLineEdit*>("objetivo");
    auto* ajustar = f.findChild<QPushButton*>("ajustar");
    EXPECT_EQ(campo->placeholderText(), "500");
    EXPECT_FALSE(ajustar->isEnabled());
    QSignalSpy pedido(&f, &FilaObjetivo::ajustar);
    QSignalSpy texto(&f, &FilaObjetivo::textoCambiado);
    QTest::keyClicks(campo, "12k");
    EXPECT_FALSE(ajustar->isEnabled());
    QTest::keyClick(campo, Qt::Key_Return);
    EXPECT_EQ(pedido.count(), 0);
    campo->clear();
    QTest::keyClicks(campo, " 300 ");
    EXPECT_TRUE(ajustar->isEnabled());
    EXPECT_EQ(texto.last().at(0).toString(), " 300 ");
    EXPECT_EQ(pedido.count(), 0); // typing alone never regenerates
    ajustar->click();
    ASSERT_EQ(pedido.count(), 1);
    EXPECT_EQ(pedido.last().at(0).toLongLong(), 300);
    QTest::keyClick(campo, Qt::Key_Return);
    EXPECT_EQ(pedido.count(), 2);
    f.setTexto("1.5");
    EXPECT_FALSE(ajustar->isEnabled());
    f.setTexto("-5");
    EXPECT_TRUE(ajustar->isEnabled());
}
