#include "comun.h"
#include "motor/archivos.h"
#include "motor/codec.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Livora;
using namespace Livora::Pruebas;

TEST(Escalado, TruncaNuncaAmpliaYConservaLaTransparencia) {
    const struct {
        int ancho, alto, bandas, lado, esperadoAncho, esperadoAlto;
    } casos[] = {
        {4000, 3000, 3, 2048, 2048, 1536}, {4000, 3000, 3, 1280, 1280, 960},
        {3000, 2001, 3, 2048, 2048, 1366}, // 2001 × 2048 / 3000 = 1366.016
        {1000, 800, 3, 2048, 1000, 800},   {400, 300, 4, 200, 200, 150},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::to_string(c.ancho) + "×" + std::to_string(c.alto) + " → " +
                     std::to_string(c.lado));
        auto m = escalado(imagenPrueba(c.ancho, c.alto, c.bandas), c.lado);
        EXPECT_EQ(m.width(), c.esperadoAncho);
        EXPECT_EQ(m.height(), c.esperadoAlto);
        ASSERT_EQ(m.bands(), c.bandas);
        if (c.bandas == 4) {
            EXPECT_NEAR(m[3].avg(), 200, 1);
        }
    }
}

using Par = std::pair<std::int64_t, std::int64_t>;

TEST(DimensionesCustom, Reglas) {
    auto ancha = imagenPrueba(3000, 2001);
    auto foto = imagenPrueba(400, 300);
    auto grande = imagenPrueba(4000, 3000);
    AjustesImagen a;
    EXPECT_EQ(dimensionesCustom(foto, a), (Par(400, 300)));
    a.anchoCustom = 1000;
    EXPECT_EQ(dimensionesCustom(ancha, a), (Par(1000, 667)));
    EXPECT_EQ(dimensionesCustom(grande, a), (Par(1000, 750)));
    a.altoCustom = 800;
    a.anchoCustom = 800;
    EXPECT_EQ(dimensionesCustom(grande, a), (Par(800, 800)));
    a.anchoCustom = 0;
    a.altoCustom = 150.9;
    EXPECT_EQ(dimensionesCustom(foto, a), (Par(201, 150)));
    a.altoCustom = -5;
    EXPECT_EQ(dimensionesCustom(foto, a), (Par(400, 300)));
}

TEST(Redimensionar, TamanoExactoYAbsurdosSeIgnoran) {
    auto img = imagenPrueba(400, 300);
    auto r = redimensionar(img, 333, 111);
    EXPECT_EQ(r.width(), 333);
    EXPECT_EQ(r.height(), 111);
    auto absurdo = redimensionar(img, 10'000'000'000LL, 5);
    EXPECT_EQ(absurdo.width(), 400);
    // 100000 × 75000 would be 7.5 gigapixels: the picture is left as it is.
    auto enorme = redimensionar(img, 100000, 75000);
    EXPECT_EQ(enorme.width(), 400);
    EXPECT_EQ(enorme.height(), 300);
}

// Upright pixels at real sizes, every orientation and format: tests/corpus.
TEST(CargarImagen, AplicaLaOrientacionYLeePropiedades) {
    auto c = cargarImagen(datos("foto_orientada.jpg"));
    ASSERT_TRUE(c);
    // Stored 320 × 480 with Orientation 6: upright it is 480 × 320.
    EXPECT_EQ(c->imagen.width(), 480);
    EXPECT_EQ(c->imagen.height(), 320);
    ASSERT_TRUE(c->propiedades);
    EXPECT_EQ(c->propiedades->orientation, 6);
    EXPECT_EQ(c->propiedades->pixelWidth, 320); // as stored
}

TEST(CargarImagen, TransparenciaYSinMetadatos) {
    auto c = cargarImagen(datos("transparente.png"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->imagen.bands(), 4);
    EXPECT_FALSE(c->propiedades);
}

TEST(CargarImagen, ArchivosMalosNoSeAbren) {
    auto dir = carpetaPrueba();
    std::ofstream(dir / "vacio.jpg").close();
    std::ofstream(dir / "texto.png") << "esto no es una imagen";
    // Over 250 megapixels: refused from the header alone, before any decoding.
    cabeceraPNG(dir / "enorme.png", 20000, 20000);
    for (const char* n : {"no-existe.jpg", "vacio.jpg", "texto.png", "enorme.png"})
        EXPECT_FALSE(cargarImagen(dir / n)) << n;
}

TEST(Codificar, FormatosDevuelvenArchivosLegibles) {
    auto img = imagenPrueba(320, 200);
    for (auto f : {Formato::PNG, Formato::JPEG, Formato::HEIC, Formato::AVIF}) {
        if (!hayCodificador(f)) continue;
        auto b = codificar(img, f, 0.6, nullptr);
        ASSERT_TRUE(b) << extension(f);
        auto d = decodificar(*b);
        ASSERT_TRUE(d) << extension(f);
        EXPECT_EQ(d->width(), 320);
        EXPECT_EQ(d->height(), 200);
    }
    // More quality, more bytes: the target search depends on it.
    auto baja = codificar(img, Formato::JPEG, 0.3, nullptr);
    auto alta = codificar(img, Formato::JPEG, 0.9, nullptr);
    EXPECT_LT(baja->size(), alta->size());
}

TEST(Archivos, CarpetaTemporalPrivadaYNueva) {
    auto a = dirTemporal();
    auto b = dirTemporal();
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->filename().string().rfind("Livora-", 0), 0u);
    EXPECT_EQ(a->filename().string().size(), 7u + 36u);
    struct stat st {};
    ASSERT_EQ(::stat(a->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(tamano(*a / "nada"), 0);
}

TEST(Archivos, CopiaFallidaNoDestruyeLoAnterior) {
    auto dir = carpetaPrueba();
    std::ofstream(dir / "anterior.jpg") << "salida anterior";
    auto r = copiarSeguro(dir / "no-existe.jpg", dir / "anterior.jpg");
    EXPECT_FALSE(r);
    EXPECT_EQ(tamano(dir / "anterior.jpg"), 15);
    std::ofstream(dir / "nueva.jpg") << "nueva";
    EXPECT_TRUE(copiarSeguro(dir / "nueva.jpg", dir / "anterior.jpg"));
    EXPECT_EQ(tamano(dir / "anterior.jpg"), 5);
    // Nothing temporary is left behind.
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    EXPECT_EQ(n, 2);
}
