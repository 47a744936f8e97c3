#pragma once
#include "modelo/modelo.h"
#include "motor/cadena.h"
#include "motor/control.h"
#include "motor/error.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Livora {

// The engine entry points the window calls from its jobs. Tests swap single entries to
// control timing or failures; everything else keeps the real engine.
struct MotorVentana {
    enum class AperturaPDF { Ilegible, Bloqueado, Abierto };

    std::function<Resultado<ArchivoEstado>(const Ruta&, const AjustesImagen&)> ingestaImagen;
    std::function<Resultado<std::vector<Variante>>(const EntradaCadena&)> cadenaImagen;
    std::function<AperturaPDF(const Ruta&)> estadoPDF;
    std::function<Resultado<Ruta>(const Ruta&, const std::string&)> desbloquear;
    std::function<Resultado<ArchivoEstado>(const Ruta& url, const Ruta& fuente, bool esCombinado,
                                           std::optional<std::int64_t> bytesOriginal,
                                           const ControlTrabajo& control)>
        ingestaPDF;
    std::function<std::vector<PaginaPDF>(const Ruta&)> paginasDe;
    // Merges files into one PDF; the result is the merged file and the names left out.
    struct Union {
        Ruta combinado;
        std::int64_t bytesOriginales = 0;
        std::vector<std::string> omitidos;
    };
    std::function<Resultado<Union>(const std::vector<ArchivoEstado>&)> unir;
    // The four PDF alternatives of a page list, with the before picture.
    struct SalidaPDF {
        std::optional<Imagen> preview;
        std::vector<Variante> variantes;
    };
    std::function<Resultado<SalidaPDF>(const std::vector<PaginaPDF>&, const OpcionesPDF&,
                                       const ControlTrabajo&)>
        variantesPDF;

    // The background-removal model, or why it cannot run; `cargar` loads the network.
    std::function<Resultado<Ruta>(bool cargar)> modeloFondo;

    static MotorVentana real();
};

} // namespace Livora
