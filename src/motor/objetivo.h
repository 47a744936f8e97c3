#pragma once
#include "modelo/modelo.h"
#include "motor/codec.h"
#include "motor/error.h"

#include <functional>
#include <optional>

namespace Livora {

// The highest JPEG quality whose output fits kb × 1024 bytes, shrinking the picture by
// 0.75 per pass when nothing fits (at most 8 passes, never below 200 px). Writes
// "objetivo.jpg" in dir.
Resultado<std::optional<Variante>> ajustarAPeso(const Imagen& cg, std::int64_t kb, const Ruta& dir,
                                                const Propiedades* metadatos);

// The search itself, over any encoder: encode(picture, quality) gives the size in bytes
// (none on failure). Returns the best quality, its picture and its bytes. Exposed so the
// rules can be checked without real encodes.
struct ResultadoBusqueda {
    double calidad = 0;
    Imagen imagen;
    Bytes datos;
};
using CodificadorJPEG = std::function<std::optional<Bytes>(const Imagen&, double)>;
std::optional<ResultadoBusqueda> buscarPeso(const Imagen& cg, std::int64_t kb,
                                            const CodificadorJPEG& codificar);

std::string detalleObjetivo(std::int64_t kb, double calidad, std::int64_t ladoMayor);

} // namespace Livora
