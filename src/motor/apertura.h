#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <optional>
#include <string>

namespace Livora {

// Why a file the user gave cannot be read, as the file system tells it: "no existe",
// "es una carpeta", "el archivo está vacío", "no tienes permiso para leerlo"; none when
// nothing stops reading it.
std::optional<std::string> motivoIlegible(const Ruta& url);

// Whether a picture can be taken in before decoding it: a readable file whose header
// fits the pixel limit and whose pixels fit in the memory left. The error is
// "No se pudo abrir la imagen: <reason>" ("tiene 900 megapíxeles (máximo 250)",
// "necesita 2,7 GB de memoria y quedan 1,1 GB", or one of motivoIlegible's).
Resultado<void> comprobarImagen(const Ruta& url);

// "No se pudo abrir la imagen", with the reason when one is known.
std::string textoImagenIlegible(const Ruta& url);

} // namespace Livora
