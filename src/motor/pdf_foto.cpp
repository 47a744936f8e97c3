// Pages that are one JPEG picture on white paper, drawn at a resolution without poppler:
// the picture's own JPEG decoded, turned and resized to where the page would show it.
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <tuple>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace Livora {

namespace {

// Follows the content stream and accepts only q, Q, cm and a single Do: anything else
// (text, paths, colour, a second picture, an inline image, a graphics state) may show.
class UnSoloDibujo : public QPDFObjectHandle::ParserCallbacks {
public:
    void handleObject(QPDFObjectHandle o, size_t, size_t) override {
        if (!o.isOperator()) {
            operandos_.push_back(o);
            return;
        }
        const std::string op = o.getOperatorValue();
        if (op == "q" && operandos_.empty()) {
            pila_.push_back(ctm_);
        } else if (op == "Q" && operandos_.empty() && !pila_.empty()) {
            ctm_ = pila_.back();
            pila_.pop_back();
        } else if (op == "cm" && operandos_.size() == 6 && numeros()) {
            std::array<double, 6> v;
            for (std::size_t i = 0; i < 6; ++i)
                v[i] = operandos_[i].getNumericValue();
            ctm_.concat(QPDFMatrix(v[0], v[1], v[2], v[3], v[4], v[5]));
        } else if (op == "Do" && operandos_.size() == 1 && operandos_[0].isName() && !nombre) {
            nombre = operandos_[0].getName();
            matriz = ctm_;
        } else {
            valido = false;
            terminateParsing();
        }
        operandos_.clear();
    }
    void handleEOF() override {
        if (!operandos_.empty()) valido = false;
    }

    bool valido = true;
    std::optional<std::string> nombre; // the XObject drawn
    QPDFMatrix matriz;                 // and the matrix it was drawn with

private:
    bool numeros() {
        return std::all_of(operandos_.begin(), operandos_.end(),
                           [](QPDFObjectHandle& h) { return h.isNumber(); });
    }
    std::vector<QPDFObjectHandle> operandos_;
    std::vector<QPDFMatrix> pila_;
    QPDFMatrix ctm_; // identity
};

// A white ancho × alto page in memory, left unwritten inside [x0, x1) × [y0, y1), where
// the picture goes: a fresh buffer is filled once, not cleared and then overwritten.
std::optional<Imagen> paginaEnBlanco(std::int64_t ancho, std::int64_t alto, std::int64_t x0,
                                     std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    auto v = imagenEnMemoria(ancho, alto);
    if (!v) return std::nullopt;
    const std::size_t fila = static_cast<std::size_t>(ancho) * 3;
    for (std::int64_t y = 0; y < alto; ++y) {
        auto* p = VIPS_IMAGE_ADDR(v->get_image(), 0, y);
        if (y < y0 || y >= y1) {
            std::memset(p, 255, fila);
        } else {
            std::memset(p, 255, static_cast<std::size_t>(x0) * 3);
            std::memset(p + x1 * 3, 255, static_cast<std::size_t>(ancho - x1) * 3);
        }
    }
    return v;
}

bool nuloOVacio(QPDFObjectHandle o) {
    if (o.isNull()) return true;
    if (o.isDictionary()) return o.getKeys().empty();
    if (o.isArray()) return o.getArrayNItems() == 1 && nuloOVacio(o.getArrayItem(0));
    return false;
}

// A JPEG picture that any reader draws the same: 8-bit RGB or grey straight from the
// DCT data, nothing to mask, remap or convert.
bool imagenSimple(QPDFObjectHandle img) {
    if (!img.isStream()) return false;
    auto d = img.getDict();
    if (!d.getKey("/Subtype").isNameAndEquals("/Image")) return false;
    auto filtro = d.getKey("/Filter");
    if (filtro.isArray() && filtro.getArrayNItems() == 1) filtro = filtro.getArrayItem(0);
    if (!filtro.isNameAndEquals("/DCTDecode")) return false;
    if (!nuloOVacio(d.getKey("/DecodeParms"))) return false;
    auto bpc = d.getKey("/BitsPerComponent");
    if (!bpc.isInteger() || bpc.getIntValue() != 8) return false;
    auto cs = d.getKey("/ColorSpace");
    if (!cs.isNameAndEquals("/DeviceRGB") && !cs.isNameAndEquals("/DeviceGray")) return false;
    for (const char* k : {"/SMask", "/Mask", "/Decode", "/ImageMask", "/SMaskInData", "/OC"})
        if (d.hasKey(k) && !d.getKey(k).isNull()) return false;
    auto w = d.getKey("/Width"), h = d.getKey("/Height");
    return w.isInteger() && h.isInteger() && w.getIntValue() >= 1 && h.getIntValue() >= 1 &&
           w.getIntValue() <= 65535 && h.getIntValue() <= 65535;
}

} // namespace

std::optional<FotoPagina> fotoDePagina(QPDF& q, QPDFObjectHandle pagina) {
    try {
        auto annots = pagina.getKey("/Annots");
        if (annots.isArray() ? annots.getArrayNItems() > 0 : !annots.isNull()) return std::nullopt;
        const auto avisos = q.numWarnings();
        UnSoloDibujo c;
        QPDFPageObjectHelper(pagina).parseContents(&c);
        if (!c.valido || !c.nombre || q.numWarnings() != avisos) return std::nullopt;
        const auto& m = c.matriz;
        // Upright and unflipped: the picture's first row is its top one.
        if (!(m.a > 0) || !(m.d > 0) || m.b != 0 || m.c != 0) return std::nullopt;
        auto img = pagina.getKey("/Resources").getKey("/XObject").getKey(*c.nombre);
        if (!imagenSimple(img)) return std::nullopt;
        const GeometriaPagina g = geometria(pagina);
        FotoPagina f;
        f.objeto = img.getObjGen();
        f.ancho = img.getDict().getKey("/Width").getIntValueAsInt();
        f.alto = img.getDict().getKey("/Height").getIntValueAsInt();
        f.gris = img.getDict().getKey("/ColorSpace").isNameAndEquals("/DeviceGray");
        f.x0 = m.e, f.y0 = m.f, f.x1 = m.e + m.a, f.y1 = m.f + m.d;
        // Inside the crop box (a hundredth of a point of slack for written decimals); a
        // picture cut by the page's edge goes to poppler.
        constexpr double holgura = 0.01;
        if (!std::isfinite(f.x1) || !std::isfinite(f.y1) || f.x0 < g.cx0 - holgura ||
            f.y0 < g.cy0 - holgura || f.x1 > g.cx1 + holgura || f.y1 > g.cy1 + holgura)
            return std::nullopt;
        return f;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Imagen> dibujarFoto(const FotoPagina& f, const Buffer& jpeg, const GeometriaPagina& g,
                                  double dpi, std::int64_t ancho, std::int64_t alto) {
    if (ancho < 1 || alto < 1) return std::nullopt;
    // The picture's rectangle from the crop box's top-left corner, in points, then as the
    // page's rotation (clockwise) turns it.
    const double wp = g.cx1 - g.cx0, hp = g.cy1 - g.cy0;
    double l = f.x0 - g.cx0, r = f.x1 - g.cx0, t = g.cy1 - f.y1, b = g.cy1 - f.y0;
    VipsAngle giro = VIPS_ANGLE_D0;
    switch (g.rotacion) {
    case 90:
        std::tie(l, r, t, b) = std::make_tuple(hp - b, hp - t, l, r);
        giro = VIPS_ANGLE_D90;
        break;
    case 180:
        std::tie(l, r, t, b) = std::make_tuple(wp - r, wp - l, hp - b, hp - t);
        giro = VIPS_ANGLE_D180;
        break;
    case 270:
        std::tie(l, r, t, b) = std::make_tuple(t, b, wp - r, wp - l);
        giro = VIPS_ANGLE_D270;
        break;
    default:
        break;
    }
    // Pixels as the renderer covers them: from the one holding the near edge through the
    // one holding the far edge, so a picture never leaves a hairline of paper.
    const double s = dpi / 72.0;
    auto px = [s](double v, std::int64_t limite, int mas) {
        return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::floor(v * s)) + mas, 0,
                                        limite);
    };
    const std::int64_t x0 = px(l, ancho, 0), x1 = px(r, ancho, 1), y0 = px(t, alto, 0),
                       y1 = px(b, alto, 1);
    const std::int64_t w = x1 - x0, h = y1 - y0;
    if (w < 1 || h < 1) return std::nullopt;
    const bool tumbada = giro != VIPS_ANGLE_D0 && giro != VIPS_ANGLE_D180;
    const std::int64_t necesitoAncho = tumbada ? h : w, necesitoAlto = tumbada ? w : h;
    // libjpeg's own reduction while decoding, as long as the picture stays at least as
    // large as its place on the page.
    int reduccion = 1;
    for (int k : {8, 4, 2})
        if (f.ancho / k >= necesitoAncho && f.alto / k >= necesitoAlto) {
            reduccion = k;
            break;
        }
    // Decoded whole in memory: a picture larger than any page we draw is left to poppler,
    // which reads it row by row.
    const auto decodificados = static_cast<std::int64_t>((f.ancho + reduccion - 1) / reduccion) *
                               ((f.alto + reduccion - 1) / reduccion);
    if (decodificados > maxPixelesPaginaPDF) return std::nullopt;
    try {
        VipsBlob* blob = vips_blob_new(nullptr, jpeg.getBuffer(), jpeg.getSize());
        Imagen im = Imagen::jpegload_buffer(blob, Imagen::option()
                                                      ->set("shrink", reduccion)
                                                      ->set("fail_on", VIPS_FAIL_ON_TRUNCATED)
                                                      // It borrows bytes that die with this
                                                      // call: never from the cache.
                                                      ->set("revalidate", true));
        vips_area_unref(VIPS_AREA(blob));
        // The JPEG must be what the dictionary says; otherwise readers differ.
        const int bandas = f.gris ? 1 : 3;
        if (im.bands() != bandas || im.format() != VIPS_FORMAT_UCHAR ||
            im.width() != (f.ancho + reduccion - 1) / reduccion ||
            im.height() != (f.alto + reduccion - 1) / reduccion)
            return std::nullopt;
        im = im.copy_memory();
        cv::Mat foto(im.height(), im.width(), bandas == 1 ? CV_8UC1 : CV_8UC3,
                     VIPS_IMAGE_ADDR(im.get_image(), 0, 0));
        if (giro != VIPS_ANGLE_D0) {
            cv::Mat girada;
            cv::rotate(foto, girada,
                       giro == VIPS_ANGLE_D90    ? cv::ROTATE_90_CLOCKWISE
                       : giro == VIPS_ANGLE_D180 ? cv::ROTATE_180
                                                 : cv::ROTATE_90_COUNTERCLOCKWISE);
            foto = girada;
        }
        auto pagina = paginaEnBlanco(ancho, alto, x0, y0, x1, y1);
        if (!pagina) return std::nullopt;
        cv::Mat todo(static_cast<int>(alto), static_cast<int>(ancho), CV_8UC3,
                     VIPS_IMAGE_ADDR(pagina->get_image(), 0, 0));
        cv::Mat sitio = todo(cv::Rect(static_cast<int>(x0), static_cast<int>(y0),
                                      static_cast<int>(w), static_cast<int>(h)));
        // As readers draw pictures: the mean of the covered area when shrinking,
        // bilinear when enlarging.
        const int modo = w <= foto.cols && h <= foto.rows ? cv::INTER_AREA : cv::INTER_LINEAR;
        if (bandas == 3) {
            cv::resize(foto, sitio, sitio.size(), 0, 0, modo);
        } else {
            cv::Mat gris;
            cv::resize(foto, gris, sitio.size(), 0, 0, modo);
            cv::cvtColor(gris, sitio, cv::COLOR_GRAY2RGB);
        }
        return pagina;
    } catch (const vips::VError&) {
        vips_error_clear();
    } catch (const cv::Exception&) {
    }
    return std::nullopt;
}

} // namespace Livora
