// The page-list expression of --paginas and --extraer with arbitrary text, then the list it
// describes over a 40-page input. Files are not opened: "@" items only have to parse.
#include "motor/lista_paginas.h"

#include <cstdlib>
#include <string_view>

using namespace Livora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    // Longer lines only repeat items; they would make huge lists and slow every run.
    if (n > 4096) return 0;
    const auto elementos =
        analizarListaPaginas(std::string_view(reinterpret_cast<const char*>(datos), n));
    if (!elementos) {
        if (elementos.error().mensaje.rfind("Expresión de páginas no válida: ", 0) != 0)
            std::abort();
        return 0;
    }
    if (elementos->empty()) std::abort();

    constexpr std::int64_t total = 40;
    std::vector<PaginaPDF> base(total);
    for (std::int64_t i = 0; i < total; ++i) {
        base[static_cast<std::size_t>(i)].fuente = Ruta("entrada.pdf");
        base[static_cast<std::size_t>(i)].indice = i;
    }
    std::vector<ElementoLista> paginas;
    bool dentro = true;
    std::size_t esperadas = 0;
    for (const auto& e : *elementos) {
        if (e.giro % 90 != 0) std::abort();
        if (e.tipo == ElementoLista::Tipo::Archivo && e.archivo.empty()) std::abort();
        if (e.tipo != ElementoLista::Tipo::Paginas) continue;
        if (e.desde < 0 || e.hasta < 0) std::abort();
        paginas.push_back(e);
        dentro = dentro && e.desde >= 1 && e.desde <= total && e.hasta >= 1 && e.hasta <= total;
        // Only within the input: "0-9223372036854775807" parses, and its length overflows.
        if (dentro) esperadas += static_cast<std::size_t>(std::llabs(e.hasta - e.desde) + 1);
    }
    const auto lista = construirLista(paginas, base);
    if (static_cast<bool>(lista) != dentro) std::abort();
    if (!lista) return 0;
    if (lista->size() != esperadas) std::abort();
    // Each reference is a page of the input, turned as asked.
    std::size_t k = 0;
    for (const auto& e : paginas) {
        const std::int64_t paso = e.desde <= e.hasta ? 1 : -1;
        for (std::int64_t p = e.desde;; p += paso, ++k) {
            const auto& x = (*lista)[k];
            if (x.indice != p - 1 || x.rotacion != e.giro) std::abort();
            if (p == e.hasta) break;
        }
        ++k;
    }
    return 0;
}
