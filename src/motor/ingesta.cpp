#include "motor/ingesta.h"

#include "motor/alternativas.h"
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/filtros.h"
#include "motor/metadatos.h"

namespace Livora {

Resultado<ArchivoEstado> cargarRegistroImagen(const Ruta& url) {
    ArchivoEstado a;
    a.url = url;
    a.esImagen = true;
    a.bytesOriginal = tamano(url);
    auto cargada = cargarImagen(url);
    if (!cargada) return error("No se pudo abrir la imagen");
    a.fuente = cargada->imagen;
    a.fuenteOriginal = cargada->imagen;
    a.metadatos = cargada->propiedades;
    a.resumenMetadatos = resumenMetadatos(a.metadatos);
    a.previewAntes = cargada->imagen;
    a.miniaturasFiltros = miniaturasFiltros(cargada->imagen);
    return a;
}

Resultado<ArchivoEstado> ingestaImagen(const Ruta& url, const AjustesImagen& ajustes) {
    auto a = cargarRegistroImagen(url);
    if (!a) return a;
    auto variantes = variantesImagen(*a->fuente, ajustes, a->metadatos, false);
    if (!variantes) return variantes.error();
    a->variantes = std::move(*variantes);
    a->seleccionada = seleccionInicial(a->variantes, a->bytesOriginal);
    return a;
}

} // namespace Livora
