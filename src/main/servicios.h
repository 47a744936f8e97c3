#pragma once
#include "modelo/modelo.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Livora {

// The window's modal questions. Tests replace them with scripted answers.
class Dialogos {
public:
    virtual ~Dialogos() = default;
    // Open panel for images and PDFs, several files, with an optional message; empty when
    // cancelled.
    virtual std::vector<Ruta> elegirArchivos(const std::string& mensaje) = 0;
    // The open panel of intake: files and folders.
    virtual std::vector<Ruta> elegirArchivosYCarpetas() = 0;
    // A question with an accepting and a cancelling button; true when accepted.
    virtual bool confirmar(const std::string& mensaje, const std::string& aceptar,
                           const std::string& cancelar) = 0;
    // Password alert for a locked PDF. `informativo` is the line under the title; none when
    // the user cancels.
    virtual std::optional<std::string> pedirContrasena(const std::string& titulo,
                                                       const std::string& informativo) = 0;
    // Save dialog with a proposed file name; none when cancelled.
    virtual std::optional<Ruta> guardarComo(const std::string& nombrePropuesto) = 0;
};

// What the desktop offers around a file: the file browser, other applications, mail.
class Escritorio {
public:
    virtual ~Escritorio() = default;
    virtual void revelar(const std::vector<Ruta>& rutas) = 0;
    // Opens a folder in the file browser with nothing selected (the home folder when empty).
    virtual void abrirCarpeta(const Ruta& carpeta) = 0;
    virtual void copiarAlPortapapeles(const Ruta& ruta) = 0;
    virtual void abrirCon(const Ruta& ruta) = 0;
    virtual void enviarPorCorreo(const Ruta& ruta) = 0;
};

// Deferred work on the GUI thread, cancellable. A fake drives the notice and debounce
// timers in tests without waiting.
class Reloj {
public:
    using Tarea = std::uint64_t;
    virtual ~Reloj() = default;
    virtual Tarea programar(std::chrono::milliseconds espera, std::function<void()> trabajo) = 0;
    virtual void cancelar(Tarea tarea) = 0;
};

} // namespace Livora
