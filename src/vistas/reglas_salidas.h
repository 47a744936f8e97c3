#pragma once
#include "modelo/modelo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The rules behind the custom-output controls and the target-size row, kept apart from
// the widgets so they can be checked without a window.
namespace Livora {

// Pixel size of the file's current source picture (after a crop, the cropped one).
struct TamanoFuente {
    std::int64_t ancho = 0;
    std::int64_t alto = 0;
};

// A typed size: a plain decimal number with optional sign, fraction and exponent. Any
// other text, including a leading or trailing space, gives 0 (not set). So does a number
// too large to become a whole pixel count, which would otherwise reach the encoder as an
// undefined conversion.
double leerTamano(std::string_view texto);

// What a size field shows: the integer part of the stored size above 0, else nothing
// (the placeholder shows).
std::string textoTamano(double valor);

// Writing a field. With the aspect lock on, a positive value and a usable source side,
// the other size follows the source's proportion (halves rounded away from zero).
void escribirAncho(AjustesImagen& ajustes, double valor, const std::optional<TamanoFuente>& fuente);
void escribirAlto(AjustesImagen& ajustes, double valor, const std::optional<TamanoFuente>& fuente);

// A preset sets both sizes exactly, whatever the lock says.
void elegirPreset(AjustesImagen& ajustes, const PresetResolucion& preset);

// "Original" is offered only while a size is set; it clears both.
bool hayTamanoCustom(const AjustesImagen& ajustes);
void tamanoOriginal(AjustesImagen& ajustes);

// Menu label of a preset: "iPhone 17  402 × 874".
std::string etiquetaPreset(const PresetResolucion& preset);

// Quality slider: 10…100 in steps of 5, shown as "70 %".
double calidadEnPaso(double calidad);
std::string textoCalidad(double calidad);

// The target-size text as a whole number of kilobytes: spaces and tabs around it are
// ignored, a sign is allowed, nothing else; none when invalid or outside 64 bits.
std::optional<std::int64_t> leerObjetivo(std::string_view texto);

} // namespace Livora
