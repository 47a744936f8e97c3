#pragma once
#include "modelo/modelo.h"

#include <set>
#include <string>
#include <vector>

namespace Livora {

// Whether a file name's extension names an image type: the same answer as the desktop's
// MIME database (shared-mime-info) gives. Everything else goes the PDF way.
bool esExtensionImagen(std::string extension);
bool esImagen(const Ruta& url);
// The extensions esExtensionImagen accepts, lower case.
const std::vector<std::string>& extensionesImagen();

// An image type Livora decodes: the MIME type the desktop gives its extensions (plus the
// aliases file managers may use) and those extensions, lower case.
struct TipoLegible {
    std::string mime;
    std::vector<std::string> alias;
    std::vector<std::string> extensiones;
};
// The types whose loader this build has (libvips' loaders, libheif's decoders): what the
// open panel offers and "Abrir con" (the .desktop MimeType line) lists.
const std::vector<TipoLegible>& tiposLegibles();
// Their extensions as file-name patterns in both cases: "*.jpg", "*.JPG", …
std::vector<std::string> patronesLegibles();

} // namespace Livora
