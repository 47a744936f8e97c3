// The window operations of the crop and text-layer editors.
#include "main/vista_principal.h"

#include "editores/calculo_capas.h"
#include "motor/codec.h"
#include "motor/filtros.h"
#include "motor/fuente.h"
#include "motor/recorte.h"
#include "vistas/prioridad.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <memory>

#include <vips/vips.h>

namespace Livora {

namespace {

// The filter thumbnails show the centre square at 96 pixels: a picture decoded at twice
// that is plenty, and much cheaper than decoding a 12 MP cut in full.
std::map<std::string, Imagen> miniaturasDe(const ImagenFuente& f) {
    iniciarMotor();
    const double lado = static_cast<double>(std::max<std::int64_t>(1, std::min(f.ancho, f.alto)));
    const double s = std::min(1.0, 192.0 / lado);
    auto img = previaFuente(f, static_cast<int>(std::ceil(f.ancho * s)),
                            static_cast<int>(std::ceil(f.alto * s)));
    if (!img) return {};
    return miniaturasFiltros(*img);
}

} // namespace

void VistaPrincipal::rehacerMiniaturas(const ArchivoEstado& a) {
    const Uuid id = a.id;
    const ImagenFuente fuente = *a.fuente;
    empezarTrabajo();
    pool_.start([this, id, fuente] {
        cederPrioridad();
        auto r = std::make_shared<std::map<std::string, Imagen>>(miniaturasDe(fuente));
        vips_thread_shutdown();
        QMetaObject::invokeMethod(
            this,
            [this, id, fuente, r] {
                terminarTrabajo();
                // Dropped when the record went away or its picture changed meanwhile.
                ArchivoEstado* x = buscar(id);
                if (x && x->fuente && x->fuente->clave() == fuente.clave() && !r->empty())
                    x->miniaturasFiltros = std::move(*r);
                notificar();
            },
            Qt::QueuedConnection);
    });
}

// ---- Crop ------------------------------------------------------------------------------------

void VistaPrincipal::aplicarRecorte(const RectFraccion& rect) {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen || !a->fuente) return;
    // Below 8 pixels either way nothing happens: the editor stays open with its selection.
    const auto r = recorteDe(rect, a->fuente->ancho, a->fuente->alto);
    if (!r) return;
    a->fuente = a->fuente->recortada(*r);
    a->previewAntes = a->fuente;
    a->recortado = true;
    e_.modoRecorte = false;
    rehacerMiniaturas(*a);
    regenerarActivo();
    notificar();
}

void VistaPrincipal::restaurarRecorte() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen || !a->fuenteOriginal) return;
    a->fuente = a->fuenteOriginal;
    a->previewAntes = a->fuente;
    a->recortado = false;
    rehacerMiniaturas(*a);
    regenerarActivo();
    notificar();
}

// ---- Text layers -------------------------------------------------------------------------------

void VistaPrincipal::agregarCapa() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a) return;
    a->capas.push_back(capaNueva(a->capas.size()));
    e_.capaSeleccionada = e_.capaEditando = a->capas.back().id;
    notificar();
}

void VistaPrincipal::insertarEmoji(const std::string& emoji) {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a) return;
    if (e_.capaEditando) {
        auto it = std::find_if(a->capas.begin(), a->capas.end(),
                               [&](const CapaTexto& c) { return c.id == *e_.capaEditando; });
        if (it != a->capas.end()) {
            it->texto += emoji;
            notificar();
            return;
        }
    }
    a->capas.push_back(capaSticker(emoji, a->capas.size()));
    e_.capaSeleccionada = a->capas.back().id;
    notificar();
}

void VistaPrincipal::eliminarCapaSeleccionada() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a) return;
    if (e_.capaSeleccionada)
        std::erase_if(a->capas, [&](const CapaTexto& c) { return c.id == *e_.capaSeleccionada; });
    e_.capaSeleccionada = a->capas.empty() ? std::nullopt : std::optional<Uuid>(a->capas.back().id);
    notificar();
}

Enlace<std::vector<CapaTexto>> VistaPrincipal::bindingCapas() {
    return {[this] {
                const ArchivoEstado* a = e_.archivoActivo();
                return a ? a->capas : std::vector<CapaTexto>{};
            },
            [this](const std::vector<CapaTexto>& capas) {
                ArchivoEstado* a = e_.archivoActivo();
                if (!a) return;
                a->capas = capas;
                notificar();
            }};
}

std::optional<Enlace<CapaTexto>> VistaPrincipal::bindingCapaSeleccionada() {
    const auto ia = e_.idxActivo();
    if (!ia || !e_.capaSeleccionada) return std::nullopt;
    const auto& capas = e_.archivos[*ia].capas;
    const auto it = std::find_if(capas.begin(), capas.end(),
                                 [&](const CapaTexto& c) { return c.id == *e_.capaSeleccionada; });
    if (it == capas.end()) return std::nullopt;
    const std::size_t ir = *ia, ic = static_cast<std::size_t>(it - capas.begin());
    const Uuid idArchivo = e_.archivos[ir].id, idCapa = it->id;
    // Valid while both places still hold what they held: a place now taken by another
    // record or layer must not be read or overwritten through this binding.
    auto lugar = [this, ir, ic, idArchivo, idCapa]() -> CapaTexto* {
        if (ir >= e_.archivos.size() || e_.archivos[ir].id != idArchivo) return nullptr;
        auto& cs = e_.archivos[ir].capas;
        if (ic >= cs.size() || cs[ic].id != idCapa) return nullptr;
        return &cs[ic];
    };
    return Enlace<CapaTexto>{[lugar] {
                                 const CapaTexto* c = lugar();
                                 return c ? *c : capaPorDefecto();
                             },
                             [this, lugar](const CapaTexto& nueva) {
                                 CapaTexto* c = lugar();
                                 if (!c) return;
                                 *c = nueva;
                                 notificar();
                             }};
}

void VistaPrincipal::setCapaSeleccionada(std::optional<Uuid> id) {
    if (e_.capaSeleccionada == id) return;
    e_.capaSeleccionada = id;
    notificar();
}

void VistaPrincipal::setCapaEditando(std::optional<Uuid> id) {
    if (e_.capaEditando == id) return;
    e_.capaEditando = id;
    notificar();
}

} // namespace Livora
