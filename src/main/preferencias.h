#pragma once

class QSettings;

namespace Livora {

class VistaPrincipal;

// The one setting kept between runs: whether the sidebar is shown. Gives the window the
// stored choice and stores each change of it; `ajustes` must outlive `vista`.
void recordarBarraLateral(VistaPrincipal& vista, QSettings& ajustes);

} // namespace Livora
