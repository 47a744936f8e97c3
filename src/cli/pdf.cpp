#include "cli/comandos.h"

#include <iostream>

namespace Livora::Cli {

// Filled in by the PDF engine.
Resultado<ArchivoEstado> procesarPDF(const Ruta&, const Opciones&) {
    return error("Los PDF todavía no se pueden procesar desde la línea de órdenes");
}

int unir(const Opciones&) {
    std::cerr << "❌ No se pudo unir\n";
    return 1;
}

} // namespace Livora::Cli
