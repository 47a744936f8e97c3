// Photo pages: drawn from their own JPEG only when nothing else could show, and then
// matching poppler's drawing at every resolution.
#include "test_pdf_comun.h"

#include "comun.h"
#include "motor/pdf.h"

#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>

using namespace Livora;
using namespace LivoraPrueba;

namespace {

// A page showing one JPEG: its box, where the picture goes, and what may spoil it.
struct PaginaFoto {
    std::string caso = "";
    double ancho = 595.276, alto = 841.89; // A4 portrait
    int rotacion = 0;
    double x = 0, y = 0, w = 0, h = 0; // the picture's place; 0 × 0 = the whole page
    bool gris = false;
    std::string antes = "", despues = ""; // more content around the picture's drawing
    std::string claves = "";              // more keys for the picture's dictionary
    bool anotacion = false;
    bool esFoto = true; // drawn without poppler
};

Ruta crearPDFFoto(const std::string& nombre, const std::vector<PaginaFoto>& paginas) {
    iniciarMotor();
    using H = QPDFObjectHandle;
    QPDF q;
    q.emptyPDF();
    // What "@" stands for in the extra keys: a mask or profile the picture refers to.
    auto otro = q.makeIndirectObject(H::newStream(&q, std::string(1, '\x80')));
    otro.getDict().replaceKey("/Width", H::newInteger(1));
    otro.getDict().replaceKey("/Height", H::newInteger(1));
    std::string jpegs[2];
    for (int gris = 0; gris < 2; ++gris) {
        // A real photo at a camera's size: noise would only measure resampling differences.
        Imagen foto = Imagen::new_from_file(Pruebas::datos("mariquita.jpg").c_str())
                          .resize(2000.0 / 400, Imagen::option()->set("vscale", 2800.0 / 250));
        if (gris) foto = foto.colourspace(VIPS_INTERPRETATION_B_W);
        auto b = foto.jpegsave_buffer(Imagen::option()->set("Q", 92));
        jpegs[gris].assign(static_cast<const char*>(VIPS_AREA(b)->data), VIPS_AREA(b)->length);
        vips_area_unref(VIPS_AREA(b));
    }
    for (const auto& p : paginas) {
        auto img = H::newStream(&q, jpegs[p.gris]);
        std::string claves = p.claves;
        if (auto a = claves.find('@'); a != std::string::npos)
            claves.replace(a, 1, std::to_string(otro.getObjectID()) + " 0 R");
        auto d =
            H::parse(&q, "<< /Type /XObject /Subtype /Image /Width 2000 /Height 2800 "
                         "/BitsPerComponent 8 /Filter /DCTDecode /ColorSpace " +
                             std::string(p.gris ? "/DeviceGray " : "/DeviceRGB ") + claves + " >>");
        for (const auto& k : d.getKeys())
            img.getDict().replaceKey(k, d.getKey(k));
        const double w = p.w > 0 ? p.w : p.ancho, h = p.h > 0 ? p.h : p.alto;
        const std::string contenido = p.antes + "q " + std::to_string(w) + " 0 0 " +
                                      std::to_string(h) + " " + std::to_string(p.x) + " " +
                                      std::to_string(p.y) + " cm /Im0 Do Q\n" + p.despues;
        auto pag = H::parse("<< /Type /Page /Resources << /Font << /F1 << /Type /Font /Subtype "
                            "/Type1 /BaseFont /Helvetica >> >> >> >>");
        pag.replaceKey("/MediaBox", H::newFromRectangle({0, 0, p.ancho, p.alto}));
        pag.getKey("/Resources").replaceKey("/XObject", H::parse("<< >>"));
        pag.getKey("/Resources").getKey("/XObject").replaceKey("/Im0", img);
        pag.replaceKey("/Contents", H::newStream(&q, contenido));
        if (p.rotacion) pag.replaceKey("/Rotate", H::newInteger(p.rotacion));
        if (p.anotacion)
            pag.replaceKey("/Annots",
                           H::parse("[ << /Type /Annot /Subtype /Square /Rect [10 10 90 90] "
                                    "/C [1 0 0] >> ]"));
        q.addPage(q.makeIndirectObject(pag), false);
    }
    Ruta ruta = carpetaPrueba() / nombre;
    QPDFWriter(q, ruta.c_str()).write();
    return ruta;
}

// Mean SSIM on luma (8 × 8 Gaussian windows, the usual constants).
double ssim(const Imagen& a, const Imagen& b) {
    auto luma = [](const Imagen& i) {
        return i.colourspace(VIPS_INTERPRETATION_B_W).cast(VIPS_FORMAT_FLOAT);
    };
    const Imagen x = luma(a), y = luma(b);
    auto media = [](const Imagen& i) { return i.gaussblur(1.5); };
    const Imagen mx = media(x), my = media(y);
    const Imagen vx = media(x * x) - mx * mx, vy = media(y * y) - my * my;
    const Imagen cxy = media(x * y) - mx * my;
    const double c1 = 6.5025, c2 = 58.5225;
    return ((2 * mx * my + c1) * (2 * cxy + c2) / ((mx * mx + my * my + c1) * (vx + vy + c2)))
        .avg();
}

const std::vector<PaginaFoto>& casos() {
    static const std::vector<PaginaFoto> c{
        {.caso = "centrada con márgenes, como img2pdf", .y = 120.5, .h = 600.8},
        {.caso = "gris en página girada",
         .rotacion = 90,
         .x = 40,
         .y = 30,
         .w = 500,
         .h = 700,
         .gris = true},
        {.caso = "apaisada girada 270", .ancho = 841.89, .alto = 595.276, .rotacion = 270},
        {.caso = "con texto encima",
         .despues = "BT /F1 24 Tf 72 400 Td (hola) Tj ET\n",
         .esFoto = false},
        {.caso = "con máscara suave", .claves = "/SMask @", .esFoto = false},
        {.caso = "pasa del borde", .x = -20, .w = 640, .esFoto = false},
        {.caso = "con anotación", .anotacion = true, .esFoto = false},
        {.caso = "volteada", .antes = "1 0 0 -1 0 841.89 cm\n", .esFoto = false},
        {.caso = "con Decode", .claves = "/Decode [1 0 1 0 1 0]", .esFoto = false},
        {.caso = "en ICC", .claves = "/ColorSpace [/ICCBased @]", .esFoto = false},
        {.caso = "fondo de color", .antes = "1 0 0 rg 0 0 595 842 re f\n", .esFoto = false},
    };
    return c;
}

} // namespace

