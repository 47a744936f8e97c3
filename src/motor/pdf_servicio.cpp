#include "motor/pdf_servicio.h"

#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/texto.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

namespace Livora {

namespace {

void silenciarPoppler() {
    static std::once_flag una;
    // Damaged files make poppler talk on stderr; the user sees our notices instead.
    std::call_once(
        una, [] { poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr); });
}

int rotacionValida(long long r) {
    int n = static_cast<int>(((r % 360) + 360) % 360);
    return n % 90 == 0 ? n : 0; // readers ignore a rotation that is not a quarter turn
}

QPDFObjectHandle::Rectangle normalizado(QPDFObjectHandle::Rectangle r) {
    return {std::min(r.llx, r.urx), std::min(r.lly, r.ury), std::max(r.llx, r.urx),
            std::max(r.lly, r.ury)};
}

// Poppler's padded BGR rows into a vips-owned RGB buffer, in one vectorised pass. (Handing
// poppler's own buffer to vips would save this pass, but vips' operation cache keeps such
// foreign pictures alive by the dozen: memory it does not count towards its limit.)
std::optional<Imagen> aImagen(const poppler::image& im) {
    if (!im.is_valid() || im.format() != poppler::image::format_bgr24) return std::nullopt;
    const int w = im.width(), h = im.height();
    auto v = imagenEnMemoria(w, h);
    if (!v) return std::nullopt;
    try {
        const cv::Mat bgr(h, w, CV_8UC3, const_cast<char*>(im.const_data()),
                          static_cast<std::size_t>(im.bytes_per_row()));
        cv::Mat rgb(h, w, CV_8UC3, VIPS_IMAGE_ADDR(v->get_image(), 0, 0));
        cv::cvtColor(bgr, rgb, cv::COLOR_BGR2RGB);
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    return v;
}

void preparar(poppler::page_renderer& r) {
    r.set_render_hint(poppler::page_renderer::antialiasing, true);
    r.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    r.set_paper_color(0xffffffff);
    r.set_image_format(poppler::image::format_bgr24);
}

} // namespace

std::optional<Imagen> imagenEnMemoria(std::int64_t ancho, std::int64_t alto) {
    if (ancho < 1 || alto < 1 || ancho > 65535 || alto > 65535) return std::nullopt;
    VipsImage* v = vips_image_new_memory();
    vips_image_init_fields(v, static_cast<int>(ancho), static_cast<int>(alto), 3, VIPS_FORMAT_UCHAR,
                           VIPS_CODING_NONE, VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    if (vips_image_write_prepare(v) != 0) {
        g_object_unref(v);
        vips_error_clear();
        return std::nullopt;
    }
    return Imagen(v);
}

std::vector<std::string> candidatasContrasena(const std::string& utf8) {
    std::vector<std::string> r{utf8};
    std::string pdfdoc = bytesContrasena(utf8);
    if (pdfdoc != utf8) r.push_back(pdfdoc);
    return r;
}

std::string bytesContrasena(const std::string& utf8) {
    std::string pdfdoc;
    if (QUtil::utf8_to_pdf_doc(utf8, pdfdoc)) return pdfdoc;
    return utf8;
}

std::shared_ptr<QPDF> qpdfVacio() {
    auto q = std::make_shared<QPDF>();
    q->setSuppressWarnings(true);
    q->emptyPDF();
    return q;
}

DocumentoQPDF abrirQPDF(const Ruta& url, const std::optional<std::string>& contrasena) {
    DocumentoQPDF r;
    for (const auto& clave : candidatasContrasena(contrasena.value_or(""))) {
        auto q = std::make_shared<QPDF>();
        q->setSuppressWarnings(true);
        try {
            q->processFile(url.c_str(), clave.c_str());
            // A page tree that cannot be walked makes the file unreadable, not empty.
            QPDFPageDocumentHelper(*q).getAllPages();
            return {q, false};
        } catch (const QPDFExc& e) {
            if (e.getErrorCode() != qpdf_e_password) return {};
            r.bloqueado = true;
        } catch (const std::exception&) {
            return {};
        }
    }
    return r;
}

std::unique_ptr<poppler::document> abrirPoppler(const Ruta& url,
                                                const std::optional<std::string>& contrasena) {
    silenciarPoppler();
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(url.string()));
    if (!doc) return nullptr;
    if (doc->is_locked() && contrasena)
        for (const auto& clave : candidatasContrasena(*contrasena))
            if (!doc->unlock(clave, clave)) break;
    if (doc->is_locked()) return nullptr;
    return doc;
}

GeometriaPagina geometria(QPDFObjectHandle pagina) {
    GeometriaPagina g;
    try {
        QPDFPageObjectHelper ph(pagina);
        auto media = ph.getMediaBox();
        if (!media.isRectangle()) return g;
        auto m = normalizado(media.getArrayAsRectangle());
        g.x0 = m.llx, g.y0 = m.lly, g.x1 = m.urx, g.y1 = m.ury;
        auto c = m;
        auto crop = ph.getCropBox();
        if (crop.isRectangle()) c = normalizado(crop.getArrayAsRectangle());
        g.cx0 = std::clamp(c.llx, m.llx, m.urx), g.cx1 = std::clamp(c.urx, m.llx, m.urx);
        g.cy0 = std::clamp(c.lly, m.lly, m.ury), g.cy1 = std::clamp(c.ury, m.lly, m.ury);
        if (g.cx1 <= g.cx0 || g.cy1 <= g.cy0)
            g.cx0 = g.x0, g.cx1 = g.x1, g.cy0 = g.y0, g.cy1 = g.y1;
        auto rot = ph.getAttribute("/Rotate", false);
        if (rot.isNumber()) g.rotacion = rotacionValida(std::llround(rot.getNumericValue()));
    } catch (const std::exception&) {
        return GeometriaPagina{};
    }
    return g;
}

std::optional<Imagen> dibujarPagina(poppler::document& doc, int indice, const GeometriaPagina& g,
                                    double dpi, std::int64_t ancho, std::int64_t alto) {
    std::unique_ptr<poppler::page> p(doc.create_page(indice));
    if (!p || ancho < 1 || alto < 1) return std::nullopt;
    const double s = dpi / 72.0;
    // Poppler draws the crop box from its top-left corner; never ask past its edges.
    const std::int64_t w = std::min<std::int64_t>(static_cast<std::int64_t>(g.ancho() * s), ancho);
    const std::int64_t h = std::min<std::int64_t>(static_cast<std::int64_t>(g.alto() * s), alto);
    if (w < 1 || h < 1) return std::nullopt;
    poppler::page_renderer r;
    preparar(r);
    auto im =
        aImagen(r.render_page(p.get(), dpi, dpi, 0, 0, static_cast<int>(w), static_cast<int>(h)));
    if (!im) return std::nullopt;
    if (im->width() == ancho && im->height() == alto) return im;
    try {
        // A pixel short of the asked size by rounding: white paper fills it.
        return im
            ->embed(0, 0, static_cast<int>(ancho), static_cast<int>(alto),
                    Imagen::option()
                        ->set("extend", VIPS_EXTEND_BACKGROUND)
                        ->set("background", std::vector<double>{255, 255, 255}))
            .copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

std::optional<Imagen> dibujarAjustada(poppler::document& doc, int indice, double ancho,
                                      double alto) {
    std::unique_ptr<poppler::page> p(doc.create_page(indice));
    if (!p) return std::nullopt;
    auto rect = p->page_rect(poppler::crop_box);
    double w = rect.width(), h = rect.height();
    auto o = p->orientation();
    if (o == poppler::page::landscape || o == poppler::page::seascape) std::swap(w, h);
    if (!(w > 0) || !(h > 0)) return std::nullopt;
    double escala = std::min(ancho / w, alto / h);
    std::int64_t pw = std::max<std::int64_t>(1, static_cast<std::int64_t>(w * escala));
    std::int64_t ph = std::max<std::int64_t>(1, static_cast<std::int64_t>(h * escala));
    poppler::page_renderer r;
    preparar(r);
    return aImagen(r.render_page(p.get(), 72 * escala, 72 * escala, 0, 0, static_cast<int>(pw),
                                 static_cast<int>(ph)));
}

void aplanarPaginas(QPDF& q) {
    q.pushInheritedAttributesToPage();
    QPDFAcroFormDocumentHelper afdh(q);
    for (auto& ph : QPDFPageDocumentHelper(q).getAllPages()) {
        auto oh = ph.getObjectHandle();
        auto media = ph.getMediaBox();
        if (!media.isRectangle()) continue;
        auto m = normalizado(media.getArrayAsRectangle());
        oh.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle(m));
        auto rot = oh.getKey("/Rotate");
        int r = rot.isNumber() ? rotacionValida(std::llround(rot.getNumericValue())) : 0;
        if (r == 0)
            oh.removeKey("/Rotate");
        else
            oh.replaceKey("/Rotate", QPDFObjectHandle::newInteger(r));
        ph.flattenRotation(&afdh);

        m = normalizado(ph.getMediaBox().getArrayAsRectangle());
        if (m.llx == 0 && m.lly == 0) continue;
        // Move the origin to 0,0: content, boxes and annotations shift together.
        char cm[96];
        std::snprintf(cm, sizeof cm, "q\n1 0 0 1 %.4f %.4f cm\n", -m.llx, -m.lly);
        ph.addPageContents(QPDFObjectHandle::newStream(&q, cm), true);
        ph.addPageContents(QPDFObjectHandle::newStream(&q, "\nQ\n"), false);
        for (const char* caja : {"/MediaBox", "/CropBox", "/BleedBox", "/TrimBox", "/ArtBox"}) {
            auto b = oh.getKey(caja);
            if (!b.isRectangle()) continue;
            auto c = normalizado(b.getArrayAsRectangle());
            oh.replaceKey(caja, QPDFObjectHandle::newFromRectangle(
                                    {c.llx - m.llx, c.lly - m.lly, c.urx - m.llx, c.ury - m.lly}));
        }
        auto annots = oh.getKey("/Annots");
        if (annots.isArray() && annots.getArrayNItems() > 0) {
            std::vector<QPDFObjectHandle> nuevas, camposNuevos;
            std::set<QPDFObjGen> camposViejos;
            afdh.transformAnnotations(annots, nuevas, camposNuevos, camposViejos,
                                      QPDFMatrix(1, 0, 0, 1, -m.llx, -m.lly));
            afdh.removeFormFields(camposViejos);
            for (auto& f : camposNuevos)
                afdh.addFormField(QPDFFormFieldObjectHelper(f));
            oh.replaceKey("/Annots", QPDFObjectHandle::newArray(nuevas));
        }
    }
}

namespace {
// "No se pudo escribir base.pdf", with the disk's reason when it is one the user can act on.
Error errorEscritura(const Ruta& salida, int err) {
    std::string m = "No se pudo escribir " + nombreVisible(salida);
    if (err == ENOSPC || err == EDQUOT || err == EFBIG || err == EIO || err == EROFS ||
        err == EACCES)
        m += ": " + motivoSistema(err, salida, Operacion::Escribir);
    return error(m);
}
} // namespace

namespace {
struct Abandonado : std::runtime_error {
    Abandonado() : std::runtime_error("cancelado") {}
};
// qpdf reports its progress while writing; a cancelled job stops it there.
class Abandono : public QPDFWriter::ProgressReporter {
public:
    explicit Abandono(const ControlTrabajo& c) : c_(c) {}
    void reportProgress(int) override {
        if (c_.cancelado()) throw Abandonado();
    }

private:
    ControlTrabajo c_;
};
} // namespace

Resultado<void> escribirQPDF(QPDF& q, const OpcionesPDF* opciones, const Ruta& salida,
                             const ControlTrabajo* control) {
    Ruta tmp = salida.parent_path() / (".livora-" + Uuid::nuevo().texto() + ".pdf");
    std::error_code ec;
    try {
        if (opciones) {
            auto info = q.makeIndirectObject(QPDFObjectHandle::newDictionary());
            info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString("Livora"));
            if (!opciones->titulo.empty())
                info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(opciones->titulo));
            if (!opciones->autor.empty())
                info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(opciones->autor));
            q.getTrailer().replaceKey("/Info", info);
        }
        // Readable by the user alone, like its folder: an unlocked copy of a protected
        // file must stay private even if a killed run leaves it behind.
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return errorSistema(errno, salida, Operacion::Escribir);
        FILE* f = ::fdopen(fd, "wb");
        if (!f) {
            ::close(fd);
            std::filesystem::remove(tmp, ec);
            return errorSistema(ENOMEM, salida, Operacion::Escribir);
        }
        QPDFWriter w(q);
        w.setOutputFile(tmp.c_str(), f, true);
        w.setObjectStreamMode(qpdf_o_generate);
        w.setCompressStreams(true);
        // Generalized only: a full decode would re-encode the JPEGs.
        w.setDecodeLevel(qpdf_dl_generalized);
        if (opciones && opciones->proteger && !opciones->contrasena.empty()) {
            std::string clave = bytesContrasena(opciones->contrasena);
            w.setR4EncryptionParametersInsecure(clave.c_str(), clave.c_str(), true, true, true,
                                                true, true, true, qpdf_r3p_full, true, true);
        } else {
            w.setPreserveEncryption(false);
        }
        if (control) w.registerProgressReporter(std::make_shared<Abandono>(*control));
        w.write();
    } catch (const Abandonado&) {
        std::filesystem::remove(tmp, ec);
        return errorCancelado();
    } catch (const std::exception&) {
        // qpdf reports a failed write as text; the disk's reason is still in errno.
        const int err = errno;
        std::filesystem::remove(tmp, ec);
        return errorEscritura(salida, err);
    }
    std::filesystem::rename(tmp, salida, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return errorEscritura(salida, ec.value());
    }
    return {};
}

} // namespace Livora
