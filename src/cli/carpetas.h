#pragma once
#include "cli/comandos.h"
#include "motor/carpetas.h"

#include <optional>
#include <string>
#include <vector>

namespace Livora::Cli {

// The files to work on: files as given, folders replaced by the images and PDFs inside
// them, in the window's order. A folder with nothing to take in is reported; none when
// that leaves nothing at all.
std::optional<std::vector<Hallazgo>> entradas(const std::vector<Ruta>& rutas);

// Whether the run ends with a summary: several files, or a folder.
bool conResumen(const std::vector<Ruta>& rutas, std::size_t archivos);

// "✓ 312 archivos · 1,2 GB → 310 MB" (the saved outputs with --guardar, otherwise the
// chosen ones) and "❌ 2 con errores: Día 1/roto.jpg, vacío.pdf" (names relative to the
// folder given).
struct Resumen {
    std::size_t correctos = 0;
    std::int64_t bytesOriginales = 0;
    std::int64_t bytesSalidas = 0;
    std::vector<std::string> fallidos;

    void anadir(const ArchivoEstado& a, const std::optional<std::string>& guardar);
    void fallar(const Hallazgo& h);
    std::string texto() const;
};

} // namespace Livora::Cli
