#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <vector>

namespace Livora {

// Everything an image regeneration needs, copied on the caller's thread.
struct EntradaCadena {
    ImagenFuente fuente;
    AjustesImagen ajustes;
    FiltroAjustes filtros;
    std::vector<CapaTexto> capas;
    std::optional<Propiedades> metadatos;
    bool sinFondo = false;
};

EntradaCadena entradaCadena(const ArchivoEstado& archivo, const AjustesImagen& ajustes);

// The picture the alternatives are encoded from: the decoded source, background removed
// when sinFondo (kept as it is when that yields nothing), then the filters, then the layers.
Imagen imagenEditada(const Imagen& fuente, const EntradaCadena& entrada);

// The image chain: background removal when sinFondo (keeping the source when it yields
// nothing), colour filters, text layers, then the alternatives.
Resultado<std::vector<Variante>> cadenaImagen(const EntradaCadena& entrada);

} // namespace Livora
