#include "comun.h"
#include "motor/capas.h"
#include "motor/codec.h"

#include <thread>

#include <gtest/gtest.h>

using namespace Livora;
using vips::VImage;

namespace {

Imagen lienzo(int w, int h, double v, int bandas = 3) {
    return Pruebas::lienzo(w, h, std::vector<double>(bandas, v));
}

CapaTexto capa(const std::string& texto, double x, double y, double tamano, Color c, bool sombra) {
    CapaTexto k;
    k.texto = texto;
    k.posX = x;
    k.posY = y;
    k.tamano = tamano;
    k.color = c;
    k.sombra = sombra;
    return k;
}

struct Caja {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1; // inclusive
    bool vacia() const { return x1 < x0; }
    double cx() const { return (x0 + x1 + 1) / 2.0; }
    double cy() const { return (y0 + y1 + 1) / 2.0; }
    int alto() const { return y1 - y0 + 1; }
};

// Bounding box of the pixels that differ from the original.
Caja cambiados(const Imagen& antes, const Imagen& despues) {
    VImage distinto = (antes != despues).bandor();
    std::size_t n = 0;
    auto* d = static_cast<unsigned char*>(distinto.write_to_memory(&n));
    Caja c{distinto.width(), distinto.height(), -1, -1};
    for (int y = 0; y < distinto.height(); ++y)
        for (int x = 0; x < distinto.width(); ++x)
            if (d[static_cast<std::size_t>(y) * distinto.width() + x]) {
                c.x0 = std::min(c.x0, x);
                c.y0 = std::min(c.y0, y);
                c.x1 = std::max(c.x1, x);
                c.y1 = std::max(c.y1, y);
            }
    g_free(d);
    return c;
}

const Color blanco{1, 1, 1, 1};
const Color rojo{1, 0, 0, 1};

} // namespace

TEST(Capas, CentradaEnElAncla) {
    Imagen img = lienzo(600, 400, 0);
    for (std::string texto : {"HH", "Hola mundo, esto es largo", "H\nHHHHHH"}) {
        Imagen r = renderizarCapas(img, {capa(texto, 0.5, 0.5, 0.08, blanco, false)});
        Caja c = cambiados(img, r);
        ASSERT_FALSE(c.vacia()) << texto;
        EXPECT_NEAR(c.cx(), 300, 2) << texto;
        // The laid-out block is centred; capitals sit within a few pixels of it.
        EXPECT_NEAR(c.cy(), 200, 0.06 * 32 + 2) << texto;
    }
    // Off-centre anchors move the block with them.
    Imagen r = renderizarCapas(img, {capa("HH", 0.25, 0.75, 0.08, blanco, false)});
    Caja c = cambiados(img, r);
    EXPECT_NEAR(c.cx(), 150, 2);
    EXPECT_NEAR(c.cy(), 300, 4);
}

TEST(Capas, TamanoRelativoAlAltoDeLaImagen) {
    // Noto Sans Bold capitals are 0.714 em tall.
    for (auto [alto, margen] : {std::pair{1000, 3.0}, {500, 2.0}}) {
        Imagen img = lienzo(800, alto, 0);
        Caja c = cambiados(img, renderizarCapas(img, {capa("H", 0.5, 0.5, 0.08, blanco, false)}));
        EXPECT_NEAR(c.alto(), 0.08 * alto * 0.714, margen) << alto;
    }
}

TEST(Capas, SombraSoloCuandoSePide) {
    Imagen img = lienzo(400, 200, 255);
    // Red over white never lowers the red channel: only a shadow can.
    Imagen sin = renderizarCapas(img, {capa("Sombra", 0.5, 0.5, 0.2, rojo, false)});
    EXPECT_EQ(sin[0].min(), 255);
    EXPECT_LT(sin[1].min(), 10);
    Imagen con = renderizarCapas(img, {capa("Sombra", 0.5, 0.5, 0.2, rojo, true)});
    EXPECT_LT(con[0].min(), 220);
    // The shadow falls below the text: darkened pixels reach further down than the glyphs.
    Caja texto = cambiados(img, sin);
    Caja sombra = cambiados(img, con);
    EXPECT_GT(sombra.y1, texto.y1);
    EXPECT_GT(sombra.y1 - texto.y1, texto.y0 - sombra.y0);
}

