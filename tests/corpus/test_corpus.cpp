// The engine on the generated corpus of real-world shapes: one table per rule.
#define POINTERHOLDER_TRANSITION 4
#include "motor/codec.h"
#include "motor/fuente.h"
#include "motor/pdf.h"
#include "motor/tipos.h"

#include <fstream>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

using namespace Livora;
using vips::VImage;

namespace {

Ruta corpus(const std::string& nombre) {
    return Ruta(LIVORA_CORPUS) / nombre;
}

VImage referencia(const std::string& nombre) {
    return VImage::new_from_file(corpus(nombre).c_str());
}

// Transparent pixels have no colour to compare: both are seen over white.
VImage rgb(const VImage& img) {
    return img.has_alpha() ? img.flatten(VImage::option()->set("background", 255.0)) : img;
}

double diferenciaMedia(const VImage& a, const VImage& b) {
    return (rgb(a).cast(VIPS_FORMAT_FLOAT) - rgb(b).cast(VIPS_FORMAT_FLOAT)).abs().avg();
}

// Mean CIEDE2000 difference as seen on screen.
double deltaE(const VImage& a, const VImage& b) {
    return rgb(a)
        .colourspace(VIPS_INTERPRETATION_LAB)
        .dE00(rgb(b).colourspace(VIPS_INTERPRETATION_LAB))
        .avg();
}

struct Apertura {
    const char* archivo;
    int ancho, alto;
    int bandas;             // 0: any
    const char* referencia; // upright picture it must match, or none
    double tolerancia;      // mean absolute difference per sample
};

} // namespace

// Every shape opens at its upright size; turned files match the unturned source.
TEST(Corpus, CadaArchivoSeAbreDerecho) {
    std::vector<Apertura> casos;
    static const std::vector<std::string> grandes = [] {
        std::vector<std::string> r;
        for (int o = 1; o <= 8; ++o)
            for (const char* ext : {".jpg", ".tif"})
                r.push_back("orientacion-" + std::to_string(o) + ext);
        return r;
    }();
    for (const auto& n : grandes)
        casos.push_back({n.c_str(), 3000, 2000, 3, "erguida.png", 4});
    const std::vector<Apertura> resto = {
        {"orientacion-6.webp", 1500, 1000, 3, "erguida-mediana.png", 4},
        {"exif-orientacion-6.png", 1500, 1000, 3, "erguida-mediana.png", 0.5},
        {"irot-6.heic", 1500, 1000, 3, "erguida-mediana.png", 4},
        {"sin-resolucion.webp", 1500, 1000, 3, "erguida-mediana.png", 4},
        {"sin-resolucion-sin-perdida.webp", 1500, 1000, 3, "erguida-mediana.png", 0.5},
        {"sin-resolucion.heic", 1500, 1000, 3, "erguida-mediana.png", 4},
        {"sin-resolucion.avif", 1500, 1000, 3, "erguida-mediana.png", 4},
        {"sin-resolucion.gif", 1500, 1000, 0, "erguida-mediana.png", 8},
        {"sin-resolucion.tif", 1500, 1000, 3, "erguida-mediana.png", 0.5},
        {"sin-resolucion.png", 1500, 1000, 3, "erguida-mediana.png", 0.5},
        {"300dpi.jpg", 2400, 1600, 3, nullptr, 0},
        {"cmyk.jpg", 480, 320, 3, nullptr, 0},
        {"adobe-rgb.jpg", 800, 500, 3, nullptr, 0},
        {"display-p3.jpg", 800, 500, 3, nullptr, 0},
        {"16bit.png", 800, 500, 3, nullptr, 0},
        {"gris-alfa.png", 800, 500, 4, nullptr, 0},
        {"paleta-trns.png", 600, 400, 4, nullptr, 0},
        {"animada.gif", 400, 250, 0, nullptr, 0},
        // Cut after 60 % of its data: what is there shows, the rest is grey.
        {"cortada.jpg", 3000, 2000, 3, nullptr, 0},
    };
    casos.insert(casos.end(), resto.begin(), resto.end());
    for (const auto& c : casos) {
        SCOPED_TRACE(c.archivo);
        auto cargada = cargarImagen(corpus(c.archivo));
        ASSERT_TRUE(cargada);
        const VImage& img = cargada->imagen;
        EXPECT_EQ(img.width(), c.ancho);
        EXPECT_EQ(img.height(), c.alto);
        EXPECT_EQ(img.format(), VIPS_FORMAT_UCHAR);
        EXPECT_EQ(img.interpretation(), VIPS_INTERPRETATION_sRGB);
        if (c.bandas) {
            EXPECT_EQ(img.bands(), c.bandas);
        } else {
            EXPECT_TRUE(img.bands() == 3 || img.bands() == 4);
        }
        if (c.referencia && img.width() == c.ancho && img.height() == c.alto) {
            EXPECT_LT(diferenciaMedia(img, referencia(c.referencia)), c.tolerancia);
        }
    }
}

