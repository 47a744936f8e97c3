#include "comun.h"
#include "motor/alternativas.h"
#include "motor/codec.h"
#include "motor/metadatos.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>
#include <sstream>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {
Propiedades conExif() {
    Propiedades p;
    p.tiff = DiccionarioTIFF{};
    p.exif = DiccionarioEXIF{};
    return p;
}
std::vector<std::string> titulos(const std::vector<ItemMetadato>& l) {
    std::vector<std::string> t;
    for (const auto& i : l)
        t.push_back(i.titulo);
    return t;
}
} // namespace

TEST(Resumen, FormatosDeExposicion) {
    auto p = conExif();
    p.exif->fNumber = 1.8;
    p.exif->exposureTime = 1.0 / 250;
    p.exif->isoSpeedRatings = std::vector<std::int64_t>{100, 200};
    auto r = resumenMetadatos(p);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].titulo, "Exposición");
    EXPECT_EQ(r[0].icono, "dial.high");
    EXPECT_EQ(r[0].valor, "ƒ/1.8 · 1/250 s · ISO 100");

    p.exif->fNumber = 2.0;
    p.exif->exposureTime = 0.016667;
    p.exif->isoSpeedRatings = std::vector<std::int64_t>{};
    EXPECT_EQ(resumenMetadatos(p)[0].valor, "ƒ/2.0 · 1/60 s");
    p.exif->fNumber = 11;
    p.exif->exposureTime = 1;
    EXPECT_EQ(resumenMetadatos(p)[0].valor, "ƒ/11.0 · 1.0 s");
    p.exif->exposureTime = 0.5;
    EXPECT_EQ(resumenMetadatos(p)[0].valor, "ƒ/11.0 · 1/2 s");
    p.exif->exposureTime = 2;
    EXPECT_EQ(resumenMetadatos(p)[0].valor, "ƒ/11.0 · 2.0 s");
    p.exif->fNumber.reset();
    p.exif->exposureTime = 0;
    EXPECT_TRUE(resumenMetadatos(p).empty());
    p.exif->exposureTime = -1;
    EXPECT_TRUE(resumenMetadatos(p).empty());
    p.exif->exposureTime = 1e-30; // reciprocal beyond 64 bits
    EXPECT_EQ(resumenMetadatos(p).size(), 1u);
}

TEST(Resumen, CamaraGPSYOrden) {
    auto p = conExif();
    p.tiff->make = "Canon";
    auto r = resumenMetadatos(p);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].valor, "Canon");
    p.tiff->make = " \tNIKON";
    p.tiff->model = "D750 ";
    p.tiff->software = "";
    p.exif->lensModel = "";
    p.exif->dateTimeOriginal = "2024:05:01 12:34:56";
    p.gps = DiccionarioGPS{40.41678, "N", 3.70379, "W"};
    r = resumenMetadatos(p);
    EXPECT_EQ(titulos(r), (std::vector<std::string>{"Cámara", "Objetivo", "Fecha de captura",
                                                    "Ubicación GPS", "Software"}));
    EXPECT_EQ(r[0].valor, "NIKON D750");
    EXPECT_EQ(r[3].valor, "40.4168, -3.7038");
    EXPECT_TRUE(r[3].sensible);
    EXPECT_EQ(r[3].icono, "location.fill");
    EXPECT_FALSE(r[0].sensible);
    p.gps->latitudeRef = "S";
    p.gps->longitudeRef = "E";
    EXPECT_EQ(resumenMetadatos(p)[3].valor, "-40.4168, 3.7038");
    p.gps->longitude.reset();
    EXPECT_EQ(resumenMetadatos(p).size(), 4u);
    p.tiff->make.reset();
    p.tiff->model = "";
    EXPECT_EQ(resumenMetadatos(p)[0].titulo, "Objetivo");
    EXPECT_TRUE(resumenMetadatos(std::nullopt).empty());
}

TEST(Resumen, FotoRealConGPS) {
    auto c = cargarImagen(datos("foto_exif.jpg"));
    ASSERT_TRUE(c && c->propiedades);
    auto r = resumenMetadatos(c->propiedades);
    ASSERT_EQ(titulos(r), (std::vector<std::string>{"Cámara", "Objetivo", "Fecha de captura",
                                                    "Exposición", "Ubicación GPS", "Software"}));
    EXPECT_EQ(r[0].valor, "Canon Canon EOS 400D DIGITAL");
    EXPECT_EQ(r[2].valor, "2008:04:20 19:12:06");
    EXPECT_EQ(r[3].valor, "ƒ/3.5 · 1/3 s · ISO 100");
    EXPECT_EQ(r[4].valor, "40.4168, -3.7038");
    EXPECT_TRUE(resumenMetadatos(cargarImagen(datos("transparente.png"))->propiedades).empty());
}

TEST(DecimalCorto, IdaYVuelta) {
    EXPECT_EQ(decimalCorto(1.8), "1.8");
    EXPECT_EQ(decimalCorto(2), "2.0");
    EXPECT_EQ(decimalCorto(0.1 + 0.2), "0.30000000000000004");
}

