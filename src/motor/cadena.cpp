#include "motor/cadena.h"

#include "motor/alternativas.h"

namespace Livora {

EntradaCadena entradaCadena(const ArchivoEstado& archivo, const AjustesImagen& ajustes) {
    return EntradaCadena{archivo.fuente.value_or(Imagen{}),
                         ajustes,
                         archivo.filtros,
                         archivo.capas,
                         archivo.metadatos,
                         archivo.sinFondo};
}

Resultado<std::vector<Variante>> cadenaImagen(const EntradaCadena& e) {
    return variantesImagen(e.fuente, e.ajustes, e.metadatos, e.sinFondo);
}

} // namespace Livora
