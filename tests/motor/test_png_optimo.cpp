#include "comun.h"
#include "motor/alternativas.h"
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/png_optimo.h"

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zopfli/zopfli.h>

using namespace Livora;
using namespace Livora::Pruebas;
using vips::VImage;

namespace {

struct Cabecera {
    int bits = 0, tipo = -1;
    bool trns = false;
};

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Chunk types in file order.
std::vector<std::string> trozos(const Bytes& png) {
    std::vector<std::string> r;
    for (std::size_t i = 8; i + 12 <= png.size(); i += 12 + be32(&png[i]))
        r.emplace_back(reinterpret_cast<const char*>(&png[i + 4]), 4);
    return r;
}

Cabecera cabecera(const Bytes& png) {
    Cabecera c;
    if (png.size() < 33) return c;
    c.bits = png[24];
    c.tipo = png[25];
    for (const auto& t : trozos(png))
        c.trns = c.trns || t == "tRNS";
    return c;
}

// Both pictures as RGBA at their own depth, compared sample by sample.
bool mismosPixeles(VImage a, VImage b) {
    auto rgba = [](VImage i) {
        if (i.bands() < 3) {
            VImage y = i.extract_band(0);
            i = i.bands() == 2 ? VImage::bandjoin({y, y, y, i.extract_band(1)})
                               : VImage::bandjoin({y, y, y});
        }
        const double opaco = i.format() == VIPS_FORMAT_USHORT ? 65535 : 255;
        if (i.bands() == 3) i = i.bandjoin_const({opaco});
        return i;
    };
    a = rgba(a);
    b = rgba(b);
    if (a.width() != b.width() || a.height() != b.height()) return false;
    if (a.format() != b.format()) {
        // 8 against 16 bits: equal when every 16-bit sample is the 8-bit one × 257.
        if (a.format() == VIPS_FORMAT_UCHAR) std::swap(a, b);
        b = b.cast(VIPS_FORMAT_USHORT) * 257;
    }
    return (a.cast(VIPS_FORMAT_INT) == b.cast(VIPS_FORMAT_INT)).min() == 255;
}

VImage srgb(VImage i, VipsBandFormat f = VIPS_FORMAT_UCHAR) {
    return i.cast(f)
        .copy(VImage::option()->set(
            "interpretation",
            i.bands() >= 3
                ? (f == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB)
                : (f == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W)))
        .copy_memory();
}

// A flat graphic: bands of `colores` colours with a slanted edge, like a chart or an icon.
VImage plana(int w, int h, int colores) {
    VImage xy = VImage::xyz(w, h);
    VImage i = ((xy[0] + xy[1] * 0.5) / 37).cast(VIPS_FORMAT_INT) % colores;
    return srgb(VImage::bandjoin({(i * 29) % 256, (i * 53) % 256, (i * 101) % 256}));
}

Bytes leerArchivo(const Ruta& r) {
    std::ifstream in(r, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void anadirTrozo(Bytes& b, const char* tipo, const Bytes& datos) {
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(datos.size() >> s));
    b.insert(b.end(), tipo, tipo + 4);
    b.insert(b.end(), datos.begin(), datos.end());
    std::uint32_t crc = libdeflate_crc32(libdeflate_crc32(0, tipo, 4), datos.data(), datos.size());
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(crc >> s));
}

} // namespace

