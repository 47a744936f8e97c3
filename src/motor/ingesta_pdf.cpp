#include "motor/ingesta_pdf.h"

#include "motor/apertura.h"
#include "motor/archivos.h"
#include "motor/pdf.h"
#include "motor/temporales.h"
#include "motor/texto.h"

#include <algorithm>

namespace Livora {

Resultado<ArchivoEstado> ingestaPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                    std::optional<std::int64_t> bytesOriginal,
                                    const ControlTrabajo& control,
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
    if (a.paginas.empty() && estadoPDF(fuente) != AperturaPDF::Abierto) {
        auto motivo = motivoIlegible(fuente);
        return error("No se pudo abrir " + nombreVisible(fuente) + (motivo ? ": " + *motivo : ""));
    }
    if (paginas) a.paginas = std::move(*paginas);
    // The first thumbnails only: the organiser draws the others as they come into view.
    const auto conMiniatura = std::min(a.paginas.size(), miniaturasIniciales);
    control.previstos(static_cast<std::int64_t>(conMiniatura));
    auto salida = variantesPDF(a.paginas, a.opcionesPDF, control);
    if (!salida) return salida.error();
    a.previewAntes = enMemoria(std::move(salida->preview));
    a.variantes = std::move(salida->variantes);
    a.seleccionada = seleccionInicial(a.variantes, a.bytesOriginal);
    // In small batches, so a cancellation is seen between them.
    constexpr std::size_t tanda = 16;
    for (std::size_t i = 0; i < conMiniatura; i += tanda) {
        if (control.cancelado()) {
            for (const auto& v : a.variantes)
                retirarTemporal(v.urlTemp.parent_path());
            return errorCancelado();
        }
        const auto fin = std::min(conMiniatura, i + tanda);
        std::vector<PaginaPDF> parte(a.paginas.begin() + static_cast<std::ptrdiff_t>(i),
                                     a.paginas.begin() + static_cast<std::ptrdiff_t>(fin));
        a.miniaturas = miniaturas(parte, std::move(a.miniaturas));
        control.hechos(static_cast<std::int64_t>(fin - i));
    }
    return a;
}

} // namespace Livora
