// Writing one PDF alternative (vector or raster) and the first-page preview.
#include "motor/codec.h"
#include "motor/paralelo.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Livora {

namespace {

// One page of every raster output: its size in each (0 = stays vectors) and its JPEGs.
struct TrabajoPagina {
    GeometriaPagina g;
    std::vector<std::int64_t> ancho, alto;
    std::vector<std::optional<Bytes>> jpeg;
};

// The JPEG is what gets embedded; it must read back at the size the page asked for.
bool jpegValido(const Bytes& b, std::int64_t ancho, std::int64_t alto) {
    try {
        Imagen i = Imagen::new_from_buffer(b.data(), b.size(), "");
        return i.width() == ancho && i.height() == alto && i.bands() == 3;
    } catch (const vips::VError&) {
        vips_error_clear();
        return false;
    }
}

int hilosDisponibles(std::size_t tareas) {
    unsigned n = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<int>(std::min<std::size_t>(n, tareas));
}

// The page drawn at a higher resolution, brought down to ancho × alto. At a whole ratio
// (300 → 150 and 100 dpi) each output pixel is the mean of the n × n pixels that cover
// exactly its area, which is how the renderer itself antialiases; otherwise lanczos3.
std::optional<Imagen> reducir(const Imagen& grande, double factor, std::int64_t ancho,
                              std::int64_t alto) {
    if (grande.width() == ancho && grande.height() == alto) return grande;
    const double n = std::round(factor);
    if (std::abs(factor - n) < 1e-9 && n >= 2 && ancho * n <= grande.width() &&
        alto * n <= grande.height()) {
        try {
            const int k = static_cast<int>(n);
            Imagen r =
                grande.extract_area(0, 0, static_cast<int>(ancho) * k, static_cast<int>(alto) * k)
                    .shrink(n, n)
                    .cast(VIPS_FORMAT_UCHAR)
                    .copy_memory();
            if (r.width() == ancho && r.height() == alto) return r;
        } catch (const vips::VError&) {
            vips_error_clear();
        }
    }
    Imagen r = redimensionar(grande, ancho, alto);
    if (r.width() != ancho || r.height() != alto) return std::nullopt;
    return r;
}

// Each thread draws with its own poppler document; pages are taken in order, so no more
// than one page's bitmaps per thread are alive at a time. Every page is drawn once, at the
// highest resolution any output needs, and brought down for the others.
void rasterizar(const Ruta& fuente, std::vector<TrabajoPagina>& trabajos,
                const std::vector<SalidaRaster>& salidas) {
    std::atomic<std::size_t> siguiente{0};
    auto trabajar = [&] {
        auto doc = abrirPoppler(fuente, std::nullopt);
        if (!doc) return;
        for (std::size_t i = siguiente++; i < trabajos.size(); i = siguiente++) {
            auto& t = trabajos[i];
            std::optional<std::size_t> mayor;
            for (std::size_t k = 0; k < salidas.size(); ++k)
                if (t.ancho[k] > 0 && (!mayor || salidas[k].dpi > salidas[*mayor].dpi)) mayor = k;
            if (!mayor) continue;
            auto img = dibujarPagina(*doc, static_cast<int>(i), t.g, salidas[*mayor].dpi,
                                     t.ancho[*mayor], t.alto[*mayor]);
            if (!img) continue;
            for (std::size_t k = 0; k < salidas.size(); ++k) {
                if (t.ancho[k] < 1) continue;
                auto pagina =
                    reducir(*img, salidas[*mayor].dpi / salidas[k].dpi, t.ancho[k], t.alto[k]);
                if (!pagina) continue;
                auto jpeg = codificarJPEGPagina(*pagina, salidas[k].calidad);
                if (jpeg && jpegValido(*jpeg, t.ancho[k], t.alto[k])) t.jpeg[k] = std::move(jpeg);
            }
        }
    };
    std::vector<std::function<void()>> tareas(hilosDisponibles(trabajos.size()), trabajar);
    enParalelo(tareas);
}

std::string numero(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

// The JPEG becomes the page's only content, filling it. The page shrinks to its crop
// box: that is all the picture shows, and all a viewer showed of the page.
void ponerImagen(QPDF& q, QPDFObjectHandle pagina, const Bytes& jpeg, std::int64_t ancho,
                 std::int64_t alto) {
    const GeometriaPagina g = geometria(pagina); // upright by now: no rotation left
    QPDFObjectHandle::Rectangle media(g.cx0, g.cy0, g.cx1, g.cy1);
    pagina.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle(media));
    double w = media.urx - media.llx, h = media.ury - media.lly;
    auto img = QPDFObjectHandle::newStream(&q);
    img.replaceStreamData(std::string(jpeg.begin(), jpeg.end()),
                          QPDFObjectHandle::newName("/DCTDecode"), QPDFObjectHandle::newNull());
    auto dict = img.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(ancho));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(alto));
    dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceRGB"));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    std::string contenido = "q\n" + numero(w) + " 0 0 " + numero(h) + " " + numero(media.llx) +
                            " " + numero(media.lly) + " cm\n/Im0 Do\nQ\n";
    pagina.replaceKey("/Contents", QPDFObjectHandle::newStream(&q, contenido));
    auto xobj = QPDFObjectHandle::newDictionary();
    xobj.replaceKey("/Im0", img);
    auto recursos = QPDFObjectHandle::newDictionary();
    recursos.replaceKey("/XObject", xobj);
    pagina.replaceKey("/Resources", recursos);
    // The picture already shows everything the page showed, annotations included.
    for (const char* k : {"/Annots", "/CropBox", "/BleedBox", "/TrimBox", "/ArtBox", "/Group",
                          "/Thumb", "/PieceInfo", "/Metadata", "/B", "/AA", "/Tabs",
                          "/StructParents", "/VP", "/UserUnit", "/SeparationInfo"})
        pagina.removeKey(k);
}

} // namespace

