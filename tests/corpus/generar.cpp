// Writes the corpus of real-world shapes the corpus tests read: large photos in every
// EXIF orientation, files without a resolution, colour-managed, 16-bit, grey, palette and
// animated images, a truncated JPEG, one small file of every other type the open panel
// offers, and a PDF whose crop box is smaller than its media box. Everything comes from
// the small photos of tests/datos.
//   generar_corpus DATOS SALIDA
#define POINTERHOLDER_TRANSITION 4
#include "motor/codec.h"
#include "motor/png.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <lcms2.h>
#include <libheif/heif.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <tiffio.h>
#include <zlib.h>

namespace fs = std::filesystem;
using vips::VImage;

namespace {

fs::path salida;

VImage copiaDe(const void* p, std::size_t n, int w, int h, int bandas, VipsBandFormat f) {
    VipsImage* v = vips_image_new_from_memory_copy(p, n, w, h, bandas, f);
    if (!v) throw vips::VError();
    return VImage(v);
}

// A fresh image of the same pixels: no EXIF, ICC or resolution of the source.
VImage sinMetadatos(const VImage& img) {
    std::size_t n = 0;
    void* p = img.write_to_memory(&n);
    VImage limpia = copiaDe(p, n, img.width(), img.height(), img.bands(), img.format());
    g_free(p);
    return limpia.copy(VImage::option()->set("interpretation", img.interpretation()));
}

Livora::Bytes png(const VImage& img) {
    void* buf = nullptr;
    std::size_t n = 0;
    if (vips_pngsave_buffer(img.get_image(), &buf, &n, "strip", TRUE, nullptr) != 0)
        throw vips::VError();
    Livora::Bytes r(static_cast<std::uint8_t*>(buf), static_cast<std::uint8_t*>(buf) + n);
    g_free(buf);
    return r;
}

// The stored picture whose EXIF orientation `o` shows `erguida` (5 and 7, transpose and
// transverse, are their own inverses).
VImage almacenada(const VImage& erguida, int o) {
    static const VipsAngle giro[] = {VIPS_ANGLE_D0,   VIPS_ANGLE_D0,   VIPS_ANGLE_D0,
                                     VIPS_ANGLE_D180, VIPS_ANGLE_D180, VIPS_ANGLE_D90,
                                     VIPS_ANGLE_D270, VIPS_ANGLE_D270, VIPS_ANGLE_D90};
    VImage s = erguida.rot(giro[o]);
    return o == 2 || o == 4 || o == 5 || o == 7 ? s.flip(VIPS_DIRECTION_HORIZONTAL) : s;
}

VImage conOrientacion(VImage img, int o, double dpi) {
    img = img.copy(VImage::option()->set("xres", dpi / 25.4)->set("yres", dpi / 25.4));
    img.set("orientation", o);
    return img;
}

std::string ruta(const std::string& nombre) {
    return (salida / nombre).string();
}

std::string leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void escribir(const std::string& nombre, const std::string& bytes) {
    std::ofstream(salida / nombre, std::ios::binary) << bytes;
}
void escribir(const std::string& nombre, const Livora::Bytes& bytes) {
    escribir(nombre, std::string(bytes.begin(), bytes.end()));
}

// A little-endian TIFF-structured EXIF block holding only Orientation.
Livora::Bytes exifOrientacion(int o) {
    Livora::Bytes b{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                    0,   1,   0,  0, 0, 0, 0, 0, 0, 0, 0,    0,    0};
    b[18] = static_cast<std::uint8_t>(o);
    return b;
}

void heicGirada(const VImage& erguida, int o, const std::string& nombre) {
    VImage s = almacenada(erguida, o);
    const int w = s.width(), h = s.height();
    heif_context* ctx = heif_context_alloc();
    heif_encoder* enc = nullptr;
    heif_image* img = nullptr;
    heif_image_handle* handle = nullptr;
    heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &enc);
    heif_encoder_set_lossy_quality(enc, 80);
    heif_encoder_set_parameter_string(enc, "preset", "ultrafast");
    heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &img);
    heif_image_add_plane(img, heif_channel_interleaved, w, h, 8);
    int stride = 0;
    std::uint8_t* plano = heif_image_get_plane(img, heif_channel_interleaved, &stride);
    std::size_t n = 0;
    auto* pix = static_cast<std::uint8_t*>(s.write_to_memory(&n));
    for (int y = 0; y < h; ++y)
        std::memcpy(plano + static_cast<std::size_t>(y) * stride, pix + std::size_t(y) * w * 3,
                    std::size_t(w) * 3);
    g_free(pix);
    heif_encoding_options* opciones = heif_encoding_options_alloc();
    opciones->image_orientation = static_cast<heif_orientation>(o); // irot/imir boxes
    heif_context_encode_image(ctx, img, enc, opciones, &handle);
    // Phones also write the orientation into the EXIF; readers must not turn twice.
    const Livora::Bytes exif = exifOrientacion(o);
    heif_context_add_exif_metadata(ctx, handle, exif.data(), static_cast<int>(exif.size()));
    heif_context_write_to_file(ctx, ruta(nombre).c_str());
    heif_encoding_options_free(opciones);
    heif_image_handle_release(handle);
    heif_image_release(img);
    heif_encoder_release(enc);
    heif_context_free(ctx);
}