// Each lossless reduction keeps every pixel: the PNG decodes to exactly the picture.
TEST(PNGOptimo, CadaReduccionConservaLosPixeles) {
    iniciarMotor();
    const int W = 640, H = 480;
    VImage foto = imagenPrueba(W, H);
    VImage gris = srgb(foto.extract_band(2));
    VImage xy = VImage::xyz(W, H);
    VImage bn = srgb((xy[0] / 7 + xy[1] / 11).cast(VIPS_FORMAT_INT) % 2 * 255);
    VImage pocos = plana(W, H, 40);
    VImage alfaPocos = srgb(pocos.bandjoin((pocos.extract_band(0) > 100) / 255 * 165 + 90));
    VImage fotoOpacaRGBA = srgb(foto.bandjoin_const({255}));
    VImage fotoAlfa = imagenPrueba(W, H, 4);
    VImage de16 = srgb(foto.cast(VIPS_FORMAT_USHORT) * 257, VIPS_FORMAT_USHORT);
    VImage real16 = srgb(foto.cast(VIPS_FORMAT_USHORT) * 256 + 7, VIPS_FORMAT_USHORT);
    VImage grisComoRGB = srgb(VImage::bandjoin({gris, gris, gris}));
    // Dithered translucent stripes, like a desktop wallpaper: grey with alpha, 96 pairs.
    VImage rampa = ((xy[0] + xy[1] / 3) / 9).cast(VIPS_FORMAT_INT);
    VImage franjas = srgb(VImage::bandjoin({rampa % 12 * 20, rampa / 12 % 8 * 30 + 17}));

    struct Caso {
        const char* nombre;
        VImage img;
        int tipo, bits;
        bool trns;
    } casos[] = {
        {"RGB de más de 256 colores", foto, 2, 8, false},
        {"RGBA opaca pierde el alfa", fotoOpacaRGBA, 2, 8, false},
        {"RGBA translúcida se queda", fotoAlfa, 6, 8, false},
        {"R = G = B pasa a gris", grisComoRGB, 0, 8, false},
        {"gris de blanco y negro a 1 bit", bn, 0, 1, false},
        {"40 colores con paleta", pocos, 3, 8, false},
        {"paleta con transparencias", alfaPocos, 3, 8, true},
        {"gris con alfa de pocos pares a paleta", franjas, 3, 8, true},
        {"16 bits múltiplos de 257 a 8", de16, 2, 8, false},
        {"16 bits de verdad se quedan", real16, 2, 16, false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        auto png = codificarPNG(c.img, EsfuerzoPNG::Optimo);
        ASSERT_TRUE(png);
        auto cab = cabecera(*png);
        EXPECT_EQ(cab.tipo, c.tipo);
        EXPECT_EQ(cab.bits, c.bits);
        EXPECT_EQ(cab.trns, c.trns);
        VImage leida = VImage::new_from_buffer(png->data(), png->size(), "");
        EXPECT_TRUE(mismosPixeles(leida, c.img));
        // The stored PNG for cwebp keeps the same pixels.
        auto rapido = codificarPNG(c.img, EsfuerzoPNG::Rapido);
        ASSERT_TRUE(rapido);
        EXPECT_TRUE(
            mismosPixeles(VImage::new_from_buffer(rapido->data(), rapido->size(), ""), c.img));
        EXPECT_LT(png->size(), rapido->size());
    }
}

// Through the real row: sources written as PNG files, decoded by the engine, and the
// lossless alternative read back equals the source file's pixels; a source PNG smaller than
// the re-encode comes back with its own image data, without its text, EXIF and time chunks.
TEST(PNGOptimo, FilaSinPerdidaDesdeArchivosPNG) {
    iniciarMotor();
    Ruta dir = carpetaPrueba();
    const int W = 700, H = 500;
    VImage pocos = plana(W, H, 40);
    VImage gris = srgb(imagenPrueba(W, H).extract_band(2));
    VImage de16 = srgb(imagenPrueba(W, H).cast(VIPS_FORMAT_USHORT) * 257, VIPS_FORMAT_USHORT);

    // An input smaller than ours: our own file with its deflate redone by zopfli, plus
    // metadata chunks the lossless row must drop.
    auto nuestro = codificarPNG(pocos, EsfuerzoPNG::Optimo);
    ASSERT_TRUE(nuestro);
    Bytes idat, otros;
    for (std::size_t i = 8; i + 12 <= nuestro->size(); i += 12 + be32(&(*nuestro)[i])) {
        const std::uint32_t n = be32(&(*nuestro)[i]);
        if (std::memcmp(&(*nuestro)[i + 4], "IDAT", 4) == 0)
            idat.insert(idat.end(), nuestro->begin() + i + 8, nuestro->begin() + i + 8 + n);
    }
    Bytes crudo(static_cast<std::size_t>(W) * H * 4 + H);
    std::size_t n = 0;
    auto* d = libdeflate_alloc_decompressor();
    ASSERT_EQ(
        libdeflate_zlib_decompress(d, idat.data(), idat.size(), crudo.data(), crudo.size(), &n),
        LIBDEFLATE_SUCCESS);
    libdeflate_free_decompressor(d);
    ZopfliOptions o;
    ZopfliInitOptions(&o);
    o.numiterations = 5;
    unsigned char* z = nullptr;
    std::size_t zn = 0;
    ZopfliCompress(&o, ZOPFLI_FORMAT_ZLIB, crudo.data(), n, &z, &zn);
    Bytes menor(z, z + zn);
    std::free(z);
    ASSERT_LT(menor.size(), idat.size()) << "zopfli debe ganar aquí para que la prueba valga";
    Bytes esperado(nuestro->begin(), nuestro->begin() + 8);
    Bytes conMetadatos = esperado;
    for (std::size_t i = 8; i + 12 <= nuestro->size(); i += 12 + be32(&(*nuestro)[i])) {
        std::string tipo(reinterpret_cast<const char*>(&(*nuestro)[i + 4]), 4);
        Bytes datos(nuestro->begin() + i + 8, nuestro->begin() + i + 8 + be32(&(*nuestro)[i]));
        if (tipo == "IDAT") datos = menor;
        if (tipo == "IEND") {
            anadirTrozo(conMetadatos, "tEXt", Bytes{'S', 'o', 'f', 't', 0, 'x'});
            anadirTrozo(conMetadatos, "tIME", Bytes{7, 232, 1, 2, 3, 4, 5});
            anadirTrozo(conMetadatos, "prVt", Bytes(100, 1));
        }
        anadirTrozo(esperado, tipo.c_str(), datos);
        anadirTrozo(conMetadatos, tipo.c_str(), datos);
    }
    ASSERT_TRUE(escribirArchivo(dir / "menor.png", conMetadatos));

    struct Caso {
        const char* nombre;
        Ruta archivo;
        VImage fuente;
        bool suyo; // comes back with the input's own image data
    } casos[] = {
        {"paleta, entrada mayor", dir / "pocos.png", pocos, false},
        {"gris", dir / "gris.png", gris, false},
        {"16 bits múltiplos de 257", dir / "de16.png", de16, false},
        {"entrada menor que la nuestra", dir / "menor.png", pocos, true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        if (!std::filesystem::exists(c.archivo))
            c.fuente.pngsave(c.archivo.c_str(), VImage::option()->set("compression", 1));
        auto cargada = cargarImagen(c.archivo);
        ASSERT_TRUE(cargada);
        auto r = variantesImagen(cargada->imagen, AjustesImagen{}, std::nullopt, false, c.archivo);
        ASSERT_TRUE(r) << r.error().mensaje;
        const Variante& v = r->front();
        ASSERT_EQ(v.sufijo, "sin-perdida");
        Bytes salida = leerArchivo(v.urlTemp);
        EXPECT_TRUE(mismosPixeles(VImage::new_from_file(v.urlTemp.c_str()),
                                  VImage::new_from_file(c.archivo.c_str())));
        EXPECT_LE(salida.size(), std::filesystem::file_size(c.archivo));
        if (c.suyo) {
            EXPECT_EQ(salida, esperado);
        }
        // The WebP's own PNG is gone once cwebp has read it.
        EXPECT_FALSE(std::filesystem::exists(v.urlTemp.parent_path() / "webp-origen.png"));
    }

    // Other pixels than the file's (an edit): the file's data is not taken.
    VImage editada = srgb(pocos ^ 1);
    EXPECT_FALSE(pngConservable(dir / "menor.png", editada));
    EXPECT_TRUE(pngConservable(dir / "menor.png", pocos));
    EXPECT_FALSE(pngConservable(datos("foto_exif.jpg"), pocos));
}
