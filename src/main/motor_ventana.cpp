#include "main/motor_ventana.h"

#include "motor/codec.h"
#include "motor/ingesta.h"

#if __has_include("motor/ingesta_pdf.h") && __has_include("motor/pdf.h")
#define LIVORA_CON_PDF 1
#include "motor/ingesta_pdf.h"
#include "motor/pdf.h"
#endif

namespace Livora {

namespace {

Error sinMotorPDF(const Ruta& url) {
    return error("No se pudo abrir " + url.filename().string());
}

} // namespace

bool MotorVentana::hayPDF() {
#ifdef LIVORA_CON_PDF
    return true;
#else
    return false;
#endif
}

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
#ifdef LIVORA_CON_PDF
    m.estadoPDF = [](const Ruta& url) {
        iniciarMotor();
        switch (Livora::estadoPDF(url)) {
        case Livora::AperturaPDF::Bloqueado:
            return AperturaPDF::Bloqueado;
        case Livora::AperturaPDF::Abierto:
            return AperturaPDF::Abierto;
        default:
            return AperturaPDF::Ilegible;
        }
    };
    m.desbloquear = [](const Ruta& url, const std::string& pw) {
        return Livora::desbloquear(url, pw);
    };
    m.ingestaPDF = [](const Ruta& url, const Ruta& fuente, bool combinado,
                      std::optional<std::int64_t> bytes) {
        iniciarMotor();
        return Livora::ingestaPDF(url, fuente, combinado, bytes);
    };
#else
    m.estadoPDF = [](const Ruta&) { return AperturaPDF::Ilegible; };
    m.desbloquear = [](const Ruta& url, const std::string&) -> Resultado<Ruta> {
        return sinMotorPDF(url);
    };
    m.ingestaPDF = [](const Ruta& url, const Ruta&, bool,
                      std::optional<std::int64_t>) -> Resultado<ArchivoEstado> {
        return sinMotorPDF(url);
    };
#endif
    m.unir = [](const std::vector<ArchivoEstado>&) -> Resultado<Union> {
        return error("No se pudo unir los archivos");
    };
    return m;
}

} // namespace Livora
