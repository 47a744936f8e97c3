#pragma once
#include "modelo/modelo.h"
#include "motor/lista_paginas.h"
#include "motor/recorte.h"

#include <optional>
#include <string>
#include <vector>

namespace Livora::Cli {

struct Opciones {
    std::vector<Ruta> archivos;
    AjustesImagen ajustes;
    OpcionesPDF opcionesPDF;
    std::optional<std::string> contrasena;
    std::optional<std::string> guardar; // sufijo, "todas" or "elegida"
    std::optional<Ruta> unir;
    // --paginas: the page list each PDF's alternatives are made from.
    std::optional<std::vector<ElementoLista>> paginas;
    // --extraer: those pages of the one input PDF, written to `extraerA`.
    std::optional<std::vector<ElementoLista>> extraer;
    Ruta extraerA;
    bool json = false;
    // Remove the generation folders at exit even without saving.
    bool limpiar = false;
    bool ayuda = false;
    // Image edits.
    FiltroAjustes filtros;
    std::vector<CapaTexto> capas;
    bool sinFondo = false;
    std::optional<RectFraccion> recortar;
    std::optional<double> proporcion;
};

// Parses the arguments; the error text is printed as it is.
struct Analisis {
    Opciones opciones;
    std::optional<std::string> error;
};
Analisis analizar(const std::vector<std::string>& args);

extern const char* textoAyuda;

} // namespace Livora::Cli
