#pragma once
#include "modelo/modelo.h"
#include "motor/control.h"
#include "motor/error.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Livora {

// The PDF job of intake: `url` is the file the user sees, `fuente` the one read (the
// unlocked copy of a protected file). Measures, lists the pages, makes the alternatives
// with empty options and the first thumbnails, and chooses the initial alternative. Progress
// counts the alternatives' pages and the thumbnails. `paginas`, when given, replaces the
// source's own list before the alternatives are made (the command line's page expression).
Resultado<ArchivoEstado> ingestaPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                    std::optional<std::int64_t> bytesOriginal,
                                    const ControlTrabajo& control = {},
                                    std::optional<std::vector<PaginaPDF>> paginas = std::nullopt);

} // namespace Livora
