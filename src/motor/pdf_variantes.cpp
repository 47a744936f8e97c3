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
    // The vector copy on its own, the raster rows together: their pages are drawn once.
    std::vector<SalidaRaster> raster;
    for (const auto& fila : tablaPDF()) {
        Ruta salida = *dir / (fila.sufijo + ".pdf");
        if (fila.dpi) {
            raster.push_back({*fila.dpi, fila.calidad, salida});
        } else if (auto w =
                       escribirPDF(base, std::nullopt, fila.calidad, opciones, salida, control);
                   !w) {
            return fallo(w.error());
        }
    }
    if (!raster.empty())
        if (auto w = escribirPDFRaster(base, raster, opciones, control); !w)
            return fallo(w.error());
    for (const auto& fila : tablaPDF()) {
        if (control.cancelado()) return fallo(errorCancelado());
        Ruta salida = *dir / (fila.sufijo + ".pdf");
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
