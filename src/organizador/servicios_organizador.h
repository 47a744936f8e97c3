#pragma once
#include "main/servicios.h"

#include <functional>

namespace Livora {

// What the organiser needs from the window: its dialogs, the file browser, its clock, and
// a way to run file work off the interface thread.
struct ServiciosOrganizador {
    Dialogos* dialogos = nullptr;
    Escritorio* escritorio = nullptr;
    Reloj* reloj = nullptr;
    // Runs the task on a worker; empty: on the calling thread.
    std::function<void(std::function<void()>)> segundoPlano;
};

} // namespace Livora
