// Window operations of the desktop shell: background removal that never pretends, and the
// sidebar's visibility.
#include "main/vista_principal.h"
#include "vistas/prioridad.h"

#include <QMetaObject>

#include <memory>

namespace Livora {

void VistaPrincipal::comprobarModeloFondo() {
    auto r = s_.motor.modeloFondo(false);
    const std::string motivo = r ? std::string() : r.error().mensaje;
    if (motivo == e_.fondoNoDisponible) return;
    e_.fondoNoDisponible = motivo;
    notificar();
}

void VistaPrincipal::alternarSinFondo() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen || e_.procesando || e_.enModo()) return;
    if (a->sinFondo) {
        a->sinFondo = false;
        regenerarActivo();
        notificar();
        return;
    }
    // Without a model that loads, a "transparent" output would still have its background:
    // the network is loaded first and the record only changes once it is there.
    if (auto r = s_.motor.modeloFondo(false); !r) {
        e_.fondoNoDisponible = r.error().mensaje;
        avisar("❌ " + r.error().mensaje);
        return;
    }
    const Uuid id = a->id;
    empezarTrabajo();
    auto modelo = s_.motor.modeloFondo;
    pool_.start([this, modelo, id] {
        cederPrioridad();
        auto r = std::make_shared<Resultado<Ruta>>(modelo(true));
        QMetaObject::invokeMethod(
            this,
            [this, r, id] {
                terminarTrabajo();
                if (!*r) {
                    e_.fondoNoDisponible = r->error().mensaje;
                    avisar("❌ " + r->error().mensaje);
                    return;
                }
                e_.fondoNoDisponible.clear();
                ArchivoEstado* x = buscar(id);
                if (x && !x->sinFondo && x->fuente) {
                    x->sinFondo = true;
                    std::optional<std::string> sufijo;
                    for (const auto& v : x->variantes)
                        if (x->seleccionada == v.id) sufijo = v.sufijo;
                    lanzarRegeneracion(*x, true, sufijo);
                }
                notificar();
            },
            Qt::QueuedConnection);
    });
    notificar();
}

void VistaPrincipal::alternarBarraLateral() {
    setMostrarBarraLateral(!e_.mostrarBarraLateral);
}

void VistaPrincipal::setMostrarBarraLateral(bool si) {
    if (e_.mostrarBarraLateral == si) return;
    e_.mostrarBarraLateral = si;
    notificar();
}

} // namespace Livora
