#pragma once
#include "modelo/modelo.h"

#include <string>

namespace Livora::Pruebas {

inline Ruta datos(const std::string& nombre) {
    return Ruta(LIVORA_DATOS_TEST) / nombre;
}

// A synthetic photo-like picture (gradients and noise) of the given size, 8-bit sRGB.
Imagen imagenPrueba(int ancho, int alto, int bandas = 3);

// A fresh private folder for one test.
Ruta carpetaPrueba();

} // namespace Livora::Pruebas
