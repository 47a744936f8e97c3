// Opening, unlocking, page lists, thumbnails and the blank page.
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"

#include <poppler/cpp/poppler-document.h>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Livora {

AperturaPDF estadoPDF(const Ruta& url) {
    auto d = abrirQPDF(url, std::nullopt);
    if (d.qpdf) return AperturaPDF::Abierto;
    return d.bloqueado ? AperturaPDF::Bloqueado : AperturaPDF::Ilegible;
}

bool abrePDF(const Ruta& url, const std::optional<std::string>& contrasena) {
    // The password is only tried when none is not enough.
    auto d = abrirQPDF(url, std::nullopt);
    if (!d.qpdf && d.bloqueado && contrasena) d = abrirQPDF(url, contrasena);
    return d.qpdf != nullptr;
}

Resultado<Ruta> desbloquear(const Ruta& url, const std::string& contrasena) {
    auto d = abrirQPDF(url, std::nullopt);
    if (!d.qpdf && d.bloqueado) d = abrirQPDF(url, contrasena);
    if (!d.qpdf) return error("Contraseña incorrecta");
    auto dir = dirTemporal(ClaseTemporal::Descifrado);
    if (!dir) return dir.error();
    Ruta salida = *dir / url.filename();
    auto w = escribirQPDF(*d.qpdf, nullptr, salida);
    if (!w) return w.error();
    return salida;
}

std::vector<PaginaPDF> paginasDe(const Ruta& url) {
    auto d = abrirQPDF(url, std::nullopt);
    if (!d.qpdf) return {};
    std::vector<PaginaPDF> r;
    std::int64_t n = 0;
    try {
        n = static_cast<std::int64_t>(QPDFPageDocumentHelper(*d.qpdf).getAllPages().size());
    } catch (const std::exception&) {
        return {};
    }
    for (std::int64_t i = 0; i < n; ++i)
        r.push_back(PaginaPDF{Uuid::nuevo(), url, i, 0});
    return r;
}

int rotacionNormalizada(std::int64_t grados) {
    return static_cast<int>(((grados % 360) + 360) % 360);
}

std::string claveMiniatura(const PaginaPDF& p) {
    return p.fuente.string() + "#" + std::to_string(p.indice);
}

LectorMiniaturas::LectorMiniaturas() = default;
LectorMiniaturas::~LectorMiniaturas() = default;

std::optional<Imagen> LectorMiniaturas::dibujar(const PaginaPDF& p, int ancho, int alto) {
    iniciarMotor();
    auto it = abiertos_.find(p.fuente);
    if (it == abiertos_.end())
        it = abiertos_
                 .emplace(p.fuente,
                          std::shared_ptr<poppler::document>(abrirPoppler(p.fuente, std::nullopt)))
                 .first;
    if (!it->second || p.indice < 0 || p.indice >= it->second->pages() || ancho < 1 || alto < 1)
        return std::nullopt;
    return dibujarAjustada(*it->second, static_cast<int>(p.indice), ancho, alto);
}

std::map<std::string, Imagen> miniaturas(const std::vector<PaginaPDF>& paginas,
                                         std::map<std::string, Imagen> existentes) {
    LectorMiniaturas lector;
    for (const auto& p : paginas) {
        std::string clave = claveMiniatura(p);
        if (existentes.count(clave)) continue;
        if (auto m = lector.dibujar(p, anchoMiniatura, altoMiniatura))
            existentes.emplace(clave, *m);
    }
    return existentes;
}

Resultado<Ruta> paginaEnBlanco() {
    auto dir = dirTemporal();
    if (!dir) return dir.error();
    Ruta salida = *dir / "blanco.pdf";
    try {
        auto q = qpdfVacio();
        auto pagina = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] "
                                              "/Resources << >> >>");
        pagina.replaceKey("/Contents", QPDFObjectHandle::newStream(q.get(), ""));
        q->addPage(q->makeIndirectObject(pagina), false);
        if (!escribirQPDF(*q, nullptr, salida)) return error("No se pudo crear la página");
    } catch (const std::exception&) {
        return error("No se pudo crear la página");
    }
    return salida;
}

} // namespace Livora
