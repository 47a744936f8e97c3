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
    for (const auto& fila : tablaPDF()) {
        Ruta salida = *dir / (fila.sufijo + ".pdf");
        auto w = escribirPDF(base, fila.dpi, fila.calidad, opciones, salida);
        if (!w) return w.error();
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
