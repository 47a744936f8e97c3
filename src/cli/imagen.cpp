#include "cli/comandos.h"
#include "cli/recorte.h"
#include "motor/cadena.h"
#include "motor/fondo.h"
#include "motor/ingesta.h"

#include <iostream>

namespace Livora::Cli {

namespace {
// Whether the transparent PNG really has an alpha channel (only its header is read).
bool conTransparencia(const std::vector<Variante>& variantes) {
    for (const auto& v : variantes) {
        if (v.sufijo != "sin-fondo") continue;
        try {
            return vips::VImage::new_from_file(v.urlTemp.c_str()).has_alpha();
        } catch (const vips::VError&) {
            vips_error_clear();
        }
    }
    return false;
}
} // namespace

Resultado<ArchivoEstado> procesarImagen(const Ruta& url, const Opciones& o) {
    if (o.filtros.esNeutro() && o.capas.empty() && !o.sinFondo && !hayRecorte(o))
        return ingestaImagen(url, o.ajustes);
    // With edits the alternatives are made once, from the edited picture, as the window
    // does after an edit.
    auto a = cargarRegistroImagen(url);
    if (!a) return a;
    {
        if (o.sinFondo && !modeloFondoDisponible())
            std::cerr << "Aviso: falta el modelo para quitar el fondo (scripts/modelo lo "
                         "instala); la imagen conserva su fondo.\n";
        // The cut comes first, upright, so filters and layers apply to what is kept.
        aplicarRecorte(*a, o);
        a->filtros = o.filtros;
        a->capas = o.capas;
        a->sinFondo = o.sinFondo;
        auto v = cadenaImagen(entradaCadena(*a, o.ajustes));
        if (!v) return v.error();
        a->variantes = std::move(*v);
        if (o.sinFondo && modeloFondoDisponible() && !conTransparencia(a->variantes))
            std::cerr << "Aviso: no se encontró ningún sujeto; la imagen conserva su fondo.\n";
        a->seleccionada = seleccionInicial(a->variantes, a->bytesOriginal);
    }
    return a;
}

} // namespace Livora::Cli
