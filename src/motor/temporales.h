#pragma once
#include "modelo/modelo.h"
#include "motor/archivos.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace Livora {

// The temporary space of this process: every folder dirTemporal made, and the one rule
// the window and the CLI both apply to it. A folder goes when nothing refers to it any
// more, unless one of its files was handed out (dragged out, shared, copied, opened in
// another application): that one stays until the process ends and is then left to the
// system's temporary-file cleaning. At exit every folder never handed out goes, and
// unlocked copies of protected PDFs always go.

// Called by dirTemporal.
void registrarTemporal(const Ruta& carpeta, ClaseTemporal clase);
// The file (or its folder) was handed to someone else.
void entregarTemporal(const Ruta& archivo);
// Grows with every folder made: folders made after a job started are that job's.
std::uint64_t marcaTemporal();

// Folders by their path's text. Paths compare component by component, and a window of
// hundreds of records gathers thousands of folders on every sweep.
using CarpetasEnUso = std::unordered_set<std::string>;

// Removes the registered folders made before `antesDe` that are not in `enUso` and were
// never handed out. Returns what it removed.
std::vector<Ruta> limpiarTemporales(const CarpetasEnUso& enUso, std::uint64_t antesDe);
// The same choice, but the folders are only dropped from the register: removing them is left
// to the caller (the window does it off its interface thread).
std::vector<Ruta> soltarTemporales(const CarpetasEnUso& enUso, std::uint64_t antesDe);
void borrarTemporales(const std::vector<Ruta>& carpetas);
// Removes one folder now (a cancelled job's partial files) unless it was handed out.
void retirarTemporal(const Ruta& carpeta);
// At exit: unlocked copies always; generation folders never handed out unless
// `conservarGeneraciones` (a CLI run that printed them for the caller to use).
void limpiarAlSalir(bool conservarGeneraciones);
// The folders still registered (for tests and diagnostics).
std::vector<Ruta> carpetasTemporales();

// Every folder a record refers to: its own file and picture source, its alternatives'
// files, its PDF source (an unlocked copy or a merged document) and its pages' sources. Whatever
// else a record comes to keep in a temporary folder must be listed here, or it is removed under it.
void anotarCarpetasDe(const ArchivoEstado& archivo, CarpetasEnUso& enUso);
CarpetasEnUso carpetasDe(const ArchivoEstado& archivo);

} // namespace Livora
