#pragma once
#include "modelo/modelo.h"

#include <string>
#include <string_view>

namespace Livora {

// Text that comes from outside (file names, EXIF strings, PDF properties, arguments) made
// valid UTF-8 on the way in, so nothing that prints or serialises it can fail on it.
// Valid UTF-8 stays as it is. Otherwise, when the bytes hold no well-formed multi-byte
// sequence at all they are read as Windows-1252 (a superset of Latin-1: what older cameras,
// software and file systems wrote), else each stray byte becomes U+FFFD.
std::string textoUtf8(std::string_view bytes);

bool esUtf8Valido(std::string_view bytes);

// A path or its last component as text for the user, each component decoded on its own
// (a Latin-1 file name inside a UTF-8 folder keeps both readable).
std::string textoRuta(const Ruta& ruta);
std::string nombreVisible(const Ruta& ruta);

} // namespace Livora
