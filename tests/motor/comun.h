#pragma once
#include "modelo/modelo.h"

#include <string>

namespace Livora::Pruebas {

inline Ruta datos(const std::string& nombre) {
    return Ruta(LIVORA_DATOS_TEST) / nombre;
}

// A synthetic photo-like picture (gradients and noise) of the given size, 8-bit sRGB.
Imagen imagenPrueba(int ancho, int alto, int bandas = 3);

// livora-cli run with these arguments: its exit status and everything it printed.
struct SalidaCli {
    int estado = -1;
    std::string texto;
};
SalidaCli ejecutarCli(const std::string& args);
// A shell command line (sh -c), its exit status and everything it printed.
SalidaCli ejecutar(const std::string& ordenShell);

// A fresh private folder for one test.
Ruta carpetaPrueba();

} // namespace Livora::Pruebas
