// An image file as a one-page PDF.
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"
#include "motor/texto.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace Livora {

namespace {

// Largest page side readers accept, in points.
constexpr double maxLadoPagina = 14400;

struct Cabecera {
    double dpiX = 72, dpiY = 72;
    int orientacion = 1; // the EXIF turn the decoder applies
    bool conPerdida = false;
    bool jpegTalCual = false; // the file's own bytes can be the page's picture
    bool gris = false;
};

// The whole file, or its first `maximo` bytes.
std::optional<std::string> leerArchivo(const Ruta& url, std::size_t maximo = std::string::npos) {
    std::ifstream f(url, std::ios::binary);
    if (!f) return std::nullopt;
    if (maximo == std::string::npos) return std::string(std::istreambuf_iterator<char>(f), {});
    std::string r(maximo, '\0');
    f.read(r.data(), static_cast<std::streamsize>(maximo));
    r.resize(static_cast<std::size_t>(f.gcount()));
    return r;
}

std::uint32_t le32(const std::string& b, std::size_t p) {
    return std::uint32_t(std::uint8_t(b[p])) | std::uint32_t(std::uint8_t(b[p + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[p + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[p + 3])) << 24;
}

// A WebP holds VP8 (lossy) or VP8L (lossless) data, alone, after a VP8X header, or inside
// the frames of an animation.
bool webpConPerdida(const Ruta& url) {
    auto b = leerArchivo(url, 1 << 16);
    if (!b || b->size() < 20 || b->compare(0, 4, "RIFF") != 0 || b->compare(8, 4, "WEBP") != 0)
        return false;
    for (std::size_t p = 12; p + 8 <= b->size();) {
        const std::string id = b->substr(p, 4);
        if (id == "VP8 ") return true;
        if (id == "VP8L") return false;
        if (id == "ANMF") { // frame header, then the frame's own chunks
            p += 8 + 16;
            continue;
        }
        p += 8 + ((le32(*b, p + 4) + 1) & ~1u);
    }
    return false;
}

Cabecera leerCabecera(const Ruta& url) {
    Cabecera c;
    try {
        auto img = Imagen::new_from_file(url.c_str());
        // Without a stated resolution libvips reports 1 px/mm: that means none, one pixel
        // per point (72 dpi), as for a JPEG without a density.
        const bool declarada =
            img.xres() > 0.01 && img.yres() > 0.01 &&
            (std::abs(img.xres() - 1.0) > 1e-6 || std::abs(img.yres() - 1.0) > 1e-6);
        // PNG states pixels per metre: 2835 is its 72 dpi (72.009), 11811 its 300. A tenth
        // of a dpi is finer than any density people set.
        if (declarada)
            c.dpiX = std::round(img.xres() * 254) / 10, c.dpiY = std::round(img.yres() * 254) / 10;
        c.orientacion = vips_image_get_orientation(img.get_image());
        const std::string cargador =
            img.get_typeof("vips-loader") ? img.get_string("vips-loader") : "";
        c.conPerdida = cargador == "jpegload" || cargador == "heifload" ||
                       (cargador == "webpload" && webpConPerdida(url));
        const bool rgb = img.bands() == 3 && img.interpretation() == VIPS_INTERPRETATION_sRGB;
        c.gris = img.bands() == 1 && img.interpretation() == VIPS_INTERPRETATION_B_W;
        c.jpegTalCual = cargador == "jpegload" && c.orientacion == 1 &&
                        !img.get_typeof(VIPS_META_ICC_NAME) && (rgb || c.gris);
    } catch (const vips::VError&) {
        vips_error_clear();
    }
    return c;
}

std::string numero(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

QPDFObjectHandle imagenXObject(QPDF& q, std::string datos, const char* filtro, int ancho, int alto,
                               const char* espacio) {
    auto s = QPDFObjectHandle::newStream(&q);
    s.replaceStreamData(std::move(datos),
                        filtro ? QPDFObjectHandle::newName(filtro) : QPDFObjectHandle::newNull(),
                        QPDFObjectHandle::newNull());
    auto d = s.getDict();
    d.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    d.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    d.replaceKey("/Width", QPDFObjectHandle::newInteger(ancho));
    d.replaceKey("/Height", QPDFObjectHandle::newInteger(alto));
    d.replaceKey("/ColorSpace", QPDFObjectHandle::newName(espacio));
    d.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    return s;
}

std::string pixeles(const Imagen& img) {
    std::size_t largo = 0;
    void* p = img.write_to_memory(&largo);
    std::string r(static_cast<const char*>(p), largo);
    g_free(p);
    return r;
}

// The picture: an upright plain JPEG goes in unchanged; other lossy sources (turned or
// colour-managed JPEGs, lossy WebP, HEIC, AVIF) as a new JPEG, so a 50 KB WebP does not
// become megabytes of raw pixels; lossless sources stay lossless (Flate). Transparency
// becomes a lossless soft mask.
QPDFObjectHandle contenidoImagen(QPDF& q, const Ruta& url, const Imagen& img, const Cabecera& c) {
    const int w = img.width(), h = img.height();
    if (c.jpegTalCual) {
        if (auto datos = leerArchivo(url))
            return imagenXObject(q, std::move(*datos), "/DCTDecode", w, h,
                                 c.gris ? "/DeviceGray" : "/DeviceRGB");
    }
    // GIF and many PNGs carry an alpha band that is opaque everywhere: no mask for that.
    const bool alfa = img.bands() == 4 && img[3].min() < 255;
    Imagen color = img.bands() == 4 ? img.extract_band(0, Imagen::option()->set("n", 3)) : img;
    std::optional<QPDFObjectHandle> x;
    if (c.conPerdida) {
        if (auto jpeg = codificarJPEGPagina(color, 0.92))
            x = imagenXObject(q, std::string(jpeg->begin(), jpeg->end()), "/DCTDecode", w, h,
                              "/DeviceRGB");
    }
    if (!x) x = imagenXObject(q, pixeles(color), nullptr, w, h, "/DeviceRGB");
    if (alfa)
        x->getDict().replaceKey(
            "/SMask", imagenXObject(q, pixeles(img.extract_band(3)), nullptr, w, h, "/DeviceGray"));
    return *x;
}

} // namespace

Resultado<Ruta> pdfDesdeImagen(const Ruta& imagen) {
    iniciarMotor();
    std::string nombre = nombreVisible(imagen);
    auto cargada = cargarImagen(imagen);
    if (!cargada) return error("No se pudo leer " + nombre);
    Cabecera c = leerCabecera(imagen);
    if (c.orientacion >= 5 && c.orientacion <= 8) std::swap(c.dpiX, c.dpiY);
    double w = cargada->imagen.width() * 72.0 / c.dpiX;
    double h = cargada->imagen.height() * 72.0 / c.dpiY;
    // Sizes readers refuse are brought back into range, keeping the proportions.
    double f = std::min(1.0, maxLadoPagina / std::max(w, h));
    w *= f, h *= f;
    if (!(w >= 1 && h >= 1)) {
        w = cargada->imagen.width() * f;
        h = cargada->imagen.height() * f;
    }

    auto dir = dirTemporal();
    if (!dir) return dir.error();
    Ruta salida = *dir / (imagen.stem().string() + ".pdf");
    try {
        auto q = qpdfVacio();
        auto x = contenidoImagen(*q, imagen, cargada->imagen, c);
        auto pagina = QPDFObjectHandle::newDictionary();
        pagina.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        pagina.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle({0, 0, w, h}));
        auto xobj = QPDFObjectHandle::newDictionary();
        xobj.replaceKey("/Im0", x);
        auto recursos = QPDFObjectHandle::newDictionary();
        recursos.replaceKey("/XObject", xobj);
        pagina.replaceKey("/Resources", recursos);
        pagina.replaceKey("/Contents", QPDFObjectHandle::newStream(
                                           q.get(), "q\n" + numero(w) + " 0 0 " + numero(h) +
                                                        " 0 0 cm\n/Im0 Do\nQ\n"));
        q->addPage(q->makeIndirectObject(pagina), false);
        if (!escribirQPDF(*q, nullptr, salida)) return error("No se pudo convertir la imagen");
    } catch (const vips::VError&) {
        vips_error_clear();
        return error("No se pudo convertir la imagen");
    } catch (const std::exception&) {
        return error("No se pudo convertir la imagen");
    }
    return salida;
}

} // namespace Livora
