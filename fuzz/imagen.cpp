// Image intake from bytes: header check, decode, metadata summary and the kept blocks
// written into one small encode.
#include "comun.h"
#include "motor/apertura.h"
#include "motor/metadatos.h"
#include "motor/texto.h"

#include <cstdlib>

using namespace Livora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::iniciarDecodificacion();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const Ruta archivo = fuzz::escribir(datos, n, "entrada");
    // Metadata are parsed whether or not the pixels decode.
    auto propiedades = leerPropiedades(archivo);
    for (const auto& m : resumenMetadatos(propiedades))
        if (!esUtf8Valido(m.valor)) std::abort();
    // Large pictures are refused by size alone; fuzzing their decode only measures time.
    try {
        Imagen cabecera = Imagen::new_from_file(archivo.c_str());
        if (static_cast<std::int64_t>(cabecera.width()) * cabecera.height() > 4'000'000) return 0;
    } catch (const vips::VError&) {
        vips_error_clear();
    }
    if (!comprobarImagen(archivo)) return 0;
    auto cargada = cargarImagen(archivo);
    if (!cargada) return 0;
    const Propiedades kept = metadatosPreservables(cargada->propiedades);
    auto salida = codificar(escalado(cargada->imagen, 64), Formato::JPEG, 0.5, &kept);
    if (salida && !decodificar(*salida)) std::abort(); // our own JPEG must read back
    fuzz::vaciar();
    return 0;
}
