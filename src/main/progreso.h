#pragma once
#include "modelo/estado_ventana.h"

class QProgressBar;

namespace Livora {

// A bar that fills with the done fraction of long PDF work, or shows the busy animation
// when nothing running counts its steps.
void mostrarProgreso(QProgressBar* barra, const EstadoVentana& e);

} // namespace Livora
