// The page organiser's access to the window's services.
#include "vistas/prioridad.h"
#include "main/vista_principal.h"

#include <vips/vips.h>

namespace Livora {

ServiciosOrganizador VistaPrincipal::serviciosOrganizador() {
    ServiciosOrganizador s;
    s.dialogos = s_.dialogos;
    s.escritorio = s_.escritorio;
    s.reloj = s_.reloj;
    // The window's own workers: the window waits for them before it goes away.
    s.segundoPlano = [this](std::function<void()> tarea) {
        pool_.start([tarea = std::move(tarea)] {
            cederPrioridad();
            tarea();
            vips_thread_shutdown();
        });
    };
    return s;
}

} // namespace Livora