const std::vector<FilaPDF>& tablaPDF() {
    static const std::vector<FilaPDF> tabla{
        {"Sin pérdida", "vectores y texto intactos", "sin-perdida", std::nullopt, 1.0},
        {"Alta", "300 dpi, para imprimir", "alta", 300.0, 0.8},
        {"Media", "150 dpi, para pantalla", "media", 150.0, 0.6},
        {"Baja", "100 dpi, mínimo peso", "baja", 100.0, 0.4},
    };
    return tabla;
}

namespace {

// Writes `fuente` to `salida` with the pages whose JPEG exists replaced by it (output k of
// the page jobs), the others as vectors.
Resultado<void> escribirConPaginas(const Ruta& fuente, std::vector<TrabajoPagina>& trabajos,
                                   std::optional<std::size_t> k, const OpcionesPDF& opciones,
                                   const Ruta& salida) {
    auto d = abrirQPDF(fuente, std::nullopt);
    if (!d.qpdf) return error("No se pudo preparar el PDF");
    QPDF& q = *d.qpdf;
    try {
        aplanarPaginas(q);
        auto paginas = QPDFPageDocumentHelper(q).getAllPages();
        if (paginas.empty()) return error("El PDF no tiene páginas");
        bool todasRaster = k.has_value();
        for (std::size_t i = 0; i < paginas.size(); ++i) {
            if (!k || i >= trabajos.size() || !trabajos[i].jpeg[*k]) {
                todasRaster = false;
                continue;
            }
            ponerImagen(q, paginas[i].getObjectHandle(), *trabajos[i].jpeg[*k],
                        trabajos[i].ancho[*k], trabajos[i].alto[*k]);
            trabajos[i].jpeg[*k].reset();
        }
        // No widget is left to fill in.
        if (todasRaster) q.getRoot().removeKey("/AcroForm");
    } catch (const std::exception&) {
        return error("No se pudo preparar el PDF");
    }
    return escribirQPDF(q, &opciones, salida);
}

} // namespace

