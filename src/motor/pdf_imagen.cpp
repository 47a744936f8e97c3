// An image file as a one-page PDF.
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"
#include "motor/texto.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace Livora {

namespace {

// Largest page side readers accept, in points.
constexpr double maxLadoPagina = 14400;

struct Cabecera {
    double dpiX = 72, dpiY = 72;
    std::string cargador;
    bool icc = false;
    int bandas = 0;
    VipsInterpretation interpretacion = VIPS_INTERPRETATION_ERROR;
};

Cabecera leerCabecera(const Ruta& url) {
    Cabecera c;
    try {
        auto img = Imagen::new_from_file(url.c_str());
        // libvips reports 72 dpi when the file says nothing, which is one pixel per point.
        if (img.xres() > 0.01 && img.yres() > 0.01)
            c.dpiX = img.xres() * 25.4, c.dpiY = img.yres() * 25.4;
        if (img.get_typeof("vips-loader")) c.cargador = img.get_string("vips-loader");
        c.icc = img.get_typeof(VIPS_META_ICC_NAME) != 0;
        c.bandas = img.bands();
        c.interpretacion = img.interpretation();
    } catch (const vips::VError&) {
        vips_error_clear();
    }
    return c;
}

std::optional<std::string> leerArchivo(const Ruta& url) {
    std::ifstream f(url, std::ios::binary);
    if (!f) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(f), {});
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

// The picture: a JPEG that is already upright and plain RGB or grey goes in unchanged;
// other lossy sources are re-encoded as JPEG; the rest (and transparency) losslessly.
QPDFObjectHandle contenidoImagen(QPDF& q, const Ruta& url, const ImagenCargada& cargada,
                                 const Cabecera& c) {
    const Imagen& img = cargada.imagen;
    int w = img.width(), h = img.height();
    int orientacion = cargada.propiedades && cargada.propiedades->orientation
                          ? *cargada.propiedades->orientation
                          : 1;
    bool rgb = c.bandas == 3 && c.interpretacion == VIPS_INTERPRETATION_sRGB;
    bool gris = c.bandas == 1 && c.interpretacion == VIPS_INTERPRETATION_B_W;
    if (c.cargador == "jpegload" && orientacion == 1 && !c.icc && (rgb || gris)) {
        if (auto datos = leerArchivo(url))
            return imagenXObject(q, std::move(*datos), "/DCTDecode", w, h,
                                 gris ? "/DeviceGray" : "/DeviceRGB");
    }
    bool alfa = img.bands() == 4;
    bool conPerdida = c.cargador == "jpegload" || c.cargador == "heifload";
    if (conPerdida && !alfa) {
        if (auto jpeg = codificarJPEGPagina(img, 0.92))
            return imagenXObject(q, std::string(jpeg->begin(), jpeg->end()), "/DCTDecode", w, h,
                                 "/DeviceRGB");
    }
    Imagen color = alfa ? img.extract_band(0, Imagen::option()->set("n", 3)) : img;
    auto x = imagenXObject(q, pixeles(color), nullptr, w, h, "/DeviceRGB");
    if (alfa)
        x.getDict().replaceKey(
            "/SMask", imagenXObject(q, pixeles(img.extract_band(3)), nullptr, w, h, "/DeviceGray"));
    return x;
}

} // namespace

Resultado<Ruta> pdfDesdeImagen(const Ruta& imagen) {
    iniciarMotor();
    std::string nombre = nombreVisible(imagen);
    auto cargada = cargarImagen(imagen);
    if (!cargada) return error("No se pudo leer " + nombre);
    Cabecera c = leerCabecera(imagen);
    int orientacion = cargada->propiedades && cargada->propiedades->orientation
                          ? *cargada->propiedades->orientation
                          : 1;
    if (orientacion >= 5 && orientacion <= 8) std::swap(c.dpiX, c.dpiY);
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
        auto x = contenidoImagen(*q, imagen, *cargada, c);
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