namespace {
struct CasoColor {
    const char* archivo;
    const char* referencia; // the sRGB picture the file was made from
    double maxDeltaE;
    double maxDeltaEPrevia; // the window's shrink-on-load preview (another CMYK route)
};
} // namespace

// Colour-managed and unusual pixel formats decode to the sRGB they stand for, alpha kept.
TEST(Corpus, ColorConvertidoASRGB) {
    const CasoColor casos[] = {
        {"adobe-rgb.jpg", "color-srgb.png", 1.0, 1.0},
        {"display-p3.jpg", "color-srgb.png", 1.0, 1.0},
        {"cmyk.jpg", "foto-srgb.png", 2.0, 3.0},
        {"16bit.png", "color-srgb.png", 0.2, 0.2},
        {"gris-alfa.png", "gris-alfa-srgb.png", 0.2, 0.2},
        {"paleta-trns.png", "paleta-srgb.png", 0.2, 0.2},
        {"animada.gif", "animada-marco0.png", 2.5, 2.5},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.archivo);
        auto cargada = cargarImagen(corpus(c.archivo));
        ASSERT_TRUE(cargada);
        VImage ref = referencia(c.referencia);
        ASSERT_EQ(cargada->imagen.width(), ref.width());
        EXPECT_LT(deltaE(cargada->imagen, ref), c.maxDeltaE);
        // What the window shows, shrunk on load, is converted too.
        const int w = ref.width(), h = ref.height();
        auto previa = previaFuente(ImagenFuente::deArchivo(corpus(c.archivo), w, h), w, h);
        ASSERT_TRUE(previa);
        EXPECT_LT(deltaE(*previa, ref), c.maxDeltaEPrevia) << "previa";
        if (ref.bands() == 4) {
            ASSERT_EQ(cargada->imagen.bands(), 4);
            EXPECT_LT((cargada->imagen[3] - ref[3]).abs().avg(), 0.5);
        }
    }
    // The wide-gamut files really differ from sRGB: read as if they were (tagged, not
    // converted), they are more than twice the tolerance off.
    for (const char* archivo : {"adobe-rgb.jpg", "display-p3.jpg"})
        EXPECT_GT(deltaE(referencia(archivo), referencia("color-srgb.png")), 2.0) << archivo;
}

namespace {
struct CasoPagina {
    const char* archivo;
    double ancho, alto; // points
    bool dct;           // the picture is stored as JPEG
};

// The page as viewers show it: crop box, rotation applied.
std::pair<double, double> tamanoVisible(QPDFPageObjectHelper& ph) {
    auto c = ph.getCropBox().getArrayAsRectangle();
    double w = c.urx - c.llx, h = c.ury - c.lly;
    auto rot = ph.getAttribute("/Rotate", false);
    if (rot.isInteger() && rot.getIntValue() % 180 != 0) std::swap(w, h);
    return {w, h};
}
} // namespace

