#include "motor/lista_paginas.h"

#include "motor/formato.h"
#include "motor/pdf.h"
#include "motor/tipos.h"

#include <charconv>
#include <optional>

namespace Livora {

// ---- Inserting files ---------------------------------------------------------------------

Resultado<std::vector<PaginaPDF>> paginasParaInsertar(const Ruta& url) {
    const Error fallo = error("No se pudo añadir: " + url.filename().string());
    if (esImagen(url)) {
        auto pdf = pdfDesdeImagen(url);
        if (!pdf) return fallo;
        return std::vector<PaginaPDF>{PaginaPDF{Uuid::nuevo(), *pdf, 0, 0}};
    }
    // A locked document opens with no pages to give: it counts as a failure too.
    if (estadoPDF(url) != AperturaPDF::Abierto) return fallo;
    auto paginas = paginasDe(url);
    if (paginas.empty()) return fallo;
    return paginas;
}

PaginasInsertadas paginasDeArchivos(const std::vector<Ruta>& urls) {
    PaginasInsertadas r;
    for (const auto& url : urls) {
        auto p = paginasParaInsertar(url);
        if (!p) {
            r.fallidos.push_back(url.filename().string());
            continue;
        }
        r.paginas.insert(r.paginas.end(), p->begin(), p->end());
    }
    return r;
}

std::string avisoNoAnadidos(const std::vector<std::string>& fallidos) {
    return avisoNombres("No se pudo añadir: ", fallidos);
}

std::string textoExtraidas(std::size_t n) {
    const char* s = n == 1 ? "" : "s";
    return "✓ " + std::to_string(n) + " página" + s + " extraída" + s;
}

// ---- Page expressions ----------------------------------------------------------------------

namespace {

std::string_view recortar(std::string_view s) {
    const auto esEspacio = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && esEspacio(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && esEspacio(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads the digits at the start of `s` into `v`, consuming them.
bool leerNumero(std::string_view& s, std::int64_t& v) {
    if (s.empty() || s.front() < '0' || s.front() > '9') return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc{}) return false;
    s.remove_prefix(static_cast<std::size_t>(r.ptr - s.data()));
    return true;
}

// "+90", "-90", "+180"… consuming all of `s`; none when it is not one.
std::optional<std::int64_t> leerGiro(std::string_view s) {
    if (s.size() < 2 || (s.front() != '+' && s.front() != '-')) return std::nullopt;
    const bool negativo = s.front() == '-';
    s.remove_prefix(1);
    std::int64_t v = 0;
    if (!leerNumero(s, v) || !s.empty() || v % 90 != 0 || v > 36000) return std::nullopt;
    return negativo ? -v : v;
}

std::optional<ElementoLista> leerElemento(std::string_view s) {
    ElementoLista e;
    if (!s.empty() && s.front() == '@') {
        auto ruta = recortar(s.substr(1));
        if (ruta.empty()) return std::nullopt;
        e.tipo = ElementoLista::Tipo::Archivo;
        e.archivo = Ruta(std::string(ruta));
        return e;
    }
    constexpr std::string_view blanco = "blanco";
    if (s.substr(0, blanco.size()) == blanco) {
        e.tipo = ElementoLista::Tipo::Blanco;
        s.remove_prefix(blanco.size());
    } else {
        if (!leerNumero(s, e.desde)) return std::nullopt;
        e.hasta = e.desde;
        // A dash followed by a number is the end of a range, never a turn.
        if (s.size() >= 2 && s[0] == '-' && s[1] >= '0' && s[1] <= '9') {
            s.remove_prefix(1);
            if (!leerNumero(s, e.hasta)) return std::nullopt;
        }
    }
    if (!s.empty()) {
        auto giro = leerGiro(s);
        if (!giro) return std::nullopt;
        e.giro = *giro;
    }
    return e;
}

std::string textoPaginasPDF(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " página" : " páginas");
}

} // namespace

Resultado<std::vector<ElementoLista>> analizarListaPaginas(std::string_view expresion) {
    std::vector<ElementoLista> r;
    std::string_view resto = expresion;
    for (;;) {
        const auto coma = resto.find(',');
        const auto texto = recortar(resto.substr(0, coma));
        auto e = leerElemento(texto);
        if (!e)
            return error("Expresión de páginas no válida: «" + std::string(texto) +
                         "» (usa N, N-M, N+90, blanco o @ARCHIVO, separados por comas)");
        r.push_back(std::move(*e));
        if (coma == std::string_view::npos) break;
        resto.remove_prefix(coma + 1);
    }
    return r;
}

Resultado<std::vector<PaginaPDF>> construirLista(const std::vector<ElementoLista>& elementos,
                                                 const std::vector<PaginaPDF>& base) {
    std::vector<PaginaPDF> r;
    std::optional<Ruta> blanco; // one file serves every blank page
    const auto n = static_cast<std::int64_t>(base.size());
    for (const auto& e : elementos) {
        switch (e.tipo) {
        case ElementoLista::Tipo::Paginas: {
            for (auto p : {e.desde, e.hasta})
                if (p < 1 || p > n)
                    return error("La página " + std::to_string(p) + " no existe: el PDF tiene " +
                                 textoPaginasPDF(base.size()));
            const std::int64_t paso = e.desde <= e.hasta ? 1 : -1;
            for (std::int64_t p = e.desde;; p += paso) {
                PaginaPDF x = base[static_cast<std::size_t>(p - 1)];
                x.id = Uuid::nuevo();
                x.rotacion += e.giro;
                r.push_back(std::move(x));
                if (p == e.hasta) break;
            }
            break;
        }
        case ElementoLista::Tipo::Blanco: {
            if (!blanco) {
                auto b = paginaEnBlanco();
                if (!b) return b.error();
                blanco = *b;
            }
            r.push_back(PaginaPDF{Uuid::nuevo(), *blanco, 0, e.giro});
            break;
        }
        case ElementoLista::Tipo::Archivo: {
            auto p = paginasParaInsertar(e.archivo);
            if (!p) return p.error();
            r.insert(r.end(), p->begin(), p->end());
            break;
        }
        }
    }
    return r;
}

} // namespace Livora
