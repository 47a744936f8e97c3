// Intake of several paths at once: folders searched off the GUI thread, the question
// before a large folder, and the queue that starts intake jobs a few at a time.
#include "main/textos.h"
#include "main/tipos_ventana.h"
#include "main/vista_principal.h"
#include "vistas/prioridad.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>

namespace Livora {

namespace {

// Above this many files from folders, intake asks before taking them in.
constexpr std::size_t kPreguntarDesde = 200;

} // namespace

void VistaPrincipal::actualizarProcesando() {
    e_.porAbrir = cola_.esperando() + static_cast<std::size_t>(cola_.enMarcha());
    e_.procesando = trabajos_ > 0 || e_.porAbrir > 0 || busquedasEnCurso_ > 0;
}

bool VistaPrincipal::encolar(PeticionIngesta p, bool activarAbierto) {
    for (const auto& a : e_.archivos)
        if (a.url == p.url) {
            if (activarAbierto) fijarActivo(a.id);
            return false;
        }
    // Waiting, being opened, or asking for its password: not started twice.
    if (enCurso_.count(p.url.string())) return false;
    // A PDF clears the notice only once its password is known: cancelling the question
    // leaves the window as it was.
    if (esImagenPorTipo(p.url)) e_.mensaje.clear();
    enCurso_[p.url.string()]++;
    cola_.poner(std::move(p));
    actualizarProcesando();
    return true;
}

void VistaPrincipal::despachar() {
    if (modal_) return;
    if (s_.limiteIngestas <= 0) cola_.setLimite(limiteIngestasDelSistema());
    while (auto p = cola_.tomar()) {
        if (esImagenPorTipo(p->url)) {
            lanzarIngesta(*p, true, p->url, false, std::nullopt, true);
            continue;
        }
        Ruta fuente = p->url;
        if (s_.motor.estadoPDF(p->url) == MotorVentana::AperturaPDF::Bloqueado) {
            modal_ = true;
            auto copia = desbloquearPDF(p->url);
            modal_ = false;
            if (!copia) {
                enCurso_.erase(p->url.string());
                cola_.terminar();
                continue;
            }
            fuente = *copia;
        }
        e_.mensaje.clear();
        lanzarIngesta(*p, false, fuente, false, std::nullopt, true);
    }
    if (!busquedasListas_.empty()) atenderBusquedas();
    actualizarProcesando();
}

void VistaPrincipal::procesarRutas(const std::vector<Ruta>& rutas) {
    std::vector<Ruta> carpetas;
    std::copy_if(rutas.begin(), rutas.end(), std::back_inserter(carpetas), esCarpeta);
    if (carpetas.empty()) {
        for (const auto& r : rutas)
            encolar({r}, true);
        despachar();
        notificar();
        return;
    }
    ++busquedasEnCurso_;
    e_.buscando = 0;
    actualizarProcesando();
    notificar();
    const std::uint64_t epoca = epoca_->load();
    busquedas_.start([this, rutas, carpetas, epoca, vigente = epoca_] {
        cederPrioridad();
        using Reloj = std::chrono::steady_clock;
        auto ultimo = Reloj::now();
        auto hallados = expandirRutas(rutas, [&](std::size_t n) {
            if (vigente->load() != epoca) return false;
            // The count reaches the window ten times a second at most.
            if (Reloj::now() - ultimo >= std::chrono::milliseconds(100)) {
                ultimo = Reloj::now();
                QMetaObject::invokeMethod(
                    this,
                    [this, epoca, n] {
                        if (epoca != epoca_->load() || !e_.buscando) return;
                        e_.buscando = n;
                        notificar();
                    },
                    Qt::QueuedConnection);
            }
            return true;
        });
        auto r = std::make_shared<BusquedaLista>(BusquedaLista{
            epoca, carpetas, hallados ? std::move(*hallados) : std::vector<Hallazgo>{},
            hallados.has_value()});
        QMetaObject::invokeMethod(
            this, [this, r] { terminarBusqueda(std::move(*r)); }, Qt::QueuedConnection);
    });
}

void VistaPrincipal::terminarBusqueda(BusquedaLista lista) {
    e_.buscando.reset();
    if (lista.epoca == epoca_->load() && lista.completa)
        busquedasListas_.push_back(std::move(lista));
    else
        --busquedasEnCurso_;
    atenderBusquedas();
    notificar();
}

void VistaPrincipal::atenderBusquedas() {
    while (!modal_ && !busquedasListas_.empty()) {
        BusquedaLista lista = std::move(busquedasListas_.front());
        busquedasListas_.pop_front();
        --busquedasEnCurso_;
        tomarHallazgos(lista);
    }
    despachar();
    notificar();
}

void VistaPrincipal::tomarHallazgos(const BusquedaLista& lista) {
    const std::size_t deCarpetas = static_cast<std::size_t>(std::count_if(
        lista.hallados.begin(), lista.hallados.end(), [](const Hallazgo& h) { return h.carpeta; }));
    if (deCarpetas > kPreguntarDesde && s_.dialogos) {
        modal_ = true;
        const bool si = s_.dialogos->confirmar(preguntaCarpetas(lista.carpetas, deCarpetas),
                                               "Añadir", "Cancelar");
        modal_ = false;
        if (!si) return;
    }
    for (const auto& c : lista.carpetas) {
        const Ruta raiz = carpetaNormalizada(c);
        if (std::none_of(lista.hallados.begin(), lista.hallados.end(),
                         [&](const Hallazgo& h) { return h.carpeta == raiz; }))
            avisar(carpetaSinArchivos(raiz));
    }
    const std::uint64_t lote = ++ultimoLote_;
    std::size_t orden = 0;
    for (const auto& h : lista.hallados) {
        if (h.carpeta)
            encolar({h.archivo, h.carpeta, lote, orden++}, false);
        else
            encolar({h.archivo}, true);
    }
}

void VistaPrincipal::soltarPendientes() {
    for (const auto& p : cola_.vaciar())
        if (--enCurso_[p.url.string()] <= 0) enCurso_.erase(p.url.string());
    // Searches still walking stop at their next check and are ignored when they report.
    epoca_->fetch_add(1);
    busquedasEnCurso_ -= static_cast<int>(busquedasListas_.size());
    busquedasListas_.clear();
    e_.buscando.reset();
    // Folder files already being taken in are dropped when their jobs end.
    primerLoteVigente_ = ultimoLote_ + 1;
    lotesConActivo_.clear();
    actualizarProcesando();
}

} // namespace Livora
