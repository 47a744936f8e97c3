#pragma once
#include "modelo/modelo.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace Livora {

// Natural order of names, as file managers sort them: runs of digits compare by value
// ("IMG_2" before "IMG_10"), ASCII letters without regard to case; names that still tie
// fall back to their bytes, so the order is total.
int compararNatural(std::string_view a, std::string_view b);

// Whether a file found inside a folder is taken in: the image types intake decodes, and
// PDF, by extension.
bool esEntradaDeCarpeta(const Ruta& archivo);

// A file to take in and, when it was found inside a folder the user gave, that folder.
struct Hallazgo {
    Ruta archivo;
    std::optional<Ruta> carpeta = std::nullopt;
};

// The user's paths with each folder replaced by the files intake accepts inside it, at any
// depth, in natural path order; files given directly pass through unchanged. Hidden
// entries are skipped, and so is every symbolic link inside a folder: its target is either
// inside the tree, where the walk reaches it under its own name, or outside, where the
// walk must not go. A folder reached twice (a bind mount) is walked once, so nothing loops.
// `seguir` is told how many files have been found so far, now and then; when it answers
// false the walk stops and gives back nothing.
std::optional<std::vector<Hallazgo>>
expandirRutas(const std::vector<Ruta>& rutas,
              const std::function<bool(std::size_t encontrados)>& seguir = {});

// An existing folder (a link to one counts).
bool esCarpeta(const Ruta& ruta);

// The folder as the user names it: no trailing separator, no "." or ".." steps.
Ruta carpetaNormalizada(const Ruta& ruta);
// Its last name ("Vacaciones"; "/" for the root).
std::string nombreCarpeta(const Ruta& carpeta);
// "La carpeta «Notas» no tiene imágenes ni PDF"
std::string carpetaSinArchivos(const Ruta& carpeta);

} // namespace Livora
