#pragma once
#include "modelo/imagen_fuente.h"
#include "modelo/propiedades.h"
#include "modelo/uuid.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <vips/vips8>

namespace Livora {

using Ruta = std::filesystem::path;
// The engine's bitmap: decoded 8-bit sRGB pixels (RGB or RGBA) held in memory.
using Imagen = vips::VImage;

// One output alternative; all fields are set once, when it is produced.
struct Variante {
    Uuid id = Uuid::nuevo();
    std::string nombre;
    std::string detalle;
    std::string sufijo;
    std::string ext;
    Ruta urlTemp;
    std::int64_t bytes = 0;
    // The written file could be read back. The picture itself is decoded lazily by
    // whoever shows it, so open files do not hold every alternative's pixels.
    bool preview = false;
};

struct AjustesImagen {
    bool quitarMetadatos = true;
    double calidadCustom = 70;
    double anchoCustom = 0;
    double altoCustom = 0;
    bool proporcionBloqueada = true;
    std::optional<std::int64_t> objetivoKB;
};

struct OpcionesPDF {
    bool proteger = false;
    std::string contrasena;
    std::string titulo;
    std::string autor;
    bool operator==(const OpcionesPDF&) const = default;
};

struct PaginaPDF {
    Uuid id = Uuid::nuevo();
    Ruta fuente;
    std::int64_t indice = 0;
    std::int64_t rotacion = 0;
    bool operator==(const PaginaPDF&) const = default;
};

struct Color {
    double r = 1, g = 1, b = 1, a = 1; // 0…1
    bool operator==(const Color&) const = default;
};

struct CapaTexto {
    Uuid id = Uuid::nuevo();
    std::string texto = "Tu texto";
    double posX = 0.5;
    double posY = 0.4;
    double tamano = 0.08;
    Color color;
    bool sombra = true;
    bool operator==(const CapaTexto&) const = default;
};

struct FiltroAjustes {
    std::string preset = "ninguno";
    double brillo = 0;
    double contraste = 1;
    double saturacion = 1;
    bool operator==(const FiltroAjustes&) const = default;
    bool esNeutro() const { return *this == FiltroAjustes{}; }
};

struct ItemMetadato {
    Uuid id = Uuid::nuevo();
    std::string icono;
    std::string titulo;
    std::string valor;
    bool sensible = false;
};

struct PresetResolucion {
    std::string nombre;
    std::int64_t ancho = 0;
    std::int64_t alto = 0;
};

struct GrupoPresetsResolucion {
    std::string nombre;
    std::vector<PresetResolucion> presets;
};

// One opened image or PDF.
struct ArchivoEstado {
    Uuid id = Uuid::nuevo();
    Ruta url;
    bool esImagen = true;
    std::int64_t bytesOriginal = 0;
    // The working picture (the original with the current cut) and the original, both as
    // recipes decoded on demand; the "before" picture shown for the record.
    std::optional<ImagenFuente> fuente;
    std::optional<ImagenFuente> fuenteOriginal;
    std::optional<Propiedades> metadatos;
    std::vector<ItemMetadato> resumenMetadatos;
    std::optional<ImagenFuente> previewAntes;
    std::vector<Variante> variantes;
    std::optional<Uuid> seleccionada;
    bool recortado = false;
    FiltroAjustes filtros;
    std::map<std::string, Imagen> miniaturasFiltros;
    std::vector<CapaTexto> capas;
    bool sinFondo = false;
    std::optional<Ruta> fuentePDF;
    std::vector<PaginaPDF> paginas;
    std::map<std::string, Imagen> miniaturas;
    OpcionesPDF opcionesPDF;
    bool esCombinado = false;
    std::int64_t paginasIniciales = 0;
    // The folder the user gave when the file was found inside it.
    std::optional<Ruta> carpetaOrigen;

    // The page list differs from the document it was read from.
    bool paginasEditadas() const;
};

// Initial choice: the first alternative smaller than the original that is not "baja",
// else the first one; none for an empty list.
std::optional<Uuid> seleccionInicial(const std::vector<Variante>& variantes,
                                     std::int64_t bytesOriginal);

// After a regeneration: the first alternative with that suffix, else the first one.
std::optional<Uuid> reseleccion(const std::vector<Variante>& variantes,
                                const std::optional<std::string>& sufijo);

} // namespace Livora
