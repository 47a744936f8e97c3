#include "comun.h"
#include "motor/codec.h"
#include "motor/fuente.h"

#include <gtest/gtest.h>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {

double diferencia(const Imagen& a, const Imagen& b) {
    return (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs().avg();
}

// A camera-sized JPEG written at test time from the small photo.
Ruta fotoGrande() {
    static const Ruta ruta = [] {
        auto foto = cargarImagen(datos("foto_exif.jpg"));
        const Ruta r = carpetaPrueba() / "grande.jpg";
        foto->imagen.resize(4000.0 / foto->imagen.width())
            .jpegsave(r.c_str(), vips::VImage::option()->set("Q", 90));
        return r;
    }();
    return ruta;
}

} // namespace

// A record's picture decoded from its recipe is the picture intake decoded, cut as asked;
// cuts accumulate in the original's pixels.
TEST(ImagenFuente, LaRecetaDaLosPixelesDeLaFotoCortada) {
    const Ruta ruta = fotoGrande();
    auto entera = cargarImagen(ruta);
    ASSERT_TRUE(entera);
    const auto& img = entera->imagen;
    const ImagenFuente original = ImagenFuente::deArchivo(ruta, img.width(), img.height());
    const ImagenFuente cortada =
        original.recortada({1000, 500, 2000, 1500}).recortada({100, 200, 640, 480});
    EXPECT_EQ(cortada.ancho, 640);
    EXPECT_EQ(cortada.alto, 480);
    ASSERT_EQ(*cortada.recorte, (RectPixeles{1100, 700, 640, 480}));

    for (std::size_t capacidad : {2u, 0u}) {
        fijarCapacidadFuentes(capacidad);
        auto d = decodificarFuente(original);
        ASSERT_TRUE(d) << capacidad;
        EXPECT_EQ(diferencia(*d, img), 0) << capacidad;
        auto c = decodificarFuente(cortada);
        ASSERT_TRUE(c) << capacidad;
        EXPECT_EQ(diferencia(*c, img.extract_area(1100, 700, 640, 480)), 0) << capacidad;
    }
    fijarCapacidadFuentes(2);

    EXPECT_FALSE(decodificarFuente(original.recortada({3900, 0, 200, 100})));
    EXPECT_FALSE(decodificarFuente(ImagenFuente::deArchivo(ruta.parent_path() / "no.jpg", 1, 1)));
    const ImagenFuente memoria =
        ImagenFuente::enMemoria(imagenPrueba(300, 200)).recortada({10, 20, 30, 40});
    EXPECT_EQ(decodificarFuente(memoria)->width(), 30);
}

// The display picture of a cut shows the cut's area, shrunk to the box, on rotated files too.
TEST(ImagenFuente, LaPreviaMuestraElCorteAEscala) {
    struct Caso {
        Ruta ruta;
        RectPixeles corte;
    };
    const std::vector<Caso> casos = {{fotoGrande(), {2500, 300, 1200, 900}},
                                     {datos("foto_orientada.jpg"), {40, 200, 200, 100}}};
    for (const auto& c : casos) {
        auto entera = cargarImagen(c.ruta);
        ASSERT_TRUE(entera);
        const ImagenFuente f =
            ImagenFuente::deArchivo(c.ruta, entera->imagen.width(), entera->imagen.height())
                .recortada(c.corte);
        fijarCapacidadFuentes(0);
        auto previa = previaFuente(f, 300, 300);
        fijarCapacidadFuentes(2);
        ASSERT_TRUE(previa) << c.ruta;
        EXPECT_LE(previa->width(), 300);
        EXPECT_LE(previa->height(), 300);
        EXPECT_NEAR(double(previa->width()) / previa->height(),
                    double(c.corte.ancho) / c.corte.alto, 0.05);
        auto referencia =
            entera->imagen
                .extract_area(int(c.corte.x), int(c.corte.y), int(c.corte.ancho), int(c.corte.alto))
                .resize(double(previa->width()) / c.corte.ancho);
        const int w = std::min(previa->width(), referencia.width());
        const int h = std::min(previa->height(), referencia.height());
        EXPECT_LT(diferencia(previa->extract_area(0, 0, w, h), referencia.extract_area(0, 0, w, h)),
                  12)
            << c.ruta;
    }
}
