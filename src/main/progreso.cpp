#include "main/progreso.h"

#include <QProgressBar>

#include <cmath>

namespace Livora {

void mostrarProgreso(QProgressBar* barra, const EstadoVentana& e) {
    if (!e.progreso) {
        barra->setRange(0, 0);
        barra->setToolTip(QString());
        return;
    }
    const int milesimas = static_cast<int>(std::lround(std::clamp(*e.progreso, 0.0, 1.0) * 1000));
    barra->setRange(0, 1000);
    barra->setValue(milesimas);
    barra->setToolTip(QString("Procesando el PDF: %1 %").arg(milesimas / 10));
}

} // namespace Livora
