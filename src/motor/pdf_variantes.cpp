// The four PDF alternatives of a page list.
#include "motor/archivos.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"
#include "motor/temporales.h"

#include <poppler/cpp/poppler-document.h>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Livora {

Resultado<SalidaPDF> variantesPDF(const std::vector<PaginaPDF>& paginas,
                                  const OpcionesPDF& opciones, const ControlTrabajo& control) {
    auto dir = dirTemporal();
    if (!dir) return dir.error();
    // A failed or abandoned run leaves no partial files behind.
    auto fallo = [&](const Error& e) -> Resultado<SalidaPDF> {
        retirarTemporal(*dir);
        return e;
    };
    Ruta base = *dir / "base.pdf";
    {
        auto e = ensamblarPDF(paginas);
        if (!e) return fallo(e.error());
        // Every page of every alternative, announced at once so the fraction only grows.
        const auto n = QPDFPageDocumentHelper(*e->doc).getAllPages().size();
        control.previstos(static_cast<std::int64_t>(n * tablaPDF().size()));
        if (control.cancelado()) return fallo(errorCancelado());
        auto w = escribirQPDF(*e->doc, nullptr, base, &control);
        if (!w) return fallo(w.error());
        if (!abrirQPDF(base, std::nullopt).qpdf) return fallo(error("No se pudo preparar el PDF"));
    }
    SalidaPDF r;
    r.preview = renderPDF(base);
    bool protegido = opciones.proteger && !opciones.contrasena.empty();
    std::optional<std::string> clave;
    if (protegido) clave = opciones.contrasena;
    for (const auto& fila : tablaPDF()) {
        if (control.cancelado()) return fallo(errorCancelado());
        Ruta salida = *dir / (fila.sufijo + ".pdf");
        auto w = escribirPDF(base, fila.dpi, fila.calidad, opciones, salida, control);
        if (!w) return fallo(w.error());
        Variante v;
        v.nombre = fila.nombre;
        v.detalle = fila.detalle;
        v.sufijo = fila.sufijo;
        v.ext = "pdf";
        v.urlTemp = salida;
        v.bytes = tamano(salida);
        auto doc = abrirPoppler(salida, clave);
        v.preview = doc && doc->pages() > 0;
        r.variantes.push_back(std::move(v));
    }
    return r;
}

} // namespace Livora
