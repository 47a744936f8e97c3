#pragma once
// Page lists built from files and from a written expression: what the organiser inserts
// and what the command line's --paginas and --extraer ask for.
#include "modelo/modelo.h"
#include "motor/error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Livora {

// ---- Inserting files ---------------------------------------------------------------------

// The pages a file adds: an image becomes one page (through pdfDesdeImagen), a PDF gives all
// its pages. A locked, unreadable or empty PDF and an image that cannot be converted fail
// with "No se pudo añadir: <name>".
Resultado<std::vector<PaginaPDF>> paginasParaInsertar(const Ruta& url);

// Every file in order; the names of those that gave nothing are listed apart.
struct PaginasInsertadas {
    std::vector<PaginaPDF> paginas;
    std::vector<std::string> fallidos;
};
PaginasInsertadas paginasDeArchivos(const std::vector<Ruta>& urls);
// "No se pudo añadir: a.pdf, b.png"; empty when nothing failed.
std::string avisoNoAnadidos(const std::vector<std::string>& fallidos);
// The confirmation of an extraction: "✓ 3 páginas extraídas", "✓ 1 página extraída".
std::string textoExtraidas(std::size_t n);

// ---- Page expressions ----------------------------------------------------------------------

// One item of "3,1-2,5+90,blanco,@foto.jpg".
struct ElementoLista {
    enum class Tipo { Paginas, Blanco, Archivo };
    Tipo tipo = Tipo::Paginas;
    std::int64_t desde = 0; // 1-based; a range may run backwards
    std::int64_t hasta = 0;
    std::int64_t giro = 0; // degrees added, a multiple of 90
    Ruta archivo;
    bool operator==(const ElementoLista&) const = default;
};

// Items separated by commas: N or N-M (pages of the input), each optionally followed by a
// turn (+90, -90, +180, any multiple of 90), "blanco" (a blank A4 page, may be turned too)
// or "@FILE" (the pages of a PDF or one page for an image). "5-90" is the range 5 to 90;
// turning page 5 left is "5+270" or "5-5-90". An expression that does not follow this
// fails with "Expresión de páginas no válida: …".
Resultado<std::vector<ElementoLista>> analizarListaPaginas(std::string_view expresion);

// The page list the items describe over the input's pages (`base`, in order). Every
// reference gets a new identifier, so a page may appear several times. A page outside the
// input fails with "La página N no existe: el PDF tiene M páginas"; a file that gives no
// page with "No se pudo añadir: <name>".
Resultado<std::vector<PaginaPDF>> construirLista(const std::vector<ElementoLista>& elementos,
                                                 const std::vector<PaginaPDF>& base);

} // namespace Livora