Resultado<void> escribirPDF(const Ruta& fuente, std::optional<double> dpi, double calidad,
                            const OpcionesPDF& opciones, const Ruta& salida) {
    if (dpi && *dpi > 0) return escribirPDFRaster(fuente, {{*dpi, calidad, salida}}, opciones);
    iniciarMotor();
    std::vector<TrabajoPagina> ninguno;
    return escribirConPaginas(fuente, ninguno, std::nullopt, opciones, salida);
}

Resultado<void> escribirPDFRaster(const Ruta& fuente, const std::vector<SalidaRaster>& salidas,
                                  const OpcionesPDF& opciones) {
    iniciarMotor();
    std::vector<TrabajoPagina> trabajos;
    {
        auto d = abrirQPDF(fuente, std::nullopt);
        if (!d.qpdf) return error("No se pudo preparar el PDF");
        try {
            d.qpdf->pushInheritedAttributesToPage();
            auto paginas = QPDFPageDocumentHelper(*d.qpdf).getAllPages();
            if (paginas.empty()) return error("El PDF no tiene páginas");
            trabajos.resize(paginas.size());
            for (std::size_t i = 0; i < paginas.size(); ++i) {
                auto& t = trabajos[i];
                t.g = geometria(paginas[i].getObjectHandle());
                t.ancho.assign(salidas.size(), 0);
                t.alto.assign(salidas.size(), 0);
                t.jpeg.resize(salidas.size());
                for (std::size_t k = 0; k < salidas.size(); ++k) {
                    const double s = salidas[k].dpi / 72.0;
                    const double w = std::floor(t.g.ancho() * s), h = std::floor(t.g.alto() * s);
                    // Under a pixel, or too large to hold in memory: the page stays vectors.
                    if (s > 0 && w >= 1 && h >= 1 &&
                        w * h <= static_cast<double>(maxPixelesPaginaPDF)) {
                        t.ancho[k] = static_cast<std::int64_t>(w);
                        t.alto[k] = static_cast<std::int64_t>(h);
                    }
                }
            }
        } catch (const std::exception&) {
            return error("No se pudo preparar el PDF");
        }
    }
    rasterizar(fuente, trabajos, salidas);
    for (std::size_t k = 0; k < salidas.size(); ++k)
        if (auto w = escribirConPaginas(fuente, trabajos, k, opciones, salidas[k].salida); !w)
            return w.error();
    return {};
}

std::optional<Imagen> renderPDF(const Ruta& url, const std::optional<std::string>& contrasena) {
    iniciarMotor();
    auto doc = abrirPoppler(url, contrasena);
    if (!doc || doc->pages() < 1) return std::nullopt;
    std::unique_ptr<poppler::page> p(doc->create_page(0));
    if (!p) return std::nullopt;
    GeometriaPagina g;
    auto m = p->page_rect(poppler::media_box);
    auto c = p->page_rect(poppler::crop_box);
    g.x0 = m.left(), g.y0 = m.top(), g.x1 = m.right(), g.y1 = m.bottom();
    g.cx0 = c.left(), g.cy0 = c.top(), g.cx1 = c.right(), g.cy1 = c.bottom();
    switch (p->orientation()) {
    case poppler::page::landscape:
        g.rotacion = 90;
        break;
    case poppler::page::upside_down:
        g.rotacion = 180;
        break;
    case poppler::page::seascape:
        g.rotacion = 270;
        break;
    default:
        g.rotacion = 0;
    }
    double dpi = 72 * 1.5;
    // A poster-sized first page is previewed smaller rather than filling memory.
    double lado = std::max(g.ancho(), g.alto()) * 1.5;
    if (!(lado > 0) || !std::isfinite(lado)) return std::nullopt;
    if (lado > 4096) dpi *= 4096 / lado;
    auto w = static_cast<std::int64_t>(g.ancho() * dpi / 72);
    auto h = static_cast<std::int64_t>(g.alto() * dpi / 72);
    return dibujarPagina(*doc, 0, g, dpi, w, h);
}

} // namespace Livora
