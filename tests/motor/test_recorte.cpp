// The crop's pixel arithmetic and its command-line twin on real-size photos.
#include "comun.h"

#include "motor/codec.h"
#include "motor/recorte.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace Livora;
using namespace Livora::Pruebas;
using vips::VImage;

TEST(RecortePixeles, FraccionesAPixeles) {
    struct Caso {
        RectFraccion r;
        std::int64_t w, h;
        RectPixeles esperado;
    };
    const Caso casos[] = {
        {{0.25, 0.25, 0.5, 0.5}, 4000, 3000, {1000, 750, 2000, 1500}},
        // The smallest integer rectangle that contains the fractions.
        {{0.1001, 0.2, 0.3, 0.3}, 1000, 1000, {100, 200, 301, 300}},
        {{1.0 / 3, 1.0 / 3, 1.0 / 3, 1.0 / 3}, 4000, 3000, {1333, 1000, 1334, 1000}},
        // Rounding noise does not add a pixel: 0.1 + 0.7 is 0.7999999999999999.
        {{0.1, 0.1, 0.7, 0.7}, 4000, 3000, {400, 300, 2800, 2100}},
        // Kept inside the picture.
        {{-0.1, 0.9, 0.5, 0.5}, 100, 100, {0, 90, 40, 10}},
        {{0, 0, 1, 1}, 4000, 3000, {0, 0, 4000, 3000}},
    };
    for (const auto& c : casos)
        EXPECT_EQ(rectanguloPixeles(c.r, c.w, c.h), c.esperado)
            << c.r.x << "," << c.r.y << "," << c.r.ancho << "," << c.r.alto;
}

TEST(RecortePixeles, MenosDeOchoPixelesNoRecorta) {
    struct Caso {
        RectFraccion r;
        bool corta;
    };
    const Caso casos[] = {
        {{0.5, 0.5, 0, 0}, false},            // a click without movement
        {{0.5, 0.5, 7.0 / 4000, 0.1}, false}, // 7 px wide
        {{0.5, 0.5, 8.0 / 4000, 8.0 / 3000}, true},
        {{0.5, 0.5, 0.1, 7.5 / 3000}, true}, // 7.5 px grows to 8 whole pixels
        {{0.2, 0.2, std::nan(""), 0.5}, false},
    };
    for (const auto& c : casos)
        EXPECT_EQ(recorteDe(c.r, 4000, 3000).has_value(), c.corta) << c.r.ancho << "×" << c.r.alto;
}

TEST(RecortePixeles, MayorRectanguloCentradoDeUnaProporcion) {
    struct Caso {
        double proporcion;
        std::int64_t w, h;
        RectPixeles esperado;
    };
    const Caso casos[] = {
        {1.0, 4000, 3000, {500, 0, 3000, 3000}},       {16.0 / 9, 4000, 3000, {0, 375, 4000, 2250}},
        {9.0 / 16, 4000, 3000, {1156, 0, 1688, 3000}}, {4.0 / 5, 3000, 4000, {0, 125, 3000, 3750}},
        {4.0 / 3, 4000, 3000, {0, 0, 4000, 3000}},     {1.5, 4001, 3001, {0, 167, 4001, 2667}},
    };
    for (const auto& c : casos)
        EXPECT_EQ(rectanguloPixeles(recorteProporcion(c.proporcion, c.w, c.h), c.w, c.h),
                  c.esperado)
            << c.proporcion << " en " << c.w << "×" << c.h;
}

