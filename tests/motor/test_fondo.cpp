#include "../carpeta_prueba.h"
#include "comun.h"
#include "motor/codec.h"
#include "motor/fondo.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

using namespace Livora;
using vips::VImage;

namespace {

// A mask of w × h floats: 1 inside the given discs, 0 elsewhere.
struct Disco {
    double cx, cy, r;
};
Imagen mascara(int w, int h, const std::vector<Disco>& discos, double valor = 1.0) {
    iniciarMotor();
    VImage xy = VImage::xyz(w, h);
    VImage m = VImage::black(w, h);
    for (const auto& d : discos) {
        VImage dx = xy[0] - d.cx, dy = xy[1] - d.cy;
        m = m | ((dx * dx + dy * dy) < d.r * d.r);
    }
    return (m / 255.0 * valor).cast(VIPS_FORMAT_FLOAT).copy_memory();
}

using LivoraPrueba::Entorno;

Imagen foto() {
    auto c = cargarImagen(Pruebas::datos("mariquita.jpg"));
    if (!c) throw std::runtime_error("falta mariquita.jpg");
    return c->imagen;
}

#define REQUIERE_MODELO()                                                                          \
    if (!modeloFondoDisponible())                                                                  \
    GTEST_SKIP() << "Falta el modelo de quitar fondo (scripts/modelo lo instala)"

} // namespace

TEST(SinSujeto, ReglaDeLaMascara) {
    // Nothing above 0.5.
    EXPECT_FALSE(haySujeto(mascara(1024, 1024, {}), 1.0));
    EXPECT_FALSE(haySujeto(mascara(1024, 1024, {{512, 512, 300}}, 0.45), 1.0));
    // A clear subject, and two separate ones.
    EXPECT_TRUE(haySujeto(mascara(1024, 1024, {{512, 512, 200}}), 1.0));
    EXPECT_TRUE(haySujeto(mascara(1024, 1024, {{200, 500, 60}, {800, 500, 60}}), 1.5));
    // A cup covering 0.7 % of the frame is a subject.
    const double rTaza = std::sqrt(0.007 * 1024 * 1024 / M_PI);
    EXPECT_TRUE(haySujeto(mascara(1024, 1024, {{300, 700, rTaza}}), 1.0));
    // Speckles that an opening removes are not: 400 dots of radius 4 over the frame.
    VImage xy = VImage::xyz(1024, 1024);
    VImage dx = (xy[0] % 50) - 25, dy = (xy[1] % 50) - 25;
    VImage motas = ((dx * dx + dy * dy) < 16).ifthenelse(1.0, 0.0).cast(VIPS_FORMAT_FLOAT);
    EXPECT_FALSE(haySujeto(motas, 1.0));
    // A blob just under 0.2 % of the frame is not.
    const double rMinimo = std::sqrt(0.0012 * 1024 * 1024 / M_PI);
    EXPECT_FALSE(haySujeto(mascara(1024, 1024, {{512, 512, rMinimo}}), 1.0));
}

TEST(SinSujeto, LaAperturaSeMideConLasProporcionesDeLaFoto) {
    // A thin vertical stroke in the network's square: on a very wide picture it is wider
    // once the mask is brought back to the picture's shape, and survives the opening.
    VImage x = VImage::xyz(1024, 1024)[0];
    VImage raya = (((x > 500) & (x < 515)) / 255.0).cast(VIPS_FORMAT_FLOAT);
    EXPECT_FALSE(haySujeto(raya, 0.25));
    EXPECT_TRUE(haySujeto(raya, 4.0));
}

