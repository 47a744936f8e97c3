#pragma once

namespace Livora {

// The application object: one window, the updater, the single-instance door, and the
// files given on the command line.
int ejecutarAplicacion(int argc, char** argv);

} // namespace Livora
