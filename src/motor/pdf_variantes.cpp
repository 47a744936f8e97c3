// The four PDF alternatives of a page list.
#include "motor/archivos.h"
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"

#include <poppler/cpp/poppler-document.h>

namespace Livora {

Resultado<SalidaPDF> variantesPDF(const std::vector<PaginaPDF>& paginas,
                                  const OpcionesPDF& opciones) {
    auto dir = dirTemporal();
    if (!dir) return dir.error();
    Ruta base = *dir / "base.pdf";
    {
        auto e = ensamblarPDF(paginas);
        if (!e) return e.error();
        if (!escribirQPDF(*e->doc, nullptr, base) || !abrirQPDF(base, std::nullopt).qpdf)
            return error("No se pudo preparar el PDF");
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
        } else if (auto w = escribirPDF(base, std::nullopt, fila.calidad, opciones, salida); !w) {
            return w.error();
        }
    }
    if (!raster.empty())
        if (auto w = escribirPDFRaster(base, raster, opciones); !w) return w.error();
    for (const auto& fila : tablaPDF()) {
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
