// --paginas and --extraer: page lists written as expressions, built by the same engine
// the organiser inserts and applies with.
#include "cli/comandos.h"
#include "motor/lista_paginas.h"
#include "motor/pdf.h"
#include "motor/tipos.h"

#include <filesystem>
#include <iostream>

namespace Livora::Cli {

Resultado<std::optional<std::vector<PaginaPDF>>> listaPedida(const Ruta& fuente,
                                                             const Opciones& o) {
    if (!o.paginas) return std::optional<std::vector<PaginaPDF>>{};
    const auto base = paginasDe(fuente);
    if (base.empty()) return std::optional<std::vector<PaginaPDF>>{};
    auto lista = construirLista(*o.paginas, base);
    if (!lista) return lista.error();
    return std::optional(std::move(*lista));
}

int extraer(const Opciones& o) {
    if (o.archivos.size() != 1 || esImagen(o.archivos.front())) {
        std::cerr << "❌ --extraer trabaja sobre un solo PDF\n";
        return 2;
    }
    const Ruta& url = o.archivos.front();
    const std::string nombre = url.filename().string();
    // "--extraer 1-3 informe.pdf otro.pdf" with the two names swapped would replace the
    // document being read.
    std::error_code ec;
    if (std::filesystem::equivalent(url, o.extraerA, ec)) {
        std::cerr << "❌ " << o.extraerA.filename().string()
                  << " es el PDF de entrada: elige otro nombre para la salida\n";
        return 2;
    }
    auto fuente = fuenteLegible(url, o);
    if (!fuente) {
        std::cerr << "❌ " << nombre << ": " << fuente.error().mensaje << "\n";
        return 3;
    }
    const auto base = paginasDe(*fuente);
    if (base.empty()) {
        std::cerr << "❌ " << nombre << ": No se pudo abrir " << nombre << "\n";
        return 1;
    }
    auto lista = construirLista(*o.extraer, base);
    if (!lista) {
        std::cerr << "❌ " << nombre << ": " << lista.error().mensaje << "\n";
        return 1;
    }
    if (auto r = exportarPaginas(*lista, o.extraerA); !r) {
        std::cerr << "❌ " << r.error().mensaje << "\n";
        return 1;
    }
    std::cout << textoExtraidas(lista->size()) << "\n";
    return 0;
}

} // namespace Livora::Cli
