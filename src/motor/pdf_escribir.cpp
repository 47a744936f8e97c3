// Writing one PDF alternative (vector or raster) and the first-page preview.
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/paralelo.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Livora {

namespace {

struct TrabajoPagina {
    GeometriaPagina g;
    std::int64_t ancho = 0, alto = 0; // pixels; 0 = stays vectors
    Ruta jpeg;                        // the page's picture until the document is written
};

// Hands a page's JPEG to the writer from its file when the writer gets to it, so a document
// of thousands of pages never holds more than one page picture in memory.
class JPEGDeArchivo : public QPDFObjectHandle::StreamDataProvider {
public:
    explicit JPEGDeArchivo(Ruta ruta) : ruta_(std::move(ruta)) {}
    void provideStreamData(QPDFObjGen const&, Pipeline* destino) override {
        std::ifstream f(ruta_, std::ios::binary);
        if (!f) throw std::runtime_error("página perdida");
        std::vector<unsigned char> buf(1 << 16);
        while (f) {
            f.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(buf.size()));
            if (f.gcount() > 0) destino->write(buf.data(), static_cast<std::size_t>(f.gcount()));
        }
        if (f.bad()) throw std::runtime_error("página ilegible");
        destino->finish();
    }

private:
    Ruta ruta_;
};

void borrarPaginas(const std::vector<TrabajoPagina>& trabajos) {
    std::error_code ec;
    for (const auto& t : trabajos)
        if (!t.jpeg.empty()) std::filesystem::remove(t.jpeg, ec);
}

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

// Each thread draws with its own poppler document; pages are taken in order, so no more
// than one bitmap per thread is alive at a time. Each page's JPEG goes to a file named
// after `prefijo`; a cancelled job stops between pages.
void rasterizar(const Ruta& fuente, std::vector<TrabajoPagina>& trabajos, double dpi,
                double calidad, const Ruta& prefijo, const ControlTrabajo& control) {
    std::atomic<std::size_t> siguiente{0};
    auto trabajar = [&] {
        auto doc = abrirPoppler(fuente, std::nullopt);
        if (!doc) return;
        for (std::size_t i = siguiente++; i < trabajos.size() && !control.cancelado();
             i = siguiente++) {
            auto& t = trabajos[i];
            if (t.ancho >= 1)
                if (auto img =
                        dibujarPagina(*doc, static_cast<int>(i), t.g, dpi, t.ancho, t.alto)) {
                    auto jpeg = codificarJPEGPagina(*img, calidad);
                    Ruta archivo = prefijo.string() + "-" + std::to_string(i) + ".jpg";
                    if (jpeg && jpegValido(*jpeg, t.ancho, t.alto) &&
                        escribirArchivo(archivo, *jpeg))
                        t.jpeg = std::move(archivo);
                }
            control.hechos();
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

// The JPEG becomes the page's only content, filling it.
void ponerImagen(QPDF& q, QPDFObjectHandle pagina, const Ruta& jpeg, std::int64_t ancho,
                 std::int64_t alto) {
    auto media = pagina.getKey("/MediaBox").getArrayAsRectangle();
    double w = media.urx - media.llx, h = media.ury - media.lly;
    auto img = QPDFObjectHandle::newStream(&q);
    img.replaceStreamData(std::make_shared<JPEGDeArchivo>(jpeg),
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

Resultado<void> escribirPDF(const Ruta& fuente, std::optional<double> dpi, double calidad,
                            const OpcionesPDF& opciones, const Ruta& salida,
                            const ControlTrabajo& control) {
    iniciarMotor();
    auto d = abrirQPDF(fuente, std::nullopt);
    if (!d.qpdf) return error("No se pudo preparar el PDF");
    QPDF& q = *d.qpdf;
    std::vector<TrabajoPagina> trabajos;
    // The page pictures live only until the document is written, whatever happens.
    struct Limpieza {
        std::vector<TrabajoPagina>& t;
        ~Limpieza() { borrarPaginas(t); }
    } limpieza{trabajos};
    const bool raster = dpi && *dpi > 0;
    try {
        q.pushInheritedAttributesToPage();
        auto paginas = QPDFPageDocumentHelper(q).getAllPages();
        if (paginas.empty()) return error("El PDF no tiene páginas");

        trabajos.resize(paginas.size());
        if (raster) {
            double s = *dpi / 72.0;
            for (std::size_t i = 0; i < paginas.size(); ++i) {
                auto& t = trabajos[i];
                t.g = geometria(paginas[i].getObjectHandle());
                double w = std::floor(t.g.ancho() * s), h = std::floor(t.g.alto() * s);
                // Under a pixel, or too large to hold in memory: the page stays vectors.
                if (w >= 1 && h >= 1 && w * h <= static_cast<double>(maxPixelesPaginaPDF)) {
                    t.ancho = static_cast<std::int64_t>(w);
                    t.alto = static_cast<std::int64_t>(h);
                }
            }
            Ruta prefijo = salida.parent_path() / ("." + salida.stem().string() + "-pagina");
            rasterizar(fuente, trabajos, *dpi, calidad, prefijo, control);
        }
        if (control.cancelado()) return errorCancelado();

        aplanarPaginas(q);
        paginas = QPDFPageDocumentHelper(q).getAllPages();
        bool todasRaster = dpi.has_value();
        for (std::size_t i = 0; i < paginas.size(); ++i) {
            if (trabajos[i].jpeg.empty()) {
                todasRaster = false;
                continue;
            }
            ponerImagen(q, paginas[i].getObjectHandle(), trabajos[i].jpeg, trabajos[i].ancho,
                        trabajos[i].alto);
        }
        // No widget is left to fill in.
        if (todasRaster) q.getRoot().removeKey("/AcroForm");
    } catch (const std::exception&) {
        return error("No se pudo preparar el PDF");
    }
    auto w = escribirQPDF(q, &opciones, salida, &control);
    // The vector copy's steps are its pages, all written at once.
    if (w && !raster) control.hechos(static_cast<std::int64_t>(trabajos.size()));
    return w;
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
    if (lado > 4096) dpi *= 4096 / lado;
    auto w = static_cast<std::int64_t>(g.ancho() * dpi / 72);
    auto h = static_cast<std::int64_t>(g.alto() * dpi / 72);
    return dibujarPagina(*doc, 0, g, dpi, w, h);
}

} // namespace Livora
