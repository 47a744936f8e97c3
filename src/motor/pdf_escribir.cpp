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

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Livora {

namespace {

// One page of every raster output: its size in each (0 = stays vectors) and its JPEGs.
struct TrabajoPagina {
    GeometriaPagina g;
    std::optional<FotoPagina> foto;        // drawn from its own JPEG, without poppler
    std::vector<std::int64_t> ancho, alto; // pixels per output; 0 = stays vectors
    std::vector<Ruta> jpeg;                // the page's pictures until the documents are written
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
        for (const auto& j : t.jpeg)
            if (!j.empty()) std::filesystem::remove(j, ec);
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

// The page drawn at a higher resolution, brought down to ancho × alto. At a whole ratio
// (300 → 150 and 100 dpi) each output pixel is the mean of the n × n pixels that cover
// exactly its area, which is how the renderer itself antialiases; otherwise lanczos3.
std::optional<Imagen> reducir(const Imagen& grande, double factor, std::int64_t ancho,
                              std::int64_t alto) {
    if (grande.width() == ancho && grande.height() == alto) return grande;
    const double n = std::round(factor);
    if (std::abs(factor - n) < 1e-9 && n >= 2 && ancho * n <= grande.width() &&
        alto * n <= grande.height() && grande.bands() == 3 &&
        grande.format() == VIPS_FORMAT_UCHAR) {
        // OpenCV's area mean at a whole ratio is those block means, many times faster than
        // vips' shrink on a picture already in memory. (Read only: cv::Mat wants it mutable.)
        auto* datos = const_cast<void*>(vips_image_get_data(grande.get_image()));
        auto salida = imagenEnMemoria(ancho, alto);
        if (datos && salida) {
            try {
                const int k = static_cast<int>(n);
                cv::Mat fuente(grande.height(), grande.width(), CV_8UC3, datos,
                               VIPS_IMAGE_SIZEOF_LINE(grande.get_image()));
                cv::Mat destino(static_cast<int>(alto), static_cast<int>(ancho), CV_8UC3,
                                VIPS_IMAGE_ADDR(salida->get_image(), 0, 0));
                cv::resize(
                    fuente(cv::Rect(0, 0, static_cast<int>(ancho) * k, static_cast<int>(alto) * k)),
                    destino, destino.size(), 0, 0, cv::INTER_AREA);
                return salida;
            } catch (const cv::Exception&) {
            }
        }
        vips_error_clear();
    }
    Imagen r = redimensionar(grande, ancho, alto);
    if (r.width() != ancho || r.height() != alto) return std::nullopt;
    return r;
}

// Each thread's own readers of the source, opened when a page first needs them.
struct Lectores {
    const Ruta& fuente;
    std::unique_ptr<poppler::document> poppler;
    DocumentoQPDF qpdf;
    bool popplerAbierto = false, qpdfAbierto = false;

    // The page at `dpi`: from its own picture when it is one, else drawn by poppler.
    std::optional<Imagen> dibujar(std::size_t i, const TrabajoPagina& t, double dpi,
                                  std::int64_t ancho, std::int64_t alto) {
        if (t.foto) {
            if (!qpdfAbierto) qpdf = abrirQPDF(fuente, std::nullopt), qpdfAbierto = true;
            try {
                if (qpdf.qpdf) {
                    auto datos = qpdf.qpdf->getObjectByObjGen(t.foto->objeto).getRawStreamData();
                    if (auto img = dibujarFoto(*t.foto, *datos, t.g, dpi, ancho, alto)) return img;
                }
            } catch (const std::exception&) {
            }
        }
        if (!popplerAbierto) poppler = abrirPoppler(fuente, std::nullopt), popplerAbierto = true;
        if (!poppler) return std::nullopt;
        return dibujarPagina(*poppler, static_cast<int>(i), t.g, dpi, ancho, alto);
    }
};

// Each thread reads with its own documents; pages are taken in order, so no more
// than one page's bitmaps per thread are alive at a time. Every page is drawn once, at the
// highest resolution any output needs, and brought down for the others; each JPEG goes to a
// file named after its output. A cancelled job stops between pages, or between one page's
// pictures.
void rasterizar(const Ruta& fuente, std::vector<TrabajoPagina>& trabajos,
                const std::vector<SalidaRaster>& salidas, const ControlTrabajo& control) {
    std::atomic<std::size_t> siguiente{0};
    auto trabajar = [&] {
        Lectores lectores{fuente, nullptr, {}};
        for (std::size_t i = siguiente++; i < trabajos.size() && !control.cancelado();
             i = siguiente++) {
            auto& t = trabajos[i];
            std::optional<std::size_t> mayor;
            for (std::size_t k = 0; k < salidas.size(); ++k)
                if (t.ancho[k] > 0 && (!mayor || salidas[k].dpi > salidas[*mayor].dpi)) mayor = k;
            auto img =
                mayor ? lectores.dibujar(i, t, salidas[*mayor].dpi, t.ancho[*mayor], t.alto[*mayor])
                      : std::nullopt;
            // A cancelled job also leaves the page it is on between its three pictures.
            for (std::size_t k = 0; img && k < salidas.size() && !control.cancelado(); ++k) {
                if (t.ancho[k] < 1) continue;
                auto pagina =
                    reducir(*img, salidas[*mayor].dpi / salidas[k].dpi, t.ancho[k], t.alto[k]);
                if (!pagina) continue;
                auto jpeg = codificarJPEGPagina(*pagina, salidas[k].calidad);
                const auto& destino = salidas[k].salida;
                std::string nombre = ".";
                nombre += destino.stem().string();
                nombre += "-pagina-" + std::to_string(i) + ".jpg";
                Ruta archivo = destino.parent_path() / nombre;
                if (jpeg && jpegValido(*jpeg, t.ancho[k], t.alto[k]) &&
                    escribirArchivo(archivo, *jpeg))
                    t.jpeg[k] = std::move(archivo);
            }
            control.hechos(static_cast<std::int64_t>(salidas.size()));
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
void ponerImagen(QPDF& q, QPDFObjectHandle pagina, const Ruta& jpeg, std::int64_t ancho,
                 std::int64_t alto) {
    const GeometriaPagina g = geometria(pagina); // upright by now: no rotation left
    QPDFObjectHandle::Rectangle media(g.cx0, g.cy0, g.cx1, g.cy1);
    pagina.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle(media));
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

namespace {

// Writes `fuente` to `salida` with the pages whose JPEG exists replaced by it (output k of
// the page jobs), the others as vectors.
Resultado<void> escribirConPaginas(const Ruta& fuente, std::vector<TrabajoPagina>& trabajos,
                                   std::optional<std::size_t> k, const OpcionesPDF& opciones,
                                   const Ruta& salida, const ControlTrabajo& control) {
    auto d = abrirQPDF(fuente, std::nullopt);
    if (!d.qpdf) return error("No se pudo preparar el PDF");
    QPDF& q = *d.qpdf;
    std::size_t n = 0;
    try {
        aplanarPaginas(q);
        auto paginas = QPDFPageDocumentHelper(q).getAllPages();
        if (paginas.empty()) return error("El PDF no tiene páginas");
        n = paginas.size();
        bool todasRaster = k.has_value();
        for (std::size_t i = 0; i < paginas.size(); ++i) {
            if (!k || i >= trabajos.size() || trabajos[i].jpeg[*k].empty()) {
                todasRaster = false;
                continue;
            }
            ponerImagen(q, paginas[i].getObjectHandle(), trabajos[i].jpeg[*k],
                        trabajos[i].ancho[*k], trabajos[i].alto[*k]);
        }
        // No widget is left to fill in.
        if (todasRaster) q.getRoot().removeKey("/AcroForm");
    } catch (const std::exception&) {
        return error("No se pudo preparar el PDF");
    }
    auto w = escribirQPDF(q, &opciones, salida, &control);
    // The vector copy's steps are its pages, all written at once.
    if (w && !k) control.hechos(static_cast<std::int64_t>(n));
    return w;
}

} // namespace

Resultado<void> escribirPDF(const Ruta& fuente, std::optional<double> dpi, double calidad,
                            const OpcionesPDF& opciones, const Ruta& salida,
                            const ControlTrabajo& control) {
    if (dpi && *dpi > 0)
        return escribirPDFRaster(fuente, {{*dpi, calidad, salida}}, opciones, control);
    iniciarMotor();
    std::vector<TrabajoPagina> ninguno;
    return escribirConPaginas(fuente, ninguno, std::nullopt, opciones, salida, control);
}

Resultado<void> escribirPDFRaster(const Ruta& fuente, const std::vector<SalidaRaster>& salidas,
                                  const OpcionesPDF& opciones, const ControlTrabajo& control) {
    iniciarMotor();
    std::vector<TrabajoPagina> trabajos;
    // The page pictures live only until the documents are written, whatever happens.
    struct Limpieza {
        std::vector<TrabajoPagina>& t;
        ~Limpieza() { borrarPaginas(t); }
    } limpieza{trabajos};
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
                t.foto = fotoDePagina(*d.qpdf, paginas[i].getObjectHandle());
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
    rasterizar(fuente, trabajos, salidas, control);
    if (control.cancelado()) return errorCancelado();
    for (std::size_t k = 0; k < salidas.size(); ++k)
        if (auto w = escribirConPaginas(fuente, trabajos, k, opciones, salidas[k].salida, control);
            !w)
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