TEST(Capas, EmojiEnColor) {
    Imagen img = lienzo(200, 200, 255);
    Imagen r = renderizarCapas(img, {capa("😀", 0.5, 0.5, 0.4, Color{0, 0, 0, 1}, false)});
    // Black text, yet the face is yellow.
    VImage croma = (r[0].cast(VIPS_FORMAT_INT) - r[2].cast(VIPS_FORMAT_INT));
    EXPECT_GT(croma.max(), 120);
}

TEST(Capas, ImagenSinEtiquetaSRGB) {
    // Three bands tagged as grey, as simple vips arithmetic leaves them.
    iniciarMotor();
    Imagen img = (VImage::black(300, 200) + std::vector<double>{90, 120, 200})
                     .cast(VIPS_FORMAT_UCHAR)
                     .copy_memory();
    Imagen r = renderizarCapas(img, {capa("Hola", 0.5, 0.5, 0.2, blanco, true)});
    EXPECT_FALSE(cambiados(img, r).vacia());
    EXPECT_EQ(r.bands(), 3);
}

TEST(Capas, SombraAnchaEnLetrasGrandes) {
    // Wide blurs take the reduced path; the shadow still lies under and below the text.
    Imagen img = lienzo(1200, 800, 255);
    Imagen r = renderizarCapas(img, {capa("H", 0.5, 0.5, 0.5, rojo, true)});
    Caja sombra = cambiados(img, r);
    Caja texto = cambiados(img, renderizarCapas(img, {capa("H", 0.5, 0.5, 0.5, rojo, false)}));
    EXPECT_GT(sombra.y1, texto.y1 + 0.03 * 400);
    EXPECT_LT(r[0].min(), 200);
    EXPECT_EQ(r.width(), 1200);
}

TEST(Capas, LasUltimasVanEncimaYElAlfaDelColorCuenta) {
    Imagen img = lienzo(300, 200, 0);
    Imagen r = renderizarCapas(img, {capa("█", 0.5, 0.5, 0.5, rojo, false),
                                     capa("█", 0.5, 0.5, 0.5, Color{0, 0, 1, 1}, false)});
    EXPECT_EQ(r.getpoint(150, 100), (std::vector<double>{0, 0, 255}));
    r = renderizarCapas(img, {capa("█", 0.5, 0.5, 0.5, Color{1, 1, 1, 0.5}, false)});
    EXPECT_NEAR(r.getpoint(150, 100)[0], 128, 2);
}

TEST(Capas, TransparenciaConservadaAlrededor) {
    Imagen img = lienzo(300, 100, 0, 4);
    Imagen r = renderizarCapas(img, {capa("█", 0.5, 0.3, 0.3, blanco, true)});
    ASSERT_EQ(r.bands(), 4);
    EXPECT_EQ(r.getpoint(0, 0)[3], 0);
    EXPECT_EQ(r.getpoint(299, 99)[3], 0);
    EXPECT_EQ(r.getpoint(150, 30)[3], 255);
    // Just below the glyph the shadow is half-transparent black.
    Caja glifo = cambiados(img, renderizarCapas(img, {capa("█", 0.5, 0.3, 0.3, blanco, false)}));
    auto sombra = r.getpoint(150, glifo.y1 + 1);
    EXPECT_GT(sombra[3], 0);
    EXPECT_LE(sombra[3], 130);
    EXPECT_EQ(sombra[0], 0);
    // An RGB picture stays RGB.
    EXPECT_EQ(renderizarCapas(lienzo(50, 50, 0), {capa("A", 0.5, 0.5, 0.3, blanco, true)}).bands(),
              3);
}

