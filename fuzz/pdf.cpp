// PDF opening from bytes: state, password, page list, unlocked copy, thumbnails and the
// first-page preview.
#include "motor/pdf.h"
#include "comun.h"

using namespace Livora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::iniciarDecodificacion();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const Ruta archivo = fuzz::escribir(datos, n, "entrada.pdf");
    Ruta fuente = archivo;
    if (estadoPDF(archivo) == AperturaPDF::Bloqueado) {
        // The seed corpus's protected files use this password.
        abrePDF(archivo, std::string("livora"));
        auto copia = desbloquear(archivo, "livora");
        if (!copia) return 0;
        fuente = *copia;
    }
    auto paginas = paginasDe(fuente);
    if (!paginas.empty() && paginas.size() <= 64) {
        paginas.resize(std::min<std::size_t>(paginas.size(), 2));
        miniaturas(paginas, {});
        renderPDF(fuente);
    }
    fuzz::vaciar();
    return 0;
}