TEST(Recorte, AlfaEsLaMascaraYElFondoSeVacia) {
    iniciarMotor();
    Imagen img = (VImage::black(200, 100) + std::vector<double>{200, 100, 50})
                     .cast(VIPS_FORMAT_UCHAR)
                     .copy_memory();
    // Left half 0, a soft middle column, right half 1, at a lower resolution.
    VImage x = VImage::xyz(20, 10)[0];
    VImage m = (x >= 10).ifthenelse(1.0, 0.0).cast(VIPS_FORMAT_FLOAT).copy_memory();
    Imagen r = recortarConMascara(img, m);
    ASSERT_EQ(r.width(), 200);
    ASSERT_EQ(r.height(), 100);
    ASSERT_EQ(r.bands(), 4);
    EXPECT_EQ(r.getpoint(5, 50), (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(r.getpoint(195, 50), (std::vector<double>{200, 100, 50, 255}));
    // Bilinear stretching leaves a soft edge with the original colour.
    bool suave = false;
    for (int px = 80; px < 120; ++px) {
        auto p = r.getpoint(px, 50);
        if (p[3] > 0 && p[3] < 255) {
            suave = true;
            EXPECT_EQ(p[0], 200);
        }
    }
    EXPECT_TRUE(suave);
    // An RGBA picture keeps its own transparency inside the subject.
    Imagen rgba = img.bandjoin_const({128.0}).copy_memory();
    EXPECT_NEAR(recortarConMascara(rgba, m).getpoint(195, 50)[3], 128, 1);
}

TEST(Modelo, RutaDesdeLaVariableDeEntorno) {
    auto dir = std::filesystem::temp_directory_path() / ("livora-modelo-" + Uuid::nuevo().texto());
    std::filesystem::create_directories(dir);
    Ruta falso = dir / "roto.onnx";
    std::ofstream(falso) << "esto no es un modelo";
    {
        Entorno e("LIVORA_MODELO", falso.string());
        EXPECT_EQ(rutaModeloFondo(), falso);
        // A damaged model means "nothing", never a crash; only loading it tells the user why.
        Imagen img = mascara(64, 64, {{32, 32, 20}}).linear(255.0, 0).cast(VIPS_FORMAT_UCHAR);
        EXPECT_FALSE(quitarFondo(img.bandjoin({img, img})));
        EXPECT_TRUE(modeloFondo(false));
        auto r = modeloFondo(true);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().mensaje, "El modelo para quitar el fondo está dañado (" +
                                         falso.string() +
                                         "). Reinstala Livora o, desde el código fuente, "
                                         "ejecuta scripts/modelo.");
    }
    {
        Entorno e("LIVORA_MODELO", (dir / "no-existe.onnx").string());
        EXPECT_FALSE(rutaModeloFondo());
        EXPECT_FALSE(modeloFondoDisponible());
        EXPECT_EQ(modeloFondo(false).error().mensaje,
                  "Falta el modelo para quitar el fondo: LIVORA_MODELO señala " +
                      (dir / "no-existe.onnx").string() + ", que no existe.");
    }
    {
        // Found in a data folder.
        std::filesystem::create_directories(dir / "livora");
        std::filesystem::copy_file(falso, dir / "livora" / nombreModeloFondo);
        Entorno sin("LIVORA_MODELO", "");
        Entorno home("XDG_DATA_HOME", (dir / "nada").string());
        Entorno datos("XDG_DATA_DIRS", dir.string());
        EXPECT_EQ(rutaModeloFondo(), dir / "livora" / nombreModeloFondo);
    }
    std::filesystem::remove_all(dir);
}

TEST(Modelo, UnModeloArregladoSeVuelveACargar) {
    REQUIERE_MODELO();
    const Ruta bueno = *rutaModeloFondo();
    auto dir = std::filesystem::temp_directory_path() / ("livora-modelo-" + Uuid::nuevo().texto());
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "roto.onnx") << "esto no es un modelo";
    const Ruta enlace = dir / "modelo.onnx";
    std::filesystem::create_symlink(dir / "roto.onnx", enlace);
    Entorno e("LIVORA_MODELO", enlace.string());
    EXPECT_FALSE(modeloFondo(true));
    // The same path now leads to the real model: a failure is not remembered for it.
    std::filesystem::remove(enlace);
    std::filesystem::create_symlink(bueno, enlace);
    EXPECT_TRUE(modeloFondo(true));
    std::filesystem::remove_all(dir);
}

TEST(Modelo, SinSujetoEnImagenesLisasYRuido) {
    REQUIERE_MODELO();
    iniciarMotor();
    Imagen gris = (VImage::black(320, 240) + std::vector<double>{128, 128, 128})
                      .cast(VIPS_FORMAT_UCHAR)
                      .copy_memory();
    EXPECT_FALSE(quitarFondo(gris));
    Imagen ruido = VImage::bandjoin({VImage::gaussnoise(320, 240), VImage::gaussnoise(320, 240),
                                     VImage::gaussnoise(320, 240)})
                       .cast(VIPS_FORMAT_UCHAR)
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                       .copy_memory();
    EXPECT_FALSE(quitarFondo(ruido));
}

TEST(Modelo, RecortaElSujetoDeUnaFoto) {
    REQUIERE_MODELO();
    Imagen img = foto();
    auto r = quitarFondo(img);
    ASSERT_TRUE(r) << "no encontró la mariquita";
    EXPECT_EQ(r->width(), img.width());
    EXPECT_EQ(r->height(), img.height());
    ASSERT_EQ(r->bands(), 4);
    VImage alfa = (*r)[3];
    // The ladybird (centre) stays, the leaves around the frame go.
    EXPECT_GT(alfa.getpoint(img.width() / 2, img.height() / 2)[0], 200);
    EXPECT_EQ(alfa.getpoint(2, 2)[0], 0);
    EXPECT_EQ(alfa.getpoint(img.width() - 3, img.height() - 3)[0], 0);
    // Soft edges: some partial transparency, and most of the frame cleared.
    VImage parcial = (alfa > 0) & (alfa < 255);
    EXPECT_GT(parcial.avg(), 0);
    EXPECT_GT((alfa == 0).avg() / 255.0, 0.5);
}
