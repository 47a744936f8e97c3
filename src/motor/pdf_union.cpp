// The merge walk: PDFs and images, in order, into "Combinado.pdf".
#include "motor/archivos.h"
#include "motor/formato.h"
#include "motor/pdf.h"
#include "motor/texto.h"

namespace Livora {

std::vector<EntradaUnion> entradasUnion(const std::vector<ArchivoEstado>& archivos) {
    std::vector<EntradaUnion> r;
    for (const auto& a : archivos) {
        EntradaUnion e;
        e.esImagen = a.esImagen;
        e.paginas = a.paginas;
        e.contenido = a.url;
        if (a.seleccionada)
            for (const auto& v : a.variantes)
                if (v.id == *a.seleccionada) {
                    e.contenido = v.urlTemp;
                    break;
                }
        e.nombre = nombreVisible(a.url);
        e.bytes = a.bytesOriginal;
        r.push_back(std::move(e));
    }
    return r;
}

Resultado<ResultadoUnion> unirArchivos(const std::vector<EntradaUnion>& entradas) {
    ResultadoUnion r;
    std::vector<PaginaPDF> paginas;
    for (const auto& e : entradas) {
        r.bytesOriginal += e.bytes;
        if (!e.esImagen) {
            if (e.paginas.empty())
                r.omitidos.push_back(e.nombre);
            else
                paginas.insert(paginas.end(), e.paginas.begin(), e.paginas.end());
            continue;
        }
        auto pdf = pdfDesdeImagen(e.contenido);
        if (!pdf) {
            r.omitidos.push_back(e.nombre);
            continue;
        }
        paginas.push_back(PaginaPDF{Uuid::nuevo(), *pdf, 0, 0});
    }
    auto dir = dirTemporal();
    if (!dir) return dir.error();
    r.combinado = *dir / "Combinado.pdf";
    auto x = exportarPaginas(paginas, r.combinado);
    if (!x) return x.error();
    return r;
}

std::string avisoOmitidos(const std::vector<std::string>& omitidos) {
    return avisoNombres("⚠️ No se pudo unir: ", omitidos);
}

} // namespace Livora
