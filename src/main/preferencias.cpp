#include "main/preferencias.h"

#include "main/vista_principal.h"

#include <QSettings>

namespace Livora {

namespace {
const char* const kClave = "ventana/mostrarBarraLateral";
} // namespace

void recordarBarraLateral(VistaPrincipal& vista, QSettings& ajustes) {
    vista.setMostrarBarraLateral(ajustes.value(kClave, true).toBool());
    QObject::connect(&vista, &VistaPrincipal::cambiado, &vista, [&vista, &ajustes] {
        const bool si = vista.estado().mostrarBarraLateral;
        if (ajustes.value(kClave, true).toBool() == si) return;
        ajustes.setValue(kClave, si);
        ajustes.sync();
    });
}

} // namespace Livora
