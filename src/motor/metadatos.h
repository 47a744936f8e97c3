#pragma once
#include "modelo/modelo.h"
#include "motor/codec.h"

#include <optional>
#include <string>
#include <vector>

namespace Livora {

// Reads the typed properties and the kept EXIF/IPTC blocks of a file; none when the file
// carries nothing exiv2 can read.
std::optional<Propiedades> leerPropiedades(const Ruta& url);

// The summary lines shown in the metadata popover.
std::vector<ItemMetadato> resumenMetadatos(const std::optional<Propiedades>& propiedades);

// What outputs keep when metadata are not stripped: the EXIF, GPS, TIFF and IPTC blocks
// whole, nothing else.
Propiedades metadatosPreservables(const std::optional<Propiedades>& propiedades);

// Writes the kept blocks into an encoded JPEG, PNG or WebP file in memory. Returns the
// input unchanged when there is nothing to write; none when exiv2 fails.
std::optional<Bytes> insertarMetadatos(const Bytes& codificado, const Propiedades& metadatos);

// Shortest decimal text that reads back as the same double, with at least one digit after
// the point: 1.8, 2.0, 11.0.
std::string decimalCorto(double v);

} // namespace Livora
