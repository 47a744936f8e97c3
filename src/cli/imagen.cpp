#include "cli/comandos.h"
#include "motor/cadena.h"
#include "motor/fondo.h"
#include "motor/ingesta.h"

#include <iostream>

namespace Livora::Cli {

Resultado<ArchivoEstado> procesarImagen(const Ruta& url, const Opciones& o) {
    auto a = ingestaImagen(url, o.ajustes);
    if (!a) return a;
    if (!o.filtros.esNeutro() || !o.capas.empty() || o.sinFondo) {
        if (o.sinFondo && !modeloFondoDisponible())
            std::cerr << "Aviso: falta el modelo para quitar el fondo (scripts/modelo lo "
                         "instala); la imagen conserva su fondo.\n";
        // The edits regenerate the alternatives like the window does after an edit.
        a->filtros = o.filtros;
        a->capas = o.capas;
        a->sinFondo = o.sinFondo;
        auto v = cadenaImagen(entradaCadena(*a, o.ajustes));
        if (!v) return v.error();
        a->variantes = std::move(*v);
        a->seleccionada = seleccionInicial(a->variantes, a->bytesOriginal);
    }
    return a;
}

} // namespace Livora::Cli
