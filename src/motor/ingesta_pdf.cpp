#include "motor/ingesta_pdf.h"

#include "motor/archivos.h"
#include "motor/pdf.h"

#include <algorithm>

namespace Livora {

Resultado<ArchivoEstado> ingestaPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                    std::optional<std::int64_t> bytesOriginal,
                                    std::optional<std::vector<PaginaPDF>> paginas) {
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
    if (paginas) a.paginas = std::move(*paginas);
    auto salida = variantesPDF(a.paginas, a.opcionesPDF);
    if (!salida) return salida.error();
    a.previewAntes = enMemoria(std::move(salida->preview));
    a.variantes = std::move(salida->variantes);
    a.seleccionada = seleccionInicial(a.variantes, a.bytesOriginal);
    const auto primeras = std::min(a.paginas.size(), miniaturasIniciales);
    a.miniaturas =
        miniaturas({a.paginas.begin(), a.paginas.begin() + std::ptrdiff_t(primeras)}, {});
    return a;
}

} // namespace Livora
