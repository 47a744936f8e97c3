#include "motor/ingesta_pdf.h"

#include "motor/archivos.h"
#include "motor/pdf.h"

namespace Livora {

Resultado<ArchivoEstado> ingestaPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                    std::optional<std::int64_t> bytesOriginal) {
    ArchivoEstado a;
    a.url = url;
    a.esImagen = false;
    a.bytesOriginal = bytesOriginal ? *bytesOriginal : tamano(url);
    a.fuentePDF = fuente;
    a.esCombinado = esCombinado;
    a.paginas = paginasDe(fuente);
    a.paginasIniciales = static_cast<std::int64_t>(a.paginas.size());
    // An unreadable file would otherwise surface as an empty page list.
    if (a.paginas.empty() && estadoPDF(fuente) != AperturaPDF::Abierto)
        return error("No se pudo abrir " + fuente.filename().string());
    auto salida = variantesPDF(a.paginas, a.opcionesPDF);
    if (!salida) return salida.error();
    a.previewAntes = enMemoria(std::move(salida->preview));
    a.variantes = std::move(salida->variantes);
    a.seleccionada = seleccionInicial(a.variantes, a.bytesOriginal);
    a.miniaturas = miniaturas(a.paginas, {});
    return a;
}

} // namespace Livora
