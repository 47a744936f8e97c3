// The editors' arithmetic: the crop's drags and ratio chips, the layers' placement.
#include "editores/calculo_capas.h"
#include "editores/calculo_recorte.h"

#include <gtest/gtest.h>

using namespace Livora;

namespace {

const Tam marco{400, 300};
const RectDoble limites{0, 0, 400, 300};
const double r169 = 16.0 / 9.0;

::testing::AssertionResult igual(const RectDoble& a, const RectDoble& b) {
    const double e = 1e-9;
    if (std::abs(a.x - b.x) < e && std::abs(a.y - b.y) < e && std::abs(a.ancho - b.ancho) < e &&
        std::abs(a.alto - b.alto) < e)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << a.x << ", " << a.y << ", " << a.ancho << ", " << a.alto << ") ≠ (" << b.x
           << ", " << b.y << ", " << b.ancho << ", " << b.alto << ")";
}

// A whole drag: the first change at the start location, then each point, then the end.
void arrastrar(EstadoRecorte& e, Punto desde, std::initializer_list<Punto> puntos) {
    cambioArrastreRecorte(e, marco, desde, desde);
    for (Punto p : puntos)
        cambioArrastreRecorte(e, marco, desde, p);
    finArrastreRecorte(e);
}

} // namespace

TEST(Recortador, RectanguloDesdeUnAncla) {
    struct Caso {
        const char* que;
        Punto a, p;
        std::optional<double> ratio;
        RectDoble esperado;
    };
    const Caso casos[] = {
        {"libre hacia abajo a la derecha", {10, 20}, {110, 70}, {}, {10, 20, 100, 50}},
        {"libre hacia arriba a la izquierda", {110, 70}, {10, 20}, {}, {10, 20, 100, 50}},
        {"16:9 recto hacia abajo no tiene alto", {0, 0}, {0, 200}, r169, {0, 0, 0, 0}},
        {"16:9 a la derecha", {0, 0}, {160, 5}, r169, {0, 0, 160, 90}},
        {"16:9 topa con el borde de abajo", {0, 100}, {400, 100}, r169, {0, 100, r169 * 200, 200}},
        {"1:1 hacia arriba cerca del borde", {200, 30}, {300, 0}, 1.0, {200, 0, 30, 30}},
        {"1:1 hacia arriba a la izquierda", {200, 150}, {100, 149}, 1.0, {100, 50, 100, 100}},
        {"solo cuenta la distancia horizontal", {50, 50}, {150, 299}, 2.0, {50, 50, 100, 50}},
    };
    for (const auto& c : casos)
        EXPECT_TRUE(igual(rectanguloDesde(c.a, c.p, limites, c.ratio), c.esperado)) << c.que;
}

TEST(Recortador, ArrastresCreanRedimensionanYMueven) {
    using T = ModoSel::Tipo;
    const RectDoble sel{100, 100, 100, 80};
    const struct {
        const char* que;
        std::optional<RectDoble> antes;
        Punto desde;
        std::vector<Punto> puntos;
        RectDoble despues;
        T modo;
    } casos[] = {
        {"un clic sin mover: selección vacía", {}, {50, 60}, {}, {50, 60, 0, 0}, T::Crear},
        {"puntero fuera del marco", {}, {300, 200}, {{900, -40}}, {300, 0, 100, 200}, T::Crear},
        // A corner within 16 points resizes from the opposite one.
        {"esquina 3", sel, {210, 190}, {{250, 230}}, {100, 100, 150, 130}, T::Esquina},
        {"esquina 0", sel, {90, 95}, {{60, 40}}, {60, 40, 140, 140}, T::Esquina},
        // Never 20 points or less: the last larger one stays.
        {"mínimo", sel, {200, 180}, {{130, 130}, {115, 150}}, {100, 100, 30, 30}, T::Esquina},
        {"dentro mueve", sel, {150, 150}, {{170, 160}}, {120, 110, 100, 80}, T::Mover},
        {"tope derecho", sel, {150, 150}, {{600, 150}}, {300, 100, 100, 80}, T::Mover},
        {"tope arriba a la izquierda", sel, {150, 150}, {{-500, -500}}, {0, 0, 100, 80}, T::Mover},
        {"fuera y lejos de las esquinas", sel, {20, 20}, {{60, 50}}, {20, 20, 40, 30}, T::Crear},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.que);
        EstadoRecorte e;
        e.sel = c.antes;
        cambioArrastreRecorte(e, marco, c.desde, c.desde);
        ASSERT_TRUE(e.modo);
        EXPECT_EQ(e.modo->tipo, c.modo);
        EXPECT_TRUE(igual(e.selInicial, c.antes.value_or(RectDoble{})));
        for (Punto p : c.puntos)
            cambioArrastreRecorte(e, marco, c.desde, p);
        finArrastreRecorte(e);
        EXPECT_FALSE(e.modo);
        ASSERT_TRUE(e.sel);
        EXPECT_TRUE(igual(*e.sel, c.despues));
    }
}

TEST(Recortador, LasEsquinasSePruebanEnOrden) {
    // A 10-point selection: every corner is within reach; the first in order wins.
    EstadoRecorte e;
    e.sel = RectDoble{100, 100, 10, 10};
    cambioArrastreRecorte(e, marco, {106, 106}, {106, 106});
    ASSERT_TRUE(e.modo);
    EXPECT_EQ(*e.modo, (ModoSel{ModoSel::Tipo::Esquina, {}, 0}));
    EXPECT_EQ(esquina(3, *e.sel), (Punto{110, 110}));
}

