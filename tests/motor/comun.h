#pragma once
#include "modelo/modelo.h"

#include <string>

namespace Livora::Pruebas {

inline Ruta datos(const std::string& nombre) {
    return Ruta(LIVORA_DATOS_TEST) / nombre;
}

// A synthetic photo-like picture (gradients and noise) of the given size, 8-bit sRGB.
Imagen imagenPrueba(int ancho, int alto, int bandas = 3);

// A command run through the shell: its exit status and everything it printed.
struct SalidaCli {
    int estado = -1;
    std::string texto;
};
SalidaCli ejecutar(const std::string& orden);
// livora-cli run with these arguments.
SalidaCli ejecutarCli(const std::string& args);

// A fresh private folder for one test.
Ruta carpetaPrueba();

} // namespace Livora::Pruebas
