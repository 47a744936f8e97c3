#pragma once
#include "modelo/estado_ventana.h"
#include "motor/carpetas.h"
#include "motor/guardar.h"

#include <optional>
#include <string>
#include <vector>

namespace Livora {

// Texts and rules the window derives from its state; plain functions so they are tested
// without widgets.

std::string tituloVentana(const EstadoVentana& e);
// Prefixed with the active file's folder when another open file has the same name.
std::string subtitulo(const EstadoVentana& e);

// For each record, in list order, the folder that tells it apart from other open files of
// the same name: its folder relative to the folder the user gave ("Día 1/Tarde"; that
// folder's own name for a file right inside it), or its folder's name for a file given on
// its own, or the whole folder path when even that is shared. Empty for a unique name.
std::vector<std::string> carpetasDistintivas(const EstadoVentana& e);

// Progress under the spinner: "Buscando… 240 archivos" while folders are searched, then
// "Quedan 12 archivos por abrir"; empty otherwise.
std::string textoProgreso(const EstadoVentana& e);
// "La carpeta «Vacaciones» tiene 1.234 imágenes y PDF. ¿Añadirlas todas?"
std::string preguntaCarpetas(const std::vector<Ruta>& carpetas, std::size_t archivos);
// What the file browser shows after a batch save: the saved files, except that files of a
// folder the user gave are shown by that folder once the outputs span several folders.
std::vector<Ruta> lugaresGuardados(const EstadoVentana& e, const std::vector<Ruta>& guardadas);
// The folder an empty save opens: the active file's, else the first open original's.
Ruta carpetaDeLaLista(const EstadoVentana& e);

struct Insignia {
    std::string simbolo;
    std::string ayuda;
};
std::vector<Insignia> insignias(const ArchivoEstado& a);
// Second line of a sidebar row: pages and size for a PDF, the size alone for an image.
std::string lineaFila(const ArchivoEstado& a);

// Saving text of an alternative against the active file's original.
std::string ahorroActivo(const EstadoVentana& e, const Variante& v);
// Green (a saving) when strictly smaller than the original; orange otherwise.
inline bool esAhorro(std::int64_t bytes, std::int64_t original) {
    return bytes < original;
}

struct BotonesGuardar {
    std::string principal; // "Guardar" / "Guardar…"
    bool principalActivo = false;
    bool hayLote = true; // the secondary button is shown
    std::string lote;    // "Guardar todas" / "Guardar lote"
    std::string ayudaLote;
};
BotonesGuardar botonesGuardar(const EstadoVentana& e);

// The ordered copy jobs of a save request (the merged-PDF dialog path is not here).
std::vector<TrabajoGuardado> trabajosGuardado(const EstadoVentana& e, bool lote);

// The target-size field's integer, when the trimmed text is one (sign allowed).
std::optional<std::int64_t> objetivoDeTexto(const std::string& texto);

// Where Up/Down move the choice: the clamped index, none without alternatives.
std::optional<std::size_t> indiceMovido(const ArchivoEstado& a, int paso);

} // namespace Livora