namespace {
struct Leido {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
};
Leido leer(const Ruta& p) {
    auto img = Exiv2::ImageFactory::open(p.string());
    img->readMetadata();
    return {img->exifData(), img->iptcData(), img->xmpData()};
}
bool tieneGrupo(const Exiv2::ExifData& d, const std::string& g) {
    for (const auto& e : d)
        if (e.groupName() == g) return true;
    return false;
}
} // namespace

TEST(MetadatosEnSalidas, SeQuitanPorDefecto) {
    auto c = cargarImagen(datos("foto_orientada.jpg"));
    ASSERT_TRUE(c);
    auto r = variantesImagen(c->imagen, AjustesImagen{}, c->propiedades, false);
    ASSERT_TRUE(r);
    for (const auto& v : *r) {
        auto l = leer(v.urlTemp);
        EXPECT_TRUE(l.exif.empty()) << v.sufijo;
        EXPECT_TRUE(l.iptc.empty()) << v.sufijo;
        EXPECT_TRUE(l.xmp.empty()) << v.sufijo;
        auto d = vips::VImage::new_from_file(v.urlTemp.c_str());
        if (v.sufijo != "media" && v.sufijo != "baja" && v.sufijo != "personalizada") {
            EXPECT_EQ(d.width(), 480) << v.sufijo; // upright
            EXPECT_EQ(d.height(), 320) << v.sufijo;
        }
    }
}

TEST(MetadatosEnSalidas, SeConservanExactamenteConOrientacion1) {
    auto c = cargarImagen(datos("foto_orientada.jpg"));
    ASSERT_TRUE(c);
    AjustesImagen a;
    a.quitarMetadatos = false;
    auto r = variantesImagen(c->imagen, a, c->propiedades, false);
    ASSERT_TRUE(r);
    auto fuente = leer(datos("foto_orientada.jpg"));
    for (const auto& v : *r) {
        auto l = leer(v.urlTemp);
        SCOPED_TRACE(v.sufijo);
        EXPECT_TRUE(tieneGrupo(l.exif, "GPSInfo"));
        EXPECT_TRUE(tieneGrupo(l.exif, "Photo"));
        EXPECT_FALSE(tieneGrupo(l.exif, "Thumbnail"));
        EXPECT_FALSE(tieneGrupo(l.exif, "Canon"));
        EXPECT_TRUE(l.xmp.empty());
        auto o = l.exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        ASSERT_NE(o, l.exif.end());
        EXPECT_EQ(o->toLong(), 1);
        for (const char* k : {"Exif.Image.Make", "Exif.Image.Model", "Exif.Photo.DateTimeOriginal",
                              "Exif.Photo.FNumber", "Exif.GPSInfo.GPSLatitude",
                              "Exif.GPSInfo.GPSLongitudeRef", "Exif.Photo.LensModel"}) {
            auto a1 = fuente.exif.findKey(Exiv2::ExifKey(k));
            auto b1 = l.exif.findKey(Exiv2::ExifKey(k));
            ASSERT_NE(b1, l.exif.end()) << k;
            EXPECT_EQ(a1->toString(), b1->toString()) << k;
        }
        if (v.ext == "jpg") {
            EXPECT_FALSE(l.iptc.empty());
        }
    }
    // exiftool reads every output's EXIF without a complaint; cwebp copies the PNG's into
    // the WebP, so a malformed block there shows up in both.
    std::string archivos;
    for (const auto& v : *r)
        archivos += " '" + v.urlTemp.string() + "'";
    auto avisos = ejecutar("exiftool -q -T -FileName -Warning" + archivos);
    ASSERT_EQ(avisos.estado, 0) << avisos.texto;
    std::istringstream lineas(avisos.texto);
    int n = 0;
    for (std::string linea; std::getline(lineas, linea); ++n)
        EXPECT_EQ(linea.substr(linea.find('\t')), "\t-") << linea;
    EXPECT_EQ(n, static_cast<int>(r->size()));
}

TEST(MetadatosEnSalidas, SoloGPSLlevaEseGPS) {
    auto c = cargarImagen(datos("solo_gps.png"));
    ASSERT_TRUE(c && c->propiedades);
    EXPECT_FALSE(c->propiedades->exif);
    ASSERT_TRUE(c->propiedades->gps);
    AjustesImagen a;
    a.quitarMetadatos = false;
    auto r = variantesImagen(c->imagen, a, c->propiedades, false);
    ASSERT_TRUE(r);
    auto l = leer(r->at(1).urlTemp);
    auto lat = l.exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"));
    ASSERT_NE(lat, l.exif.end());
    auto fuente = leer(datos("solo_gps.png"));
    EXPECT_EQ(lat->toString(),
              fuente.exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"))->toString());
    EXPECT_FALSE(tieneGrupo(l.exif, "Photo"));
}

TEST(Preservables, SoloLosCuatroBloques) {
    Propiedades p;
    p.pixelWidth = 100;
    p.orientation = 6;
    p.gps = DiccionarioGPS{1.0, "N", 2.0, "E"};
    p.exifCrudo = {1, 2, 3};
    auto r = metadatosPreservables(p);
    EXPECT_FALSE(r.pixelWidth);
    EXPECT_FALSE(r.orientation);
    EXPECT_FALSE(r.exif);
    EXPECT_EQ(r.gps, p.gps);
    EXPECT_EQ(r.exifCrudo, p.exifCrudo);
    EXPECT_EQ(metadatosPreservables(std::nullopt), Propiedades{});
}