TEST(Capas, AnclasFueraSeRecortan) {
    Imagen img = lienzo(400, 300, 0);
    // Entirely outside: nothing changes.
    Imagen fuera = renderizarCapas(img, {capa("Hola", 3.0, -2.0, 0.1, blanco, true)});
    EXPECT_TRUE(cambiados(img, fuera).vacia());
    // Centred on the top edge: half of it is cut.
    Caja entera =
        cambiados(img, renderizarCapas(img, {capa("HHHH", 0.5, 0.5, 0.2, blanco, false)}));
    Caja arriba =
        cambiados(img, renderizarCapas(img, {capa("HHHH", 0.5, 0.0, 0.2, blanco, false)}));
    EXPECT_EQ(arriba.y0, 0);
    EXPECT_NEAR(arriba.alto(), entera.alto() / 2.0, 4);
    // No layers leave the very same picture; nonsense sizes and empty texts are skipped.
    EXPECT_EQ(renderizarCapas(img, {}).get_image(), img.get_image());
    Imagen nada = renderizarCapas(
        img, {capa("", 0.5, 0.5, 0.1, blanco, true), capa("x", 0.5, 0.5, -1, blanco, true)});
    EXPECT_TRUE(cambiados(img, nada).vacia());
}

TEST(Capas, VariosHilosALaVez) {
    // Regenerations of several images draw at once; each must get its own correct result.
    Imagen img = lienzo(320, 200, 40);
    std::vector<CapaTexto> capas{capa("Hola 😀", 0.5, 0.4, 0.15, blanco, true),
                                 capa("mundo", 0.3, 0.8, 0.1, rojo, false)};
    Imagen esperada = renderizarCapas(img, capas);
    std::vector<int> iguales(4, 0);
    std::vector<std::thread> hilos;
    for (int h = 0; h < 4; ++h)
        hilos.emplace_back([&, h] {
            for (int i = 0; i < 5; ++i) {
                Imagen r = renderizarCapas(img, capas);
                if ((r == esperada).min() == 255) ++iguales[h];
            }
            vips_thread_shutdown();
        });
    for (auto& t : hilos)
        t.join();
    EXPECT_EQ(iguales, std::vector<int>(4, 5));
}

TEST(Capas, LaCapaSueltaEsLaQueSeDibuja) {
    // The editor draws each layer alone and places it itself: it must land exactly where,
    // and look exactly as, the renderer draws it on the picture.
    Imagen img = lienzo(640, 480, 30);
    for (const CapaTexto& c :
         {capa("Hola 😀", 0.5, 0.7, 0.1, blanco, true), capa("🎉", 0.35, 0.35, 0.16, blanco, false),
          capa("Borde", 0.97, 0.1, 0.08, Color{1, 1, 0, 0.6}, true)}) {
        const CapaSuelta s = dibujarCapa(c, 640, 480);
        ASSERT_TRUE(s.pixeles) << c.texto;
        EXPECT_NEAR(s.bloqueX + s.bloqueAncho / 2, c.posX * 640, 0.5) << c.texto;
        EXPECT_NEAR(s.bloqueY + s.bloqueAlto / 2, c.posY * 480, 0.5) << c.texto;
        Imagen rgba = img.bandjoin_const({255.0});
        Imagen puesta = rgba.composite2(s.pixeles->embed(s.x, s.y, 640, 480), VIPS_BLEND_MODE_OVER)
                            .cast(VIPS_FORMAT_UCHAR)
                            .extract_band(0, VImage::option()->set("n", 3));
        Imagen dibujada = renderizarCapas(img, {c});
        EXPECT_LE((puesta - dibujada).abs().max(), 2) << c.texto;
        EXPECT_FALSE(cambiados(img, dibujada).vacia()) << c.texto;
    }
    // Whole even past the edge, where the picture cuts it.
    const CapaSuelta fuera = dibujarCapa(capa("HHHH", 0.5, 0.0, 0.2, blanco, false), 400, 300);
    ASSERT_TRUE(fuera.pixeles);
    EXPECT_LT(fuera.y, 0);
    // An empty layer has a block one space wide to grab, and nothing to draw.
    const CapaSuelta vacia = dibujarCapa(capa("", 0.5, 0.5, 0.1, blanco, true), 400, 300);
    EXPECT_FALSE(vacia.pixeles);
    EXPECT_GT(vacia.bloqueAncho, 0);
    EXPECT_NEAR(vacia.bloqueY + vacia.bloqueAlto / 2, 150, 0.5);
}
