#include "motor/ingesta.h"

#include "motor/alternativas.h"
#include "motor/apertura.h"
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/filtros.h"
#include "motor/fuente.h"
#include "motor/metadatos.h"

namespace Livora {

namespace {

// The record with its picture decoded once: everything intake derives from the pixels
// is made here, then the record keeps only the recipe.
struct Registro {
    ArchivoEstado archivo;
    Imagen pixeles;
};

Resultado<Registro> cargar(const Ruta& url) {
    Registro r;
    ArchivoEstado& a = r.archivo;
    a.url = url;
    a.esImagen = true;
    a.bytesOriginal = tamano(url);
    if (auto c = comprobarImagen(url); !c) return c.error();
    auto cargada = cargarImagen(url);
    if (!cargada) return error(textoImagenIlegible(url));
    r.pixeles = cargada->imagen;
    a.fuente = ImagenFuente::deArchivo(url, r.pixeles.width(), r.pixeles.height());
    a.fuenteOriginal = a.fuente;
    a.previewAntes = a.fuente;
    a.metadatos = cargada->propiedades;
    a.resumenMetadatos = resumenMetadatos(a.metadatos);
    a.miniaturasFiltros = miniaturasFiltros(r.pixeles);
    // A new record becomes the active one: its first edit should not decode it again.
    recordarFuente(*a.fuente, r.pixeles);
    return r;
}

} // namespace

Resultado<ArchivoEstado> cargarRegistroImagen(const Ruta& url) {
    auto r = cargar(url);
    if (!r) return r.error();
    return std::move(r->archivo);
}

Resultado<ArchivoEstado> ingestaImagen(const Ruta& url, const AjustesImagen& ajustes) {
    auto r = cargar(url);
    if (!r) return r.error();
    ArchivoEstado& a = r->archivo;
    auto variantes = variantesImagen(r->pixeles, ajustes, a.metadatos, false, url);
    if (!variantes) return variantes.error();
    a.variantes = std::move(*variantes);
    a.seleccionada = seleccionInicial(a.variantes, a.bytesOriginal);
    return std::move(a);
}

} // namespace Livora
