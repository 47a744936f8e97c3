#pragma once
#include "modelo/modelo.h"

#include <optional>
#include <string>
#include <vector>

namespace Livora {

// The window's observable state. The debounce tasks (trabajoCustom, trabajoFiltros) and
// the split view's column visibility live with the window's timers and widgets.
struct EstadoVentana {
    std::vector<ArchivoEstado> archivos;
    std::optional<Uuid> archivoActivoID;
    AjustesImagen ajustes;
    std::string objetivoTexto;
    bool modoRecorte = false;
    bool arrastrando = false;
    bool procesando = false;
    // Done fraction (0…1) of the long work in flight that counts its steps (PDF pages);
    // none when nothing running reports it.
    std::optional<double> progreso;
    // While folders are searched: the files found so far.
    std::optional<std::size_t> buscando;
    // Files waiting to be taken in or being taken in.
    std::size_t porAbrir = 0;
    std::string mensaje;
    bool mostrarInfoMetadatos = false;
    bool mostrarFiltros = false;
    bool modoTexto = false;
    std::optional<Uuid> capaSeleccionada;
    std::optional<Uuid> capaEditando;
    bool modoPaginas = false;
    bool mostrarInspector = true;
    bool mostrarBarraLateral = true;
    // Why background removal cannot run (the model is missing, unreadable or damaged), in
    // words for the user; empty when it can.
    std::string fondoNoDisponible;
    OpcionesPDF opcionesBorrador;

    std::optional<std::size_t> idxActivo() const;
    const ArchivoEstado* archivoActivo() const;
    ArchivoEstado* archivoActivo();
    const Variante* varianteActiva() const;
    bool enModo() const { return modoTexto || modoRecorte || modoPaginas; }
};

} // namespace Livora