void tiffSinResolucion(const VImage& img, const std::string& nombre) {
    TIFF* t = TIFFOpen(ruta(nombre).c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, img.width());
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, img.height());
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 32);
    std::size_t n = 0;
    auto* pix = static_cast<std::uint8_t*>(img.write_to_memory(&n));
    for (int y = 0; y < img.height(); ++y)
        TIFFWriteScanline(t, pix + std::size_t(y) * img.width() * 3, y, 0);
    g_free(pix);
    TIFFClose(t);
}

// An ICC profile made with lcms: D65 white, the given primaries and tone curve.
std::string perfil(const std::string& nombre, cmsCIExyYTRIPLE primarios, cmsToneCurve* curva,
                   const char* descripcion) {
    cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
    cmsToneCurve* curvas[3] = {curva, curva, curva};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primarios, curvas);
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", descripcion);
    cmsWriteTag(p, cmsSigProfileDescriptionTag, mlu);
    cmsMLUfree(mlu);
    cmsSaveProfileToFile(p, ruta(nombre).c_str());
    cmsCloseProfile(p);
    cmsFreeToneCurve(curva);
    return ruta(nombre);
}

// sRGB pixels converted into another space, that space's profile embedded.
void jpegEnEspacio(const VImage& srgb, const std::string& perfilSalida, const std::string& nombre) {
    srgb.icc_transform(
            perfilSalida.c_str(),
            VImage::option()->set("input_profile", "srgb")->set("intent", VIPS_INTENT_RELATIVE))
        .jpegsave(ruta(nombre).c_str(), VImage::option()->set("Q", 95));
}

void pdfRecortado(const std::string& nombre) {
    QPDF q;
    q.emptyPDF();
    // Red everywhere, blue inside the crop box: a raster page showing red shows what the
    // author cropped away.
    auto contenido = QPDFObjectHandle::newStream(
        &q, "1 0 0 rg 0 0 595 842 re f\n0 0 1 rg 100 150 300 400 re f\n");
    for (int rotacion : {0, 90}) {
        auto pagina = QPDFObjectHandle::newDictionary();
        pagina.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        pagina.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle({0, 0, 595, 842}));
        pagina.replaceKey("/CropBox", QPDFObjectHandle::newFromRectangle({100, 150, 400, 550}));
        pagina.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
        pagina.replaceKey("/Contents", contenido);
        if (rotacion) pagina.replaceKey("/Rotate", QPDFObjectHandle::newInteger(rotacion));
        q.addPage(q.makeIndirectObject(pagina), false);
    }
    const std::string archivo = ruta(nombre); // the writer keeps the pointer
    QPDFWriter w(q, archivo.c_str());
    w.write();
}

