#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <cstdint>
#include <optional>

namespace Livora {

// The PDF job of intake: `url` is the file the user sees, `fuente` the one read (the
// unlocked copy of a protected file). Measures, lists the pages, makes the alternatives
// with empty options and the thumbnails, and chooses the initial alternative.
Resultado<ArchivoEstado> ingestaPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                    std::optional<std::int64_t> bytesOriginal);

} // namespace Livora
