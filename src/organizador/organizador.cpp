#include "organizador/organizador.h"

#include <algorithm>

namespace Livora {

Organizador::Organizador(std::vector<PaginaPDF> paginas, Reloj* reloj) : reloj_(reloj) {
    e_.paginas = std::move(paginas);
}

// A pending notice timer would call back into a destroyed organiser.
Organizador::~Organizador() {
    if (reloj_ && tareaAviso_) reloj_->cancelar(*tareaAviso_);
}

std::optional<std::size_t> Organizador::posicion(const Uuid& id) const {
    for (std::size_t i = 0; i < e_.paginas.size(); ++i)
        if (e_.paginas[i].id == id) return i;
    return std::nullopt;
}

// ---- Selection -----------------------------------------------------------------------------

void Organizador::pulsar(const Uuid& id, Modificadores m) {
    terminarArrastre();
    std::optional<std::size_t> desde, hasta;
    if (m.mayusculas && e_.ancla) {
        desde = posicion(*e_.ancla);
        hasta = posicion(id);
    }
    if (m.comando) {
        if (!e_.seleccion.erase(id)) e_.seleccion.insert(id);
        e_.ancla = id;
    } else if (desde && hasta) {
        const auto [a, b] = std::minmax(*desde, *hasta);
        e_.seleccion.clear();
        for (std::size_t i = a; i <= b; ++i)
            e_.seleccion.insert(e_.paginas[i].id);
    } else {
        const bool soloEsta = e_.seleccion.size() == 1 && e_.seleccion.count(id);
        e_.seleccion.clear();
        if (!soloEsta) e_.seleccion.insert(id);
        e_.ancla = id;
    }
    notificar(Cambio::Seleccion);
}

void Organizador::seleccionarTodo() {
    e_.seleccion.clear();
    for (const auto& p : e_.paginas)
        e_.seleccion.insert(p.id);
    notificar(Cambio::Seleccion);
}

std::set<Uuid> Organizador::objetivoMenu(const Uuid& pagina) const {
    if (e_.seleccion.count(pagina)) return e_.seleccion;
    return {pagina};
}

// ---- Edits ---------------------------------------------------------------------------------

bool Organizador::editar(std::vector<PaginaPDF> nuevas) {
    // A change that changes nothing (moving the first pages to the start) would leave an
    // undo step that does nothing.
    if (nuevas == e_.paginas) return false;
    e_.historial.push_back(std::move(e_.paginas));
    recortarHistorial();
    e_.paginas = std::move(nuevas);
    return true;
}

void Organizador::recortarHistorial() {
    if (e_.historial.size() > maxHistorial)
        e_.historial.erase(e_.historial.begin(),
                           e_.historial.begin() +
                               std::ptrdiff_t(e_.historial.size() - maxHistorial));
}

void Organizador::girar(const std::set<Uuid>& objetivo, int paso) {
    if (objetivo.empty()) return;
    auto nuevas = e_.paginas;
    for (auto& p : nuevas)
        if (objetivo.count(p.id)) p.rotacion += paso;
    if (editar(std::move(nuevas))) notificar(Cambio::Lista);
}

void Organizador::duplicar(const std::set<Uuid>& objetivo) {
    if (objetivo.empty()) return;
    std::vector<PaginaPDF> nuevas;
    std::set<Uuid> copias;
    for (const auto& p : e_.paginas) {
        nuevas.push_back(p);
        if (!objetivo.count(p.id)) continue;
        PaginaPDF copia = p;
        copia.id = Uuid::nuevo();
        copias.insert(copia.id);
        nuevas.push_back(std::move(copia));
    }
    if (!editar(std::move(nuevas))) return;
    e_.seleccion = std::move(copias);
    notificar(Cambio::Lista);
}

void Organizador::eliminar(const std::set<Uuid>& objetivo) {
    if (objetivo.empty()) return;
    auto nuevas = e_.paginas;
    std::erase_if(nuevas, [&](const PaginaPDF& p) { return objetivo.count(p.id) > 0; });
    if (nuevas.empty()) {
        mostrarAviso("El PDF debe conservar al menos una página");
        return;
    }
    if (!editar(std::move(nuevas))) return;
    e_.seleccion.clear();
    notificar(Cambio::Lista);
}

void Organizador::mover(const std::set<Uuid>& objetivo, bool alInicio) {
    if (objetivo.empty()) return;
    auto nuevas = e_.paginas;
    std::stable_partition(nuevas.begin(), nuevas.end(), [&](const PaginaPDF& p) {
        return (objetivo.count(p.id) > 0) == alInicio;
    });
    if (editar(std::move(nuevas))) notificar(Cambio::Lista);
}

std::size_t Organizador::posicionInsercion() const {
    for (std::size_t i = e_.paginas.size(); i > 0; --i)
        if (e_.seleccion.count(e_.paginas[i - 1].id)) return i;
    return e_.paginas.size();
}

void Organizador::insertar(std::vector<PaginaPDF> nuevas) {
    if (nuevas.empty()) return;
    std::set<Uuid> ids;
    for (const auto& p : nuevas)
        ids.insert(p.id);
    auto lista = e_.paginas;
    lista.insert(lista.begin() + std::ptrdiff_t(posicionInsercion()), nuevas.begin(), nuevas.end());
    editar(std::move(lista));
    e_.seleccion = std::move(ids);
    notificar(Cambio::Lista);
}

void Organizador::deshacer() {
    if (e_.historial.empty()) return;
    e_.paginas = std::move(e_.historial.back());
    e_.historial.pop_back();
    std::set<Uuid> presentes;
    for (const auto& p : e_.paginas)
        presentes.insert(p.id);
    std::erase_if(e_.seleccion, [&](const Uuid& id) { return !presentes.count(id); });
    notificar(Cambio::Lista);
}

// ---- Dragging ------------------------------------------------------------------------------

void Organizador::empezarArrastre(const Uuid& id) {
    if (!posicion(id)) return;
    if (e_.arrastrada) terminarArrastre();
    e_.historial.push_back(e_.paginas);
    e_.arrastrada = id;
    notificar(Cambio::Arrastre);
}

bool Organizador::arrastrarSobre(const Uuid& destino) {
    if (!e_.arrastrada || *e_.arrastrada == destino) return false;
    const auto desde = posicion(*e_.arrastrada), hasta = posicion(destino);
    if (!desde || !hasta) return false;
    // Removing first shifts the later places down by one, so the page lands at `hasta`
    // either way: after the target going forwards, before it going backwards.
    PaginaPDF p = std::move(e_.paginas[*desde]);
    e_.paginas.erase(e_.paginas.begin() + std::ptrdiff_t(*desde));
    e_.paginas.insert(e_.paginas.begin() + std::ptrdiff_t(*hasta), std::move(p));
    notificar(Cambio::Reorden);
    return true;
}

void Organizador::terminarArrastre() {
    if (!e_.arrastrada) return;
    e_.arrastrada.reset();
    // The step pushed when the drag began: dropped when the page came back to its place.
    if (!e_.historial.empty() && e_.historial.back() == e_.paginas)
        e_.historial.pop_back();
    else
        recortarHistorial();
    notificar(Cambio::Arrastre);
}

// ---- Others --------------------------------------------------------------------------------

void Organizador::mostrarAviso(std::string texto) {
    e_.aviso = std::move(texto);
    const auto generacion = ++generacionAviso_;
    if (reloj_) {
        if (tareaAviso_) reloj_->cancelar(*tareaAviso_);
        tareaAviso_ = reloj_->programar(duracionAviso, [this, generacion] {
            tareaAviso_.reset();
            // Only the newest notice's own timer clears it, even when an older notice had
            // the same text.
            if (generacion != generacionAviso_) return;
            e_.aviso.clear();
            notificar(Cambio::Aviso);
        });
    }
    notificar(Cambio::Aviso);
}

void Organizador::setTamano(double tamano) {
    tamano = std::clamp(tamano, tamanoMinimo, tamanoMaximo);
    if (tamano == e_.tamano) return;
    e_.tamano = tamano;
    notificar(Cambio::Tamano);
}

void Organizador::setCargando(bool cargando) {
    if (cargando == e_.cargando) return;
    e_.cargando = cargando;
    notificar(Cambio::Carga);
}

std::vector<PaginaPDF> Organizador::paginasDe(const std::set<Uuid>& objetivo) const {
    std::vector<PaginaPDF> r;
    for (const auto& p : e_.paginas)
        if (objetivo.count(p.id)) r.push_back(p);
    return r;
}

std::string Organizador::lineaCabecera() const {
    const std::size_t n = e_.paginas.size();
    if (!e_.seleccion.empty())
        return std::to_string(e_.seleccion.size()) + " de " + std::to_string(n) + " seleccionada";
    return std::to_string(n) + (n == 1 ? " página" : " páginas");
}

} // namespace Livora