bool iguales(const VImage& a, const VImage& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs().avg() < 4;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Uso: generar_corpus DATOS SALIDA\n");
        return 2;
    }
    const fs::path datos = argv[1];
    salida = argv[2];
    fs::create_directories(salida);
    Livora::iniciarMotor();
    try {
        // A 3000 × 2000 camera-like photo, then each EXIF orientation of it.
        VImage foto = sinMetadatos(VImage::new_from_file((datos / "foto_exif.jpg").c_str()));
        VImage erguida = foto.resize(6.25).copy_memory();
        erguida.pngsave(ruta("erguida.png").c_str(), VImage::option()->set("compression", 1));
        for (int o = 1; o <= 8; ++o) {
            VImage s = conOrientacion(almacenada(erguida, o), o, 72);
            const std::string n = "orientacion-" + std::to_string(o);
            s.jpegsave(ruta(n + ".jpg").c_str(), VImage::option()->set("Q", 90));
            s.tiffsave(ruta(n + ".tif").c_str(),
                       VImage::option()
                           ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_JPEG)
                           ->set("Q", 90)
                           ->set("resunit", VIPS_FOREIGN_TIFF_RESUNIT_INCH));
            // The corpus means what it says: libvips' own turn (random access) agrees.
            for (const char* ext : {".jpg", ".tif"})
                if (!iguales(VImage::new_from_file(ruta(n + ext).c_str()).autorot(), erguida)) {
                    std::fprintf(stderr, "%s%s no muestra la foto derecha\n", n.c_str(), ext);
                    return 1;
                }
        }
        VImage mediana = erguida.resize(0.5).copy_memory(); // 1500 × 1000
        mediana.pngsave(ruta("erguida-mediana.png").c_str());
        conOrientacion(almacenada(mediana, 6), 6, 72)
            .webpsave(ruta("orientacion-6.webp").c_str(), VImage::option()->set("Q", 85));
        {
            auto girada = Livora::quitarTrozosPNG(png(almacenada(mediana, 6)), "eXIf");
            escribir(
                "exif-orientacion-6.png",
                *Livora::insertarTrozosPNG(girada, Livora::trozoPNG("eXIf", exifOrientacion(6))));
        }
        heicGirada(mediana, 6, "irot-6.heic");

        // No resolution stated (plain WebP, as most of the web has them, has no EXIF to hold
        // one): libvips reports its 1 px/mm default for all of these.
        for (bool sinPerdida : {false, true})
            mediana.webpsave(
                ruta(sinPerdida ? "sin-resolucion-sin-perdida.webp" : "sin-resolucion.webp")
                    .c_str(),
                VImage::option()->set("Q", 80)->set("lossless", sinPerdida)->set("strip", true));
        for (auto [nombre, c] :
             {std::pair{"sin-resolucion.heic", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC},
              {"sin-resolucion.avif", VIPS_FOREIGN_HEIF_COMPRESSION_AV1}})
            mediana.heifsave(ruta(nombre).c_str(), VImage::option()
                                                       ->set("Q", 60)
                                                       ->set("effort", 0)
                                                       ->set("strip", true)
                                                       ->set("compression", c));
        mediana.gifsave(ruta("sin-resolucion.gif").c_str());
        tiffSinResolucion(mediana, "sin-resolucion.tif");
        escribir("sin-resolucion.png", Livora::quitarTrozosPNG(png(mediana), "pHYs"));
        // 2400 × 1600 at 300 dpi: a 576 × 384 pt page.
        erguida.resize(0.8)
            .copy(VImage::option()->set("xres", 300 / 25.4)->set("yres", 300 / 25.4))
            .jpegsave(ruta("300dpi.jpg").c_str(), VImage::option()->set("Q", 85));

        // Colour: saturated reds and greens, where wide-gamut spaces differ from sRGB.
        VImage color = sinMetadatos(VImage::new_from_file((datos / "mariquita.jpg").c_str()))
                           .resize(2)
                           .copy_memory();
        color.pngsave(ruta("color-srgb.png").c_str());
        jpegEnEspacio(color,
                      perfil("adobe-rgb.icc", {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}},
                             cmsBuildGamma(nullptr, 563.0 / 256.0), "Adobe RGB (1998) compatible"),
                      "adobe-rgb.jpg");
        const double srgbTRC[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        jpegEnEspacio(color,
                      perfil("display-p3.icc",
                             {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}},
                             cmsBuildParametricToneCurve(nullptr, 4, srgbTRC), "Display P3"),
                      "display-p3.jpg");
        // CMYK through libvips' built-in press profile, which it embeds.
        foto.icc_transform(
                "cmyk",
                VImage::option()->set("input_profile", "srgb")->set("intent", VIPS_INTENT_RELATIVE))
            .jpegsave(ruta("cmyk.jpg").c_str(), VImage::option()->set("Q", 95));
        foto.pngsave(ruta("foto-srgb.png").c_str());
        color.colourspace(VIPS_INTERPRETATION_RGB16).pngsave(ruta("16bit.png").c_str());
        {
            VImage gris = color.colourspace(VIPS_INTERPRETATION_B_W);
            VImage alfa = (VImage::xyz(color.width(), color.height())[0] * (255.0 / color.width()))
                              .cast(VIPS_FORMAT_UCHAR);
            gris.bandjoin(alfa)
                .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W))
                .pngsave(ruta("gris-alfa.png").c_str());
            gris.colourspace(VIPS_INTERPRETATION_sRGB)
                .bandjoin(alfa)
                .pngsave(ruta("gris-alfa-srgb.png").c_str());
        }
        {
            // Four flat colours on a transparent background: a palette of five entries
            // with tRNS, exact after decoding.
            const int w = 600, h = 400;
            VImage x = VImage::xyz(w, h);
            VImage banda = (x[0] / (w / 4)).cast(VIPS_FORMAT_UCHAR);
            std::vector<double> lut{220, 30, 40,  255, 20,  160, 60, 255,
                                    30,  60, 200, 255, 250, 200, 20, 255};
            VImage tabla =
                copiaDe(lut.data(), lut.size() * sizeof(double), 4, 1, 4, VIPS_FORMAT_DOUBLE)
                    .cast(VIPS_FORMAT_UCHAR);
            VImage rgba = banda.maplut(tabla);
            VImage dentro = (x[1] > 50) & (x[1] < h - 50);
            rgba = dentro.ifthenelse(rgba, 0).copy(
                VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
            rgba.pngsave(ruta("paleta-srgb.png").c_str());
            rgba.pngsave(ruta("paleta-trns.png").c_str(),
                         VImage::option()->set("palette", true)->set("dither", 0.0));
        }
        {
            // Three frames; only the first one is the picture.
            VImage marco0 = color.resize(0.5);
            VImage animada =
                VImage::arrayjoin({marco0, marco0.invert(), marco0.flip(VIPS_DIRECTION_VERTICAL)},
                                  VImage::option()->set("across", 1))
                    .copy();
            animada.set("page-height", marco0.height());
            animada.gifsave(ruta("animada.gif").c_str());
            marco0.pngsave(ruta("animada-marco0.png").c_str());
        }
        {
            std::string jpeg = leer(salida / "orientacion-6.jpg");
            escribir("cortada.jpg", jpeg.substr(0, jpeg.size() * 6 / 10));
        }

        // One small file of every other type the open panel offers.
        VImage muestra = color.resize(0.5).copy_memory(); // 400 × 250
        for (const char* formato : {"bmp", "tga", "psd", "pcx", "xpm", "sgi", "ras", "dds"})
            muestra.magicksave(ruta(std::string("muestra.") + formato).c_str(),
                               VImage::option()->set("format", formato));
        muestra.resize(0.5).magicksave(ruta("muestra.ico").c_str(),
                                       VImage::option()->set("format", "ico"));
        muestra.jxlsave(ruta("muestra.jxl").c_str());
        muestra.jp2ksave(ruta("muestra.jp2").c_str());
        muestra.jp2ksave(ruta("muestra.j2k").c_str());
        for (const char* ext : {"ppm", "pgm", "pnm"})
            muestra.ppmsave(ruta(std::string("muestra.") + ext).c_str());
        (muestra.colourspace(VIPS_INTERPRETATION_B_W) > 128)
            .ppmsave(ruta("muestra.pbm").c_str(), VImage::option()->set("bitdepth", 1));
        const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='400' height='250'>"
                                "<rect width='400' height='250' fill='#2a6'/>"
                                "<circle cx='200' cy='125' r='90' fill='#d33'/></svg>";
        escribir("muestra.svg", svg);
        gzFile gz = gzopen(ruta("muestra.svgz").c_str(), "wb");
        gzwrite(gz, svg.data(), static_cast<unsigned>(svg.size()));
        gzclose(gz);

        pdfRecortado("recortada.pdf");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generar_corpus: %s\n", e.what());
        return 1;
    }
    return 0;
}
