#include "../carpeta_prueba.h"
#include "comun.h"
#include "motor/alternativas.h"
#include "motor/cadena.h"
#include "motor/codec.h"
#include "motor/fondo.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace Livora;
using namespace Livora::Pruebas;
using vips::VImage;

namespace {

const Variante* buscar(const std::vector<Variante>& l, const std::string& sufijo) {
    for (const auto& v : l)
        if (v.sufijo == sufijo) return &v;
    return nullptr;
}

CapaTexto capaBlanca(const std::string& texto) {
    CapaTexto c;
    c.texto = texto;
    c.posX = 0.5;
    c.posY = 0.5;
    c.tamano = 0.5;
    c.sombra = false;
    c.color = Color{1, 1, 1, 1};
    return c;
}

} // namespace

TEST(Cadena, SinEdicionesLasSalidasSonIdenticas) {
    EntradaCadena e;
    const Imagen img = imagenPrueba(240, 160);
    e.fuente = ImagenFuente::enMemoria(img);
    EXPECT_EQ(imagenEditada(img, e).get_image(), img.get_image());
    auto con = cadenaImagen(e);
    auto sin = variantesImagen(img, e.ajustes, e.metadatos, false);
    ASSERT_TRUE(con && sin);
    for (const char* sufijo : {"sin-perdida", "alta", "personalizada"}) {
        auto* a = buscar(*con, sufijo);
        auto* b = buscar(*sin, sufijo);
        ASSERT_TRUE(a && b) << sufijo;
        EXPECT_EQ(contenidoDe(a->urlTemp), contenidoDe(b->urlTemp)) << sufijo;
    }
}

TEST(Cadena, FiltrosAntesQueLasCapas) {
    EntradaCadena e;
    const Imagen img = lienzo(200, 100, {0, 0, 0});
    e.filtros.preset = "invertir";
    e.capas = {capaBlanca("█")};
    Imagen r = imagenEditada(img, e);
    // The background was inverted to white; the white text drawn afterwards stays white,
    // so the centre is white too (drawn first, it would have turned black).
    EXPECT_EQ(r.getpoint(2, 2), (std::vector<double>{255, 255, 255}));
    EXPECT_EQ(r.getpoint(100, 50), (std::vector<double>{255, 255, 255}));
    e.capas[0].color = Color{1, 0, 0, 1};
    EXPECT_EQ(imagenEditada(img, e).getpoint(100, 50), (std::vector<double>{255, 0, 0}));
}

TEST(Cadena, SinFondoSinSujetoConservaElFondoYDaUnaSalida) {
    // The model hidden, so the mask falls back without an inference.
    LivoraPrueba::Entorno sinModelo("LIVORA_MODELO", "/nonexistent/livora/modelo.onnx");
    EntradaCadena e;
    e.fuente = ImagenFuente::enMemoria(imagenPrueba(120, 80));
    e.sinFondo = true;
    e.filtros.preset = "mono";
    e.ajustes.objetivoKB = 10;
    e.ajustes.anchoCustom = 60;
    auto v = cadenaImagen(e);
    ASSERT_TRUE(v);
    ASSERT_EQ(v->size(), 1u);
    EXPECT_EQ((*v)[0].nombre, "PNG · Fondo transparente");
    EXPECT_EQ((*v)[0].sufijo, "sin-fondo");
    auto leida = cargarImagen((*v)[0].urlTemp);
    ASSERT_TRUE(leida);
    EXPECT_EQ(leida->imagen.bands(), 3);
    // The filters still apply.
    EXPECT_EQ(
        ((leida->imagen[0] == leida->imagen[1]) & (leida->imagen[1] == leida->imagen[2])).min(),
        255);
}

TEST(Cadena, FuenteVaciaEsUnError) {
    auto r = cadenaImagen(EntradaCadena{});
    ASSERT_FALSE(r);
    EXPECT_FALSE(r.error().mensaje.empty());
}

TEST(Cadena, QuitarFondoAntesQueLasCapas) {
    if (!modeloFondoDisponible())
        GTEST_SKIP() << "Falta el modelo de quitar fondo (scripts/modelo lo instala)";
    auto foto = cargarImagen(datos("mariquita.jpg"));
    ASSERT_TRUE(foto);
    EntradaCadena e;
    e.fuente = ImagenFuente::enMemoria(foto->imagen);
    e.sinFondo = true;
    CapaTexto c = capaBlanca("█");
    c.posY = 0.1;
    c.tamano = 0.1;
    e.capas = {c};
    auto v = cadenaImagen(e);
    ASSERT_TRUE(v);
    ASSERT_EQ(v->size(), 1u);
    auto leida = cargarImagen((*v)[0].urlTemp);
    ASSERT_TRUE(leida);
    ASSERT_EQ(leida->imagen.bands(), 4);
    // The background is gone, yet the text drawn over it is opaque.
    EXPECT_EQ(leida->imagen.getpoint(3, 3)[3], 0);
    EXPECT_EQ(leida->imagen.getpoint(200, 25)[3], 255);
}

TEST(CliEdicion, FiltroDesconocidoSeRechaza) {
    auto s = ejecutarCli("--filtro vintage " + datos("foto_exif.jpg").string());
    EXPECT_NE(s.estado, 0);
    EXPECT_NE(s.texto.find("Filtro desconocido: vintage"), std::string::npos) << s.texto;
    auto b = ejecutarCli("--brillo 0.9 " + datos("foto_exif.jpg").string());
    EXPECT_NE(b.estado, 0);
    EXPECT_NE(b.texto.find("--brillo"), std::string::npos) << b.texto;
}

TEST(CliEdicion, FiltroYTextoLleganALasSalidas) {
    auto s = ejecutarCli(
        "--json --filtro invertir --texto Hola --pos 0.5,0.5 --tamano 0.2 --color '#FF0000FF' "
        "--sin-sombra " +
        datos("foto_exif.jpg").string());
    ASSERT_EQ(s.estado, 0) << s.texto;
    auto j = nlohmann::json::parse(s.texto);
    Ruta png;
    for (auto& v : j["variantes"])
        if (v["sufijo"] == "sin-perdida") png = v["urlTemp"].get<std::string>();
    ASSERT_FALSE(png.empty());
    auto salida = cargarImagen(png);
    auto original = cargarImagen(datos("foto_exif.jpg"));
    ASSERT_TRUE(salida && original);
    // A corner is the exact negative of the decoded original.
    auto a = salida->imagen.getpoint(1, 1);
    auto b = original->imagen.getpoint(1, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(a[i] + b[i], 255);
    // Red text in the middle.
    VImage centro = salida->imagen.extract_area(160, 110, 160, 100);
    EXPECT_EQ(((centro[0] == 255) & (centro[1] == 0) & (centro[2] == 0)).max(), 255);
}

TEST(CliEdicion, SinFondoDaUnaSolaSalida) {
    // Whether or not a subject is found, the result is the one transparent PNG.
    auto s = ejecutarCli("--json --sin-fondo --objetivo 20 --filtro sepia " +
                         datos("foto_exif.jpg").string());
    ASSERT_EQ(s.estado, 0) << s.texto;
    auto j = nlohmann::json::parse(s.texto.substr(s.texto.find('{')));
    ASSERT_EQ(j["variantes"].size(), 1u);
    EXPECT_EQ(j["variantes"][0]["nombre"], "PNG · Fondo transparente");
    EXPECT_EQ(j["seleccionada"], "sin-fondo");
}
