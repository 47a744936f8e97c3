#pragma once
// The page organiser's state and rules, without widgets: the grid feeds it clicks, keys and
// drags and draws what it holds. Every edit works on a private copy of the record's page
// list; nothing reaches the record until the organiser is applied.
#include "main/servicios.h"
#include "modelo/modelo.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Livora {

struct Modificadores {
    bool comando = false; // Ctrl here
    bool mayusculas = false;
};

struct EstadoOrganizador {
    std::vector<PaginaPDF> paginas;
    std::set<Uuid> seleccion;
    std::optional<Uuid> ancla;
    std::vector<std::vector<PaginaPDF>> historial; // oldest first
    std::optional<Uuid> arrastrada;
    double tamano = 130;
    bool cargando = false;
    std::string aviso;
};

// What a change touched, so the view can choose how to show it.
enum class Cambio {
    Seleccion, // selection or anchor
    Lista,     // an edit or an undo (the livelier spring)
    Reorden,   // one step of a drag (the calmer spring)
    Arrastre,  // a drag started or ended
    Aviso,
    Tamano,
    Carga,
};

class Organizador {
public:
    static constexpr std::size_t maxHistorial = 50;
    static constexpr double tamanoMinimo = 90;
    static constexpr double tamanoMaximo = 220;
    static constexpr std::chrono::milliseconds duracionAviso{3000};

    // `reloj` clears notices after their time; without one they stay.
    Organizador(std::vector<PaginaPDF> paginas, Reloj* reloj);
    ~Organizador();
    Organizador(const Organizador&) = delete;
    Organizador& operator=(const Organizador&) = delete;

    const EstadoOrganizador& estado() const { return e_; }
    void alCambiar(std::function<void(Cambio)> f) { alCambiar_ = std::move(f); }

    // ---- Selection
    // A click with the modifiers held: Ctrl toggles the page, Shift selects from the anchor
    // to it, a plain click selects only it (or nothing when it was the only one). Ctrl wins.
    void pulsar(const Uuid& id, Modificadores m);
    void seleccionarTodo();
    // The bar and the keys act on the selection; a page's context menu acts on the selection
    // when that page is in it, else on that page alone.
    std::set<Uuid> objetivoMenu(const Uuid& pagina) const;

    // ---- Edits (each one undo step; nothing happens for an empty target)
    void girar(const std::set<Uuid>& objetivo, int paso);
    void duplicar(const std::set<Uuid>& objetivo);
    // Refused with a notice when it would leave no page.
    void eliminar(const std::set<Uuid>& objetivo);
    void mover(const std::set<Uuid>& objetivo, bool alInicio);
    // One past the last selected page; the end when nothing is selected.
    std::size_t posicionInsercion() const;
    void insertar(std::vector<PaginaPDF> nuevas);
    void deshacer();
    bool puedeDeshacer() const { return !e_.historial.empty(); }

    // ---- Dragging: the whole drag is one undo step (none when it ends where it began).
    void empezarArrastre(const Uuid& id);
    // The dragged page takes the place of `destino`; true when the list changed.
    bool arrastrarSobre(const Uuid& destino);
    void terminarArrastre();

    // ---- Others
    // Shown for three seconds; a newer notice is never cut short by an older one's timer.
    void mostrarAviso(std::string texto);
    void setTamano(double tamano);
    void setCargando(bool cargando);
    // The pages of a target set in list order (what extraction writes).
    std::vector<PaginaPDF> paginasDe(const std::set<Uuid>& objetivo) const;
    // "12 páginas", or "3 de 12 seleccionada" while something is selected.
    std::string lineaCabecera() const;

private:
    // Records the current list as an undo step (when the change does change it) and
    // installs the new one.
    bool editar(std::vector<PaginaPDF> nuevas);
    void recortarHistorial();
    std::optional<std::size_t> posicion(const Uuid& id) const;
    void notificar(Cambio c) {
        if (alCambiar_) alCambiar_(c);
    }

    EstadoOrganizador e_;
    Reloj* reloj_;
    std::function<void(Cambio)> alCambiar_;
    std::optional<Reloj::Tarea> tareaAviso_;
    std::uint64_t generacionAviso_ = 0;
};

} // namespace Livora