TEST(Recortador, ChipsDeProporcion) {
    std::vector<std::string> etiquetas;
    for (const auto& o : opcionesProporcion())
        etiquetas.push_back(o.etiqueta);
    EXPECT_EQ(etiquetas, (std::vector<std::string>{"Libre", "1:1", "4:5", "3:2", "16:9", "9:16"}));

    struct Caso {
        const char* que;
        RectDoble sel;
        std::optional<double> ratio;
        RectDoble esperado;
    };
    const Caso casos[] = {
        {"conserva origen y ancho", {10, 10, 160, 40}, r169, {10, 10, 160, 90}},
        {"4:5 ancha cerca de abajo se estrecha", {50, 200, 300, 50}, 0.8, {50, 200, 80, 100}},
        {"Libre no toca la selección", {10, 10, 160, 40}, std::nullopt, {10, 10, 160, 40}},
    };
    for (const auto& c : casos) {
        EstadoRecorte e;
        e.ratio = 1.0;
        e.sel = c.sel;
        elegirProporcion(e, c.ratio, marco);
        EXPECT_EQ(e.ratio, c.ratio) << c.que;
        EXPECT_TRUE(igual(*e.sel, c.esperado)) << c.que;
    }
    EstadoRecorte sin;
    elegirProporcion(sin, 1.0, marco);
    EXPECT_FALSE(sin.sel);
    EXPECT_EQ(sin.ratio, 1.0);
}

TEST(Recortador, AceptarEntregaFracciones) {
    EstadoRecorte e;
    EXPECT_FALSE(seleccionAceptada(e, marco));
    arrastrar(e, {100, 75}, {{300, 225}});
    const auto f = seleccionAceptada(e, marco);
    ASSERT_TRUE(f);
    EXPECT_EQ(*f, (RectFraccion{0.25, 0.25, 0.5, 0.5}));
    EXPECT_FALSE(seleccionAceptada(e, {0, 0}));
}

TEST(EditorCapas, TamanoMostradoConSuminimo) {
    struct Caso {
        double tamano, alto, puntos;
    };
    const Caso casos[] = {{0.03, 200, 8}, {0.08, 600, 48}, {0.25, 400, 100}, {0.03, 300, 9}};
    for (const auto& c : casos) {
        EXPECT_DOUBLE_EQ(tamanoMostrado(c.tamano, c.alto), c.puntos) << c.tamano << "@" << c.alto;
        EXPECT_DOUBLE_EQ(tamanoEfectivo(c.tamano, c.alto) * c.alto, c.puntos);
    }
}

TEST(EditorCapas, ArrastrarSigueAlPunteroSinSalirse) {
    struct Caso {
        Punto puntero;
        double x, y;
    };
    const Caso casos[] = {{{200, 150}, 0.5, 0.5},
                          {{900, 150}, 1.0, 0.5},
                          {{-5, -5}, 0.0, 0.0},
                          {{100, 299}, 0.25, 299.0 / 300}};
    for (const auto& c : casos) {
        CapaTexto capa;
        moverCapa(capa, c.puntero, marco);
        EXPECT_DOUBLE_EQ(capa.posX, c.x);
        EXPECT_DOUBLE_EQ(capa.posY, c.y);
    }
    EXPECT_FALSE(superaUmbral({10, 10}, {11, 11}));
    EXPECT_TRUE(superaUmbral({10, 10}, {12, 10}));
}

TEST(EditorCapas, CajasYLaDeEncimaGana) {
    const RectDoble c = cajaCapa({200, 100}, {60, 20});
    EXPECT_TRUE(igual(c, {166, 86, 68, 28}));
    const std::vector<RectDoble> cajas{{0, 0, 100, 100}, {50, 50, 100, 100}};
    EXPECT_EQ(capaEn(cajas, {75, 75}), 1u);
    EXPECT_EQ(capaEn(cajas, {10, 10}), 0u);
    EXPECT_FALSE(capaEn(cajas, {300, 10}));
}

TEST(EditorCapas, CiclosDeTextosYStickers) {
    const double alturas[] = {0.40, 0.52, 0.64, 0.76, 0.40};
    for (std::size_t n = 0; n < 5; ++n) {
        const CapaTexto c = capaNueva(n);
        EXPECT_NEAR(c.posY, alturas[n], 1e-12);
        EXPECT_EQ(c.posX, 0.5);
        EXPECT_EQ(c.texto, "Tu texto");
        EXPECT_TRUE(c.sombra);
        EXPECT_EQ(c.tamano, 0.08);
    }
    const Punto lugares[] = {{0.35, 0.35}, {0.50, 0.45}, {0.65, 0.55}, {0.35, 0.65}};
    for (std::size_t n = 0; n < 4; ++n) {
        const CapaTexto s = capaSticker("🔥", n);
        EXPECT_NEAR(s.posX, lugares[n].x, 1e-12);
        EXPECT_NEAR(s.posY, lugares[n].y, 1e-12);
        EXPECT_EQ(s.tamano, 0.16);
        EXPECT_FALSE(s.sombra);
    }
    EXPECT_EQ(emojisRapidos().size(), 12u);
    EXPECT_EQ(emojisRapidos()[4], "\u2764\uFE0F");
}
