#include "main/motor_ventana.h"

#include "motor/codec.h"
#include "motor/fondo.h"
#include "motor/ingesta.h"
#include "motor/ingesta_pdf.h"
#include "motor/pdf.h"

namespace Livora {

MotorVentana MotorVentana::real() {
    MotorVentana m;
    m.ingestaImagen = [](const Ruta& url, const AjustesImagen& a) {
        iniciarMotor();
        return Livora::ingestaImagen(url, a);
    };
    m.cadenaImagen = [](const EntradaCadena& e) {
        iniciarMotor();
        return Livora::cadenaImagen(e);
    };
    m.estadoPDF = [](const Ruta& url) {
        iniciarMotor();
        switch (Livora::estadoPDF(url)) {
        case Livora::AperturaPDF::Bloqueado:
            return AperturaPDF::Bloqueado;
        case Livora::AperturaPDF::Abierto:
            return AperturaPDF::Abierto;
        case Livora::AperturaPDF::Ilegible:
            break;
        }
        return AperturaPDF::Ilegible;
    };
    m.variantesPDF = [](const std::vector<PaginaPDF>& paginas, const OpcionesPDF& opciones,
                        const ControlTrabajo& control) -> Resultado<SalidaPDF> {
        iniciarMotor();
        auto r = Livora::variantesPDF(paginas, opciones, control);
        if (!r) return r.error();
        return SalidaPDF{std::move(r->preview), std::move(r->variantes)};
    };
    m.desbloquear = [](const Ruta& url, const std::string& pw) {
        iniciarMotor();
        return Livora::desbloquear(url, pw);
    };
    m.ingestaPDF = [](const Ruta& url, const Ruta& fuente, bool combinado,
                      std::optional<std::int64_t> bytes, const ControlTrabajo& control) {
        iniciarMotor();
        return Livora::ingestaPDF(url, fuente, combinado, bytes, control);
    };
    m.paginasDe = [](const Ruta& url) {
        iniciarMotor();
        return Livora::paginasDe(url);
    };
    m.unir = [](const std::vector<ArchivoEstado>& archivos) -> Resultado<Union> {
        iniciarMotor();
        auto r = unirArchivos(entradasUnion(archivos));
        if (!r) return r.error();
        return Union{r->combinado, r->bytesOriginal, r->omitidos};
    };
    m.modeloFondo = [](bool cargar) {
        iniciarMotor();
        return Livora::modeloFondo(cargar);
    };
    return m;
}

} // namespace Livora