TEST(FotoPDF, SoloUnaImagenSinNadaMasSeDibujaSinPoppler) {
    Ruta src = crearPDFFoto("casos.pdf", casos());
    auto q = leer(src);
    q->pushInheritedAttributesToPage();
    auto p = paginasDeQPDF(*q);
    ASSERT_EQ(p.size(), casos().size());
    for (std::size_t i = 0; i < p.size(); ++i)
        EXPECT_EQ(fotoDePagina(*q, p[i]).has_value(), casos()[i].esFoto) << casos()[i].caso;
}

// The photo pages' pictures at 300, 150 and 100 dpi have the sizes and the look of a
// direct drawing of the page at that resolution.
TEST(FotoPDF, ComoElDibujoDirectoEnCadaResolucion) {
    std::vector<PaginaFoto> fotos;
    for (const auto& c : casos())
        if (c.esFoto) fotos.push_back(c);
    Ruta src = crearPDFFoto("fotos.pdf", fotos);
    const double dpis[] = {300, 150, 100};
    std::vector<SalidaRaster> salidas;
    for (double d : dpis)
        salidas.push_back({d, 1.0, carpetaPrueba() / ("fotos-" + std::to_string(int(d)) + ".pdf")});
    ASSERT_TRUE(escribirPDFRaster(src, salidas, {}));

    auto directo = abrirPoppler(src, std::nullopt);
    auto fuente = leer(src);
    fuente->pushInheritedAttributesToPage();
    auto originales = paginasDeQPDF(*fuente);
    ASSERT_TRUE(directo);
    std::vector<std::shared_ptr<QPDF>> escritos;
    for (const auto& s : salidas)
        escritos.push_back(leer(s.salida));
    for (std::size_t i = 0; i < fotos.size(); ++i) {
        const GeometriaPagina g = geometria(originales[i]);
        std::optional<Imagen> a300;
        for (std::size_t k = 0; k < salidas.size(); ++k) {
            SCOPED_TRACE(std::to_string(int(dpis[k])) + " dpi, " + fotos[i].caso);
            const auto w = static_cast<std::int64_t>(g.ancho() * dpis[k] / 72);
            const auto h = static_cast<std::int64_t>(g.alto() * dpis[k] / 72);
            auto p = paginasDeQPDF(*escritos[k]);
            ASSERT_EQ(p.size(), fotos.size());
            auto datos =
                p[i].getKey("/Resources").getKey("/XObject").getKey("/Im0").getRawStreamData();
            Imagen salida = Imagen::new_from_buffer(datos->getBuffer(), datos->getSize(), "");
            ASSERT_EQ(salida.width(), w);
            ASSERT_EQ(salida.height(), h);
            auto ref = dibujarPagina(*directo, static_cast<int>(i), g, dpis[k], w, h);
            ASSERT_TRUE(ref);
            if (k == 0) a300 = ref;
            // What poppler's drawing at 300 dpi, averaged down, gives.
            const int n = static_cast<int>(300 / dpis[k]);
            const double antes =
                ssim(a300->extract_area(0, 0, static_cast<int>(w) * n, static_cast<int>(h) * n)
                         .shrink(n, n)
                         .cast(VIPS_FORMAT_UCHAR),
                     *ref);
            const double s = ssim(salida, *ref);
            std::printf("  %-38s %3d dpi  SSIM %.4f (desde poppler a 300 dpi: %.4f)\n",
                        fotos[i].caso.c_str(), int(dpis[k]), s, antes);
            EXPECT_GT(s, 0.98);
            if (k > 0) {
                EXPECT_GT(s, antes - 0.005);
            }
        }
    }
}
