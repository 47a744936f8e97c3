// The CLI's argument parser with arbitrary arguments (NUL-separated).
#include "cli/opciones.h"
#include "motor/texto.h"

#include <cstdlib>
#include <string>
#include <vector>

using namespace Livora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < n; ++i) {
        if (datos[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(datos[i]);
    }
    auto a = Cli::analizar(args);
    if (a.error) return 0;
    // Texts that reach documents and pictures are valid UTF-8.
    const auto& o = a.opciones;
    if (!esUtf8Valido(o.opcionesPDF.titulo) || !esUtf8Valido(o.opcionesPDF.autor)) std::abort();
    for (const auto& c : o.capas)
        if (!esUtf8Valido(c.texto)) std::abort();
    return 0;
}
