#pragma once
#include "modelo/modelo.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Livora::Pruebas {

inline Ruta datos(const std::string& nombre) {
    return Ruta(LIVORA_DATOS_TEST) / nombre;
}

// A synthetic photo-like picture (gradients and noise) of the given size, 8-bit sRGB.
Imagen imagenPrueba(int ancho, int alto, int bandas = 3);
// A flat 8-bit sRGB picture, one value per band.
Imagen lienzo(int ancho, int alto, const std::vector<double>& color);

// A file's bytes.
std::string contenidoDe(const Ruta& archivo);
// A PNG whose header announces a picture of ancho × alto (its pixels never follow).
void cabeceraPNG(const Ruta& archivo, std::uint32_t ancho, std::uint32_t alto);

// A command run through the shell: its exit status and everything it printed.
struct SalidaCli {
    int estado = -1;
    std::string texto;
};
// livora-cli run with these arguments; `entorno`: variables set for the run ("TMPDIR=/x").
SalidaCli ejecutarCli(const std::string& args, const std::string& entorno = "");
// A shell command line (sh -c), its exit status and everything it printed.
SalidaCli ejecutar(const std::string& ordenShell);

// A fresh private folder for one test.
Ruta carpetaPrueba();

// Runs `cuerpo` in a child process with a file system of its own at `punto` (a tmpfs of
// `kb` kilobytes, read-only when asked) and/or as an unprivileged user (when run as root:
// root writes anywhere). Returns what `cuerpo` returned, or none when this machine cannot
// provide that (no mount namespaces, no user to switch to): the caller skips.
struct Aislamiento {
    std::optional<Ruta> punto;
    int kb = 64;
    bool soloLectura = false;
    bool sinPrivilegios = false;
};
std::optional<std::string> aislado(const Aislamiento& a,
                                   const std::function<std::string()>& cuerpo);

} // namespace Livora::Pruebas