namespace {

// A 4000 × 3000 camera-like JPEG made from the small test photo, and the picture it holds.
struct Foto {
    Ruta ruta;
    Imagen pixeles;
};

Foto fotoGrande(const Ruta& carpeta) {
    iniciarMotor();
    Imagen base = cargarImagen(datos("foto_exif.jpg"))->imagen;
    Imagen grande =
        base.resize(4000.0 / base.width(), VImage::option()->set("vscale", 3000.0 / base.height()));
    Foto f{carpeta / "foto.jpg", grande};
    grande.jpegsave(f.ruta.c_str(), VImage::option()->set("Q", 92));
    f.pixeles = cargarImagen(f.ruta)->imagen;
    return f;
}

nlohmann::json ejecutarJson(const std::string& args) {
    auto s = ejecutarCli("--json " + args);
    EXPECT_EQ(s.estado, 0) << s.texto;
    // Notices may come before the one JSON line.
    const auto inicio = s.texto.rfind("\n{", s.texto.size() - 2);
    return nlohmann::json::parse(s.texto.substr(inicio == std::string::npos ? 0 : inicio + 1));
}

// Mean difference between a saved output and the expected part of the picture.
double diferencia(const Ruta& salida, const Imagen& esperado) {
    Imagen o = cargarImagen(salida)->imagen;
    EXPECT_EQ(o.width(), esperado.width());
    EXPECT_EQ(o.height(), esperado.height());
    if (o.width() != esperado.width() || o.height() != esperado.height()) return 255;
    return (o.extract_band(0, VImage::option()->set("n", 3)) - esperado).abs().avg();
}

} // namespace

TEST(RecortePixeles, LaLineaDeOrdenesRecortaAntesDeCodificar) {
    const Ruta dir = carpetaPrueba();
    const Foto foto = fotoGrande(dir);
    const std::string ruta = foto.ruta.string();

    auto centro = ejecutarJson("--recortar 0.25,0.25,0.5,0.5 " + ruta);
    EXPECT_EQ(centro["ancho"], 2000);
    EXPECT_EQ(centro["alto"], 1500);
    const Imagen parteCentral = foto.pixeles.extract_area(1000, 750, 2000, 1500);
    for (const auto& v : centro["variantes"])
        if (v["sufijo"] == "sin-perdida" || v["sufijo"] == "alta") {
            EXPECT_LT(diferencia(v["urlTemp"].get<std::string>(), parteCentral), 4) << v["sufijo"];
        }

    auto cuadrada = ejecutarJson("--proporcion 1:1 --calidad 60 " + ruta);
    EXPECT_EQ(cuadrada["ancho"], 3000);
    EXPECT_EQ(cuadrada["alto"], 3000);
    for (const auto& v : cuadrada["variantes"])
        if (v["sufijo"] == "personalizada") {
            EXPECT_LT(diferencia(v["urlTemp"].get<std::string>(),
                                 foto.pixeles.extract_area(500, 0, 3000, 3000)),
                      5);
        }

    // Too small a cut leaves the picture whole and says so.
    auto s = ejecutarCli("--recortar 0.5,0.5,0.01,0.5 " + datos("foto_exif.jpg").string());
    EXPECT_EQ(s.estado, 0) << s.texto;
    EXPECT_NE(s.texto.find("menos de 8 píxeles"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("480 × 320 px"), std::string::npos) << s.texto;
}

TEST(RecortePixeles, LasFraccionesSonDeLaImagenDerecha) {
    // Stored turned a quarter with Orientation 6: the fractions are of the upright picture.
    const Imagen derecha = cargarImagen(datos("foto_orientada.jpg"))->imagen;
    const int w = derecha.width(), h = derecha.height();
    auto j = ejecutarJson("--recortar 0,0.5,1,0.5 " + datos("foto_orientada.jpg").string());
    EXPECT_EQ(j["ancho"], w);
    EXPECT_EQ(j["alto"], h / 2);
    for (const auto& v : j["variantes"])
        if (v["sufijo"] == "sin-perdida") {
            EXPECT_LT(diferencia(v["urlTemp"].get<std::string>(),
                                 derecha.extract_area(0, h / 2, w, h / 2)),
                      2);
        }
}

TEST(RecortePixeles, ValoresNoValidosSalenConDos) {
    for (const std::string args :
         {"--recortar 0.1,0.1,0.5", "--recortar 0.5,0.5,0.6,0.2", "--recortar a,b,c,d",
          "--recortar 0.1,0.1,0,0.5", "--recortar -0.1,0,0.5,0.5", "--proporcion 16",
          "--proporcion 0:9", "--proporcion 16:nan", "--recortar"}) {
        auto s = ejecutarCli(args + " " + datos("foto_exif.jpg").string());
        EXPECT_EQ(s.estado, 2) << args << "\n" << s.texto;
    }
}
