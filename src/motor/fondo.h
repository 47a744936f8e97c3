#pragma once
#include "modelo/modelo.h"
#include "motor/error.h"

#include <optional>

namespace Livora {

// Cuts the foreground subjects out onto transparency: RGBA of the input's size whose
// alpha is the segmentation mask. None when no subject is found, the model is missing or
// anything fails. Runs one inference at a time; the network is loaded on first use.
std::optional<Imagen> quitarFondo(const Imagen& img);

bool modeloFondoDisponible();
// The model file: $LIVORA_MODELO when set (and then only it), else the first of
// $XDG_DATA_HOME/livora, each $XDG_DATA_DIRS/livora, the installed data folder and the
// build tree that holds it.
std::optional<Ruta> rutaModeloFondo();
inline constexpr const char* nombreModeloFondo = "isnet-general-use.onnx";
// The model when background removal can run, or why it cannot, in words for the user:
// the model is missing, cannot be read, or (with `cargar`) does not load as a network.
// Loading is slow the first time (the network is then kept); the check without it only
// looks at the file.
Resultado<Ruta> modeloFondo(bool cargar);

// The "no subject" rule on a mask of 0…1 values (one float band at the network's
// resolution): its maximum is below 0.5, or what stays above 0.5 after an opening with
// an ellipse of 3 % of the short side (mask at long side 1024) covers under 0.2 % of the
// frame. `proporcion` is the picture's width / height.
bool haySujeto(const Imagen& mascara, double proporcion);
// The picture with the mask (0…1 floats, any size, stretched bilinearly to the picture)
// as alpha; fully transparent pixels are cleared so nothing of the background remains.
Imagen recortarConMascara(const Imagen& img, const Imagen& mascara);

} // namespace Livora
