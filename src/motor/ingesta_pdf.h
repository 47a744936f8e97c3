#pragma once
#include "modelo/modelo.h"
#include "motor/control.h"
#include "motor/error.h"

#include <cstdint>
#include <optional>

namespace Livora {

// Page thumbnails made at intake: a document of thousands of pages would otherwise hold
// hundreds of megabytes of them; the organiser adds the missing ones when it opens.
inline constexpr std::size_t maxMiniaturasIngesta = 200;

// The PDF job of intake: `url` is the file the user sees, `fuente` the one read (the
// unlocked copy of a protected file). Measures, lists the pages, makes the alternatives
// with empty options and the thumbnails, and chooses the initial alternative. Progress
// counts the alternatives' pages and the thumbnails.
Resultado<ArchivoEstado> ingestaPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                    std::optional<std::int64_t> bytesOriginal,
                                    const ControlTrabajo& control = {});

} // namespace Livora
