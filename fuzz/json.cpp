// The record printer with arbitrary outside text: file names, folder names and metadata
// values. The JSON line must never throw and every text must come out as valid UTF-8.
#include "cli/comandos.h"
#include "motor/texto.h"

#include <cstdlib>
#include <sstream>
#include <string_view>

using namespace Livora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::string_view s(reinterpret_cast<const char*>(datos), n);
    // Three texts separated by NUL: a path, a temporary path, a metadata value.
    std::string_view partes[3];
    for (auto& p : partes) {
        auto corte = s.find('\0');
        p = s.substr(0, corte);
        s = corte == std::string_view::npos ? std::string_view{} : s.substr(corte + 1);
    }
    const std::string texto = textoUtf8(partes[2]);
    if (!esUtf8Valido(texto) || !esUtf8Valido(textoRuta(Ruta(std::string(partes[0])))))
        std::abort();
    if (esUtf8Valido(partes[2]) && texto != partes[2]) std::abort(); // valid text is kept
    if (textoUtf8(texto) != texto) std::abort();                     // and stable

    ArchivoEstado a;
    a.url = Ruta(std::string(partes[0]));
    ItemMetadato m;
    m.titulo = "Cámara";
    m.valor = texto;
    a.resumenMetadatos.push_back(m);
    Variante v;
    v.nombre = "JPEG · Alta";
    v.sufijo = "alta";
    v.ext = "jpg";
    v.urlTemp = Ruta(std::string(partes[1]));
    a.variantes.push_back(v);
    a.seleccionada = v.id;
    // Strict: no replacement allowed, everything must already be valid.
    const std::string linea = Cli::aJson(a).dump();
    if (!esUtf8Valido(linea)) std::abort();
    return 0;
}
