#include "motor/cadena.h"

#include "motor/alternativas.h"
#include "motor/capas.h"
#include "motor/filtros.h"
#include "motor/fondo.h"
#include "motor/fuente.h"

namespace Livora {

EntradaCadena entradaCadena(const ArchivoEstado& archivo, const AjustesImagen& ajustes) {
    return EntradaCadena{archivo.fuente.value_or(ImagenFuente{}),
                         ajustes,
                         archivo.filtros,
                         archivo.capas,
                         archivo.metadatos,
                         archivo.sinFondo};
}

Imagen imagenEditada(const Imagen& fuente, const EntradaCadena& e) {
    Imagen imagen = fuente;
    // No subject (or no model): the picture keeps its background, without a notice.
    if (e.sinFondo)
        if (auto recortada = quitarFondo(imagen)) imagen = *recortada;
    imagen = aplicarFiltros(imagen, e.filtros);
    return renderizarCapas(imagen, e.capas);
}

Resultado<std::vector<Variante>> cadenaImagen(const EntradaCadena& e) {
    auto fuente = decodificarFuente(e.fuente);
    if (!fuente || fuente->get_image() == nullptr) return error("No se pudo abrir la imagen");
    Imagen editada = imagenEditada(*fuente, e);
    // Untouched pixels of an uncut file: its own PNG data may be the smaller lossless output.
    std::optional<Ruta> original;
    if (editada.get_image() == fuente->get_image() && !e.fuente.recorte && !e.fuente.pixeles &&
        !e.fuente.archivo.empty())
        original = e.fuente.archivo;
    return variantesImagen(editada, e.ajustes, e.metadatos, e.sinFondo, original);
}

} // namespace Livora