// Images enter a merge at their own size in points (72 dpi when they state none), upright,
// lossy ones as JPEG, lossless ones losslessly, none left out.
TEST(Corpus, UnirDaPaginasDeSuTamano) {
    const CasoPagina casos[] = {
        {"orientacion-6.jpg", 3000, 2000, true}, // a camera's 72 dpi, turned upright
        {"orientacion-1.jpg", 3000, 2000, true},
        {"orientacion-8.tif", 3000, 2000, false},
        {"sin-resolucion.webp", 1500, 1000, true},
        {"sin-resolucion-sin-perdida.webp", 1500, 1000, false},
        {"sin-resolucion.heic", 1500, 1000, true},
        {"sin-resolucion.avif", 1500, 1000, true},
        {"irot-6.heic", 1500, 1000, true},
        {"sin-resolucion.gif", 1500, 1000, false},
        {"sin-resolucion.tif", 1500, 1000, false},
        {"sin-resolucion.png", 1500, 1000, false},
        {"exif-orientacion-6.png", 1500, 1000, false},
        {"300dpi.jpg", 576, 384, true},
        {"cmyk.jpg", 480, 320, true},
        {"gris-alfa.png", 800, 500, false},
        {"animada.gif", 400, 250, false},
    };
    std::vector<EntradaUnion> entradas;
    for (const auto& c : casos)
        entradas.push_back({true, {}, corpus(c.archivo), c.archivo, 0});
    auto u = unirArchivos(entradas);
    ASSERT_TRUE(u);
    EXPECT_TRUE(u->omitidos.empty()) << avisoOmitidos(u->omitidos);
    QPDF q;
    q.processFile(u->combinado.c_str());
    auto paginas = QPDFPageDocumentHelper(q).getAllPages();
    ASSERT_EQ(paginas.size(), std::size(casos));
    for (std::size_t i = 0; i < paginas.size(); ++i) {
        const auto& c = casos[i];
        SCOPED_TRACE(c.archivo);
        auto [w, h] = tamanoVisible(paginas[i]);
        EXPECT_NEAR(w, c.ancho, 0.01);
        EXPECT_NEAR(h, c.alto, 0.01);
        auto imagenes = paginas[i].getImages();
        ASSERT_EQ(imagenes.size(), 1u);
        auto dict = imagenes.begin()->second.getDict();
        EXPECT_EQ(dict.getKey("/Filter").isNameAndEquals("/DCTDecode"), c.dct);
        // Only real transparency becomes a soft mask (a GIF's opaque alpha does not).
        EXPECT_EQ(dict.hasKey("/SMask"), std::string(c.archivo) == "gris-alfa.png");
        // Upright: the picture has the page's proportions, not turned a quarter.
        EXPECT_NEAR(dict.getKey("/Width").getNumericValue() * c.alto,
                    dict.getKey("/Height").getNumericValue() * c.ancho, c.ancho);
    }
}

// A page whose crop box is smaller than its media box: all four alternatives show only the
// crop box (blue), at its size; the raster ones never bring back the red around it.
TEST(Corpus, RecorteDelPDFEnLasCuatroAlternativas) {
    auto salida = variantesPDF(paginasDe(corpus("recortada.pdf")), OpcionesPDF{});
    ASSERT_TRUE(salida);
    ASSERT_EQ(salida->variantes.size(), 4u);
    for (const auto& v : salida->variantes) {
        SCOPED_TRACE(v.sufijo);
        QPDF q;
        q.processFile(v.urlTemp.c_str());
        auto paginas = QPDFPageDocumentHelper(q).getAllPages();
        ASSERT_EQ(paginas.size(), 2u);
        EXPECT_EQ(tamanoVisible(paginas[0]), (std::pair<double, double>(300, 400)));
        EXPECT_EQ(tamanoVisible(paginas[1]), (std::pair<double, double>(400, 300)));
        auto vista = renderPDF(v.urlTemp);
        ASSERT_TRUE(vista);
        EXPECT_EQ(vista->width(), 450);
        EXPECT_EQ(vista->height(), 600);
        EXPECT_LT((*vista)[0].max(), 40) << "red from outside the crop box";
        EXPECT_GT((*vista)[2].avg(), 200);
    }
}

// Every type the open panel offers and the .desktop file lists has a file in the corpus
// that opens; the .desktop file lists exactly those types, and PDF.
TEST(Corpus, CadaTipoOfrecidoSeAbreYElEscritorioLoLista) {
    std::string lista;
    for (const auto& t : tiposLegibles()) {
        SCOPED_TRACE(t.mime);
        lista += t.mime + ";";
        for (const auto& a : t.alias)
            lista += a + ";";
        std::optional<Ruta> muestra;
        for (const auto& e : std::filesystem::directory_iterator(LIVORA_CORPUS))
            for (const auto& ext : t.extensiones)
                if (e.path().extension() == "." + ext) muestra = e.path();
        ASSERT_TRUE(muestra) << "sin archivo en el corpus";
        auto cargada = cargarImagen(*muestra);
        ASSERT_TRUE(cargada) << *muestra;
        EXPECT_GE(cargada->imagen.width(), 200);
    }
    lista += "application/pdf;";
    std::ifstream escritorio(LIVORA_ESCRITORIO);
    std::string linea, mime;
    while (std::getline(escritorio, linea))
        if (linea.rfind("MimeType=", 0) == 0) mime = linea.substr(9);
    EXPECT_EQ(mime, lista);
    // Both cases of every extension, so the case-sensitive panel shows "FOTO.JPG".
    auto patrones = patronesLegibles();
    for (const char* p : {"*.jpg", "*.JPG", "*.heic", "*.HEIC", "*.avif", "*.AVIF", "*.svgz"})
        EXPECT_NE(std::find(patrones.begin(), patrones.end(), p), patrones.end()) << p;
}
