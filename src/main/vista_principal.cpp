#include "main/vista_principal.h"

#include "main/textos.h"
#include "main/tipos_ventana.h"
#include "motor/archivos.h"
#include "motor/guardar.h"
#include "motor/temporales.h"
#include "vistas/prioridad.h"

#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

#include <memory>

#include <malloc.h>

#include <vips/vips.h>

namespace Livora {

VistaPrincipal::VistaPrincipal(ServiciosVentana servicios, QObject* padre)
    : QObject(padre), s_(std::move(servicios)) {
    cola_.setLimite(s_.limiteIngestas > 0 ? s_.limiteIngestas : limiteIngestasDelSistema());
    // Room for every intake the queue lets run plus one regeneration.
    pool_.setMaxThreadCount(std::max({2, QThread::idealThreadCount(), cola_.limite() + 1}));
    busquedas_.setMaxThreadCount(1);
    // Hand the encoders' freed buffers back to the system once the work is done, off this
    // thread and a moment later: trimming a heap that held several photos takes tens of
    // milliseconds with the heap locked, and the paint that follows the last result would
    // wait for it.
    recortarMemoria_.setSingleShot(true);
    recortarMemoria_.setInterval(1000);
    connect(&recortarMemoria_, &QTimer::timeout, this, [this] {
        if (trabajos_ > 0) return;
        pool_.start([] {
            cederPrioridad();
            malloc_trim(0);
        });
    });
}

// Jobs call back into this object; let them finish (long PDF work stops between pages)
// before it goes away. What is still waiting is dropped. Then the temporary space goes too,
// but for what was handed out.
VistaPrincipal::~VistaPrincipal() {
    soltarPendientes();
    cancelarTrabajos();
    busquedas_.waitForDone();
    pool_.waitForDone();
    limpiarAlSalir(false);
}

template <class R, class F, class G>
void VistaPrincipal::enSegundoPlano(F trabajo, G fin, std::vector<Ruta> usa) {
    const std::uint64_t vuelo = ++siguienteVuelo_;
    vuelos_[vuelo] = Vuelo{marcaTemporal(), std::move(usa)};
    pool_.start([this, trabajo, fin, vuelo]() {
        cederPrioridad();
        auto r = std::make_shared<std::optional<R>>(trabajo());
        vips_thread_shutdown();
        QMetaObject::invokeMethod(
            this,
            [this, fin, r, vuelo]() {
                fin(std::move(**r));
                vuelos_.erase(vuelo);
                limpiarTemporalesLuego();
            },
            Qt::QueuedConnection);
    });
}

ArchivoEstado* VistaPrincipal::buscar(const Uuid& id) {
    for (auto& a : e_.archivos)
        if (a.id == id) return &a;
    return nullptr;
}

void VistaPrincipal::empezarTrabajo() {
    ++trabajos_;
    actualizarProcesando();
}

void VistaPrincipal::terminarTrabajo() {
    if (trabajos_ > 0) --trabajos_;
    actualizarProcesando();
    // Not between two files of a queue that runs one at a time.
    if (trabajos_ == 0 && cola_.esperando() == 0) recortarMemoria_.start();
}

void VistaPrincipal::fijarActivo(std::optional<Uuid> id) {
    if (id != e_.archivoActivoID) {
        e_.modoRecorte = e_.modoTexto = e_.modoPaginas = false;
        e_.capaSeleccionada.reset();
        e_.capaEditando.reset();
        const ArchivoEstado* a = id ? buscar(*id) : nullptr;
        e_.opcionesBorrador = a ? a->opcionesPDF : OpcionesPDF{};
    }
    e_.archivoActivoID = id;
}

// ---- Intake -------------------------------------------------------------------------

void VistaPrincipal::procesar(const Ruta& url) {
    if (esCarpeta(url)) {
        procesarRutas({url});
        return;
    }
    if (encolar({url}, true)) despachar();
    notificar();
}

void VistaPrincipal::abrirPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                              std::optional<std::int64_t> bytesOriginal) {
    enCurso_[url.string()]++;
    lanzarIngesta({url}, false, fuente, esCombinado, bytesOriginal, false);
}

void VistaPrincipal::lanzarIngesta(const PeticionIngesta& p, bool esImagen, const Ruta& fuente,
                                   bool esCombinado, std::optional<std::int64_t> bytesOriginal,
                                   bool deCola) {
    empezarTrabajo();
    const Ruta url = p.url;
    if (esImagen) {
        notificar();
        auto ingesta = s_.motor.ingestaImagen;
        const AjustesImagen ajustes = e_.ajustes;
        enSegundoPlano<Resultado<ArchivoEstado>>(
            [ingesta, url, ajustes] { return ingesta(url, ajustes); },
            [this, p, deCola](Resultado<ArchivoEstado> r) {
                terminarIngesta(p, deCola, std::move(r));
            });
        return;
    }
    std::uint64_t largo = 0;
    const ControlTrabajo control = empezarTrabajoLargo(std::nullopt, largo);
    notificar();
    auto ingesta = s_.motor.ingestaPDF;
    enSegundoPlano<Resultado<ArchivoEstado>>(
        [ingesta, url, fuente, esCombinado, bytesOriginal, control] {
            return ingesta(url, fuente, esCombinado, bytesOriginal, control);
        },
        [this, p, deCola, largo](Resultado<ArchivoEstado> r) {
            terminarTrabajoLargo(largo);
            terminarIngesta(p, deCola, std::move(r));
        },
        {fuente, url});
}

void VistaPrincipal::terminarIngesta(const PeticionIngesta& p, bool deCola,
                                     Resultado<ArchivoEstado> r) {
    if (--enCurso_[p.url.string()] <= 0) enCurso_.erase(p.url.string());
    if (deCola) cola_.terminar();
    terminarTrabajo();
    // A folder dropped with the start screen leaves nothing behind, not even its failures.
    const bool vigente = p.lote == 0 || p.lote >= primerLoteVigente_;
    if (vigente && r) {
        r->carpetaOrigen = p.carpeta;
        anadir(std::move(*r), p);
    } else if (vigente && !esCancelado(r.error())) {
        fallo(p.url, r.error().mensaje);
    }
    despachar();
    notificar();
}

std::optional<Ruta> VistaPrincipal::desbloquearPDF(const Ruta& url) {
    if (!s_.dialogos) return std::nullopt;
    const std::string titulo = "«" + url.filename().string() + "» está protegido";
    std::string informativo = "Introduce la contraseña para abrirlo.";
    for (;;) {
        auto pw = s_.dialogos->pedirContrasena(titulo, informativo);
        if (!pw) return std::nullopt;
        auto r = s_.motor.desbloquear(url, *pw);
        if (r) return *r;
        informativo = "Contraseña incorrecta. Inténtalo de nuevo.";
    }
}

void VistaPrincipal::anadir(ArchivoEstado archivo, const PeticionIngesta& p) {
    const Uuid id = archivo.id;
    if (p.lote == 0) {
        e_.archivos.push_back(std::move(archivo));
        fijarActivo(id);
        return;
    }
    // A folder's files keep the folder's order whatever order their jobs end in, and only
    // the first to arrive becomes active: the view does not jump with every photo.
    auto despues = std::find_if(e_.archivos.begin(), e_.archivos.end(), [&](const auto& a) {
        auto l = lugarEnLote_.find(a.id);
        return l != lugarEnLote_.end() && l->second.first == p.lote && l->second.second > p.orden;
    });
    e_.archivos.insert(despues, std::move(archivo));
    lugarEnLote_[id] = {p.lote, p.orden};
    if (lotesConActivo_.insert(p.lote).second) fijarActivo(id);
}

void VistaPrincipal::fallo(const Ruta& url, const std::string& descripcion) {
    avisar("❌ " + url.filename().string() + ": " + descripcion);
}

void VistaPrincipal::recibir(const QList<QUrl>& urls) {
    // Handled once the drop has returned: a password dialog must not run inside the file
    // manager's drag, which stays blocked until the drop event ends.
    std::vector<Ruta> rutas;
    for (const QUrl& u : urls)
        if (u.isLocalFile()) rutas.emplace_back(u.toLocalFile().toStdString());
    if (rutas.empty()) return;
    QMetaObject::invokeMethod(
        this, [this, rutas] { procesarRutas(rutas); }, Qt::QueuedConnection);
}

void VistaPrincipal::elegirArchivos() {
    if (!s_.dialogos) return;
    procesarRutas(s_.dialogos->elegirArchivosYCarpetas());
}

void VistaPrincipal::setArrastrando(bool si) {
    if (e_.arrastrando == si) return;
    e_.arrastrando = si;
    notificar();
}

// ---- Notices, removal, start screen ------------------------------------------------

void VistaPrincipal::avisar(const std::string& texto) {
    e_.mensaje = texto;
    const auto generacion = ++generacionAviso_;
    if (s_.reloj) {
        if (tareaAviso_) s_.reloj->cancelar(*tareaAviso_);
        tareaAviso_ = s_.reloj->programar(std::chrono::seconds(5), [this, generacion] {
            tareaAviso_.reset();
            // Only the newest notice's own timer clears it.
            if (generacion != generacionAviso_) return;
            e_.mensaje.clear();
            notificar();
        });
    }
    notificar();
}

void VistaPrincipal::descartarAviso() {
    if (e_.mensaje.empty()) return;
    e_.mensaje.clear();
    notificar();
}

void VistaPrincipal::quitar(const Uuid& id) {
    std::erase_if(e_.archivos, [&](const ArchivoEstado& a) { return a.id == id; });
    secuencia_.erase(id);
    cancelarTrabajosDe(id);
    lugarEnLote_.erase(id);
    if (e_.archivoActivoID == id)
        fijarActivo(e_.archivos.empty() ? std::nullopt : std::optional(e_.archivos.front().id));
    limpiarTemporales();
    notificar(Transicion::Suave);
}

void VistaPrincipal::volverInicio() {
    e_.archivos.clear();
    secuencia_.clear();
    lugarEnLote_.clear();
    soltarPendientes();
    cancelarTrabajos();
    fijarActivo(std::nullopt);
    e_.modoRecorte = e_.modoPaginas = e_.modoTexto = e_.mostrarFiltros = false;
    e_.mensaje.clear();
    // Running jobs are never cancelled, so progress stays on while any is still running.
    actualizarProcesando();
    e_.ajustes.objetivoKB.reset();
    limpiarTemporales();
    notificar();
}

// ---- Merging --------------------------------------------------------------------------

void VistaPrincipal::combinar(std::vector<ArchivoEstado> archivos) {
    // Only what the merge reads travels to the job.
    for (auto& a : archivos) {
        a.fuente.reset();
        a.fuenteOriginal.reset();
        a.previewAntes.reset();
        a.miniaturasFiltros.clear();
        a.miniaturas.clear();
    }
    std::vector<Ruta> usa;
    for (const auto& a : archivos)
        for (const auto& c : carpetasDe(a))
            usa.push_back(c);
    e_.mensaje.clear();
    empezarTrabajo();
    notificar();
    auto unir = s_.motor.unir;
    enSegundoPlano<Resultado<MotorVentana::Union>>(
        [unir, archivos] { return unir(archivos); },
        [this](Resultado<MotorVentana::Union> r) {
            terminarTrabajo();
            if (!r) {
                avisar("❌ " + r.error().mensaje);
                return;
            }
            abrirPDF(r->combinado, r->combinado, true, r->bytesOriginales);
            if (!r->omitidos.empty()) {
                std::string t = "⚠️ No se pudo unir: ";
                for (std::size_t i = 0; i < r->omitidos.size(); ++i)
                    t += (i ? ", " : "") + r->omitidos[i];
                avisar(t);
            }
            notificar();
        },
        std::move(usa));
}

void VistaPrincipal::elegirParaUnir() {
    if (!s_.dialogos) return;
    const auto rutas = s_.dialogos->elegirArchivos("Elige los PDFs e imágenes a unir, en orden");
    if (rutas.empty()) return;
    if (rutas.size() == 1) {
        procesar(rutas.front());
        return;
    }
    std::vector<ArchivoEstado> entradas;
    for (const auto& r : rutas) {
        ArchivoEstado a;
        a.url = r;
        a.esImagen = esImagenPorTipo(r);
        a.bytesOriginal = tamano(r);
        if (!a.esImagen) {
            a.fuentePDF = r;
            a.paginas = s_.motor.paginasDe(r);
            a.paginasIniciales = static_cast<std::int64_t>(a.paginas.size());
        }
        entradas.push_back(std::move(a));
    }
    combinar(std::move(entradas));
}

// ---- Choosing -------------------------------------------------------------------------

void VistaPrincipal::activar(const Uuid& id) {
    if (!buscar(id)) return;
    fijarActivo(id);
    notificar();
}

void VistaPrincipal::elegirVariante(const Uuid& id) {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a) return;
    a->seleccionada = id;
    notificar();
}

void VistaPrincipal::moverSeleccion(int paso) {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a) return;
    if (auto i = indiceMovido(*a, paso)) {
        a->seleccionada = a->variantes[*i].id;
        notificar(Transicion::Rapida);
    }
}

// ---- Saving and sharing -------------------------------------------------------------------

void VistaPrincipal::guardar(bool lote) {
    const ArchivoEstado* a = e_.archivoActivo();
    const Variante* v = e_.varianteActiva();
    if (!lote && a && v && a->esCombinado) {
        if (!s_.dialogos) return;
        const std::string propuesto = a->url.stem().string() + "." + v->ext;
        auto destino = s_.dialogos->guardarComo(propuesto);
        if (!destino || destino->empty()) return;
        if (auto c = copiarSeguro(v->urlTemp, *destino); !c) {
            avisar(textoFalloGuardado(*destino, c.error()));
            return;
        }
        avisar("✓ Guardado");
        if (s_.escritorio) s_.escritorio->revelar({*destino});
        return;
    }
    const auto r = guardarTrabajos(trabajosGuardado(e_, lote));
    avisar(textoResultadoGuardado(r));
    if (!s_.escritorio || (!r.fallos.empty() && r.guardadas.empty())) return;
    // Nothing to save still confirms and opens the file browser, with nothing selected.
    if (r.total() == 0)
        s_.escritorio->abrirCarpeta(carpetaDeLaLista(e_));
    else if (!r.guardadas.empty())
        s_.escritorio->revelar(lugaresGuardados(e_, r.guardadas));
}

void VistaPrincipal::revelarOriginal(const Uuid& id) {
    const ArchivoEstado* a = buscar(id);
    if (a && !a->esCombinado && s_.escritorio) s_.escritorio->revelar({a->url});
}

// A file handed to another application must outlive the window's cleaning.
void VistaPrincipal::copiarSalida() {
    if (const Variante* v = e_.varianteActiva(); v && s_.escritorio) {
        entregarTemporal(v->urlTemp);
        s_.escritorio->copiarAlPortapapeles(v->urlTemp);
    }
}

void VistaPrincipal::abrirSalidaCon() {
    if (const Variante* v = e_.varianteActiva(); v && s_.escritorio) {
        entregarTemporal(v->urlTemp);
        s_.escritorio->abrirCon(v->urlTemp);
    }
}

void VistaPrincipal::enviarSalidaPorCorreo() {
    if (const Variante* v = e_.varianteActiva(); v && s_.escritorio) {
        entregarTemporal(v->urlTemp);
        s_.escritorio->enviarPorCorreo(v->urlTemp);
    }
}

// ---- Toolbar and editors --------------------------------------------------------------------

void VistaPrincipal::alternarInspector() {
    e_.mostrarInspector = !e_.mostrarInspector;
    notificar();
}

void VistaPrincipal::alternarFiltros() {
    e_.mostrarFiltros = !e_.mostrarFiltros;
    notificar(Transicion::MuelleVivo);
}

void VistaPrincipal::abrirTexto() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen || e_.procesando || e_.enModo()) return;
    if (a->capas.empty())
        agregarCapa();
    else
        e_.capaSeleccionada = a->capas.front().id;
    e_.modoTexto = true;
    notificar();
}

void VistaPrincipal::terminarTexto() {
    e_.capaEditando.reset();
    e_.modoTexto = false;
    regenerarActivo();
    notificar();
}

void VistaPrincipal::abrirRecorte() {
    const ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen || e_.procesando || e_.enModo()) return;
    e_.modoRecorte = true;
    notificar();
}

void VistaPrincipal::abrirPaginas() {
    const ArchivoEstado* a = e_.archivoActivo();
    if (!a || a->esImagen || e_.procesando || e_.enModo()) return;
    e_.modoPaginas = true;
    notificar();
}

void VistaPrincipal::salirDeModo() {
    e_.modoRecorte = e_.modoPaginas = e_.modoTexto = false;
    notificar();
}

// ---- Output settings ------------------------------------------------------------------------

void VistaPrincipal::setQuitarMetadatos(bool quitar) {
    if (e_.ajustes.quitarMetadatos == quitar) return;
    e_.ajustes.quitarMetadatos = quitar;
    regenerarImagenes();
    notificar();
}

void VistaPrincipal::setAjustesCustom(double calidad, double ancho, double alto, bool proporcion) {
    auto& a = e_.ajustes;
    const bool cambia =
        a.calidadCustom != calidad || a.anchoCustom != ancho || a.altoCustom != alto;
    a.calidadCustom = calidad;
    a.anchoCustom = ancho;
    a.altoCustom = alto;
    a.proporcionBloqueada = proporcion;
    if (cambia) programarRegeneracionCustom();
    notificar();
}

void VistaPrincipal::setObjetivoTexto(const std::string& texto) {
    e_.objetivoTexto = texto;
    notificar();
}

void VistaPrincipal::ajustarObjetivo() {
    e_.ajustes.objetivoKB = objetivoDeTexto(e_.objetivoTexto);
    regenerarActivo("objetivo");
    notificar();
}

void VistaPrincipal::setFiltros(const FiltroAjustes& filtros) {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen) return;
    a->filtros = filtros;
    programarRegeneracionFiltros();
    notificar();
}

// ---- PDF records ---------------------------------------------------------------------------

void VistaPrincipal::setOpcionesBorrador(const OpcionesPDF& borrador) {
    e_.opcionesBorrador = borrador;
    notificar();
}

void VistaPrincipal::descartarOpcionesPDF() {
    const ArchivoEstado* a = e_.archivoActivo();
    e_.opcionesBorrador = a ? a->opcionesPDF : OpcionesPDF{};
    notificar();
}

void VistaPrincipal::aplicarOpcionesPDF() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || a->esImagen) return;
    if (e_.opcionesBorrador == a->opcionesPDF) return;
    if (e_.opcionesBorrador.proteger && e_.opcionesBorrador.contrasena.empty()) return;
    a->opcionesPDF = e_.opcionesBorrador;
    regenerarPDF();
}

void VistaPrincipal::regenerarPDF() {
    const ArchivoEstado* a = e_.archivoActivo();
    if (!a || a->esImagen) return;
    const Uuid id = a->id;
    const std::uint64_t numero = ++secuencia_[id];
    std::optional<std::string> sufijo;
    if (const Variante* v = e_.varianteActiva()) sufijo = v->sufijo;
    const auto paginas = a->paginas;
    const auto opciones = a->opcionesPDF;
    auto variantesPDF = s_.motor.variantesPDF;
    empezarTrabajo();
    std::uint64_t largo = 0;
    const ControlTrabajo control = empezarTrabajoLargo(id, largo);
    std::vector<Ruta> usa;
    for (const auto& p : paginas)
        usa.push_back(p.fuente);
    enSegundoPlano<Resultado<MotorVentana::SalidaPDF>>(
        [variantesPDF, paginas, opciones, control] {
            return variantesPDF(paginas, opciones, control);
        },
        [this, id, numero, sufijo, largo](Resultado<MotorVentana::SalidaPDF> r) {
            terminarTrabajo();
            terminarTrabajoLargo(largo);
            ArchivoEstado* x = buscar(id);
            auto s = secuencia_.find(id);
            const bool vigente = x && s != secuencia_.end() && s->second == numero;
            if (!r) {
                // The record keeps its former alternatives.
                if (vigente && !esCancelado(r.error())) avisar("❌ " + r.error().mensaje);
            } else if (vigente) {
                x->previewAntes = enMemoria(std::move(r->preview));
                x->variantes = std::move(r->variantes);
                x->seleccionada = reseleccion(x->variantes, sufijo);
            }
            notificar();
        },
        std::move(usa));
    notificar();
}

void VistaPrincipal::restaurarPaginas() {
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || a->esImagen || !a->fuentePDF) return;
    // The thumbnails stay valid: their keys name the source page, not the reference.
    a->paginas = s_.motor.paginasDe(*a->fuentePDF);
    regenerarPDF();
}

void VistaPrincipal::aplicarOrganizador(std::vector<PaginaPDF> paginas,
                                        std::map<std::string, Imagen> miniaturas) {
    e_.modoPaginas = false;
    ArchivoEstado* a = e_.archivoActivo();
    if (!a || a->esImagen) {
        notificar();
        return;
    }
    a->miniaturas = std::move(miniaturas);
    const bool cambio = paginas != a->paginas;
    a->paginas = std::move(paginas);
    if (cambio)
        regenerarPDF();
    else
        notificar();
}

// ---- Regeneration -----------------------------------------------------------------------------

void VistaPrincipal::regenerarActivo(std::optional<std::string> reseleccionar) {
    const ArchivoEstado* a = e_.archivoActivo();
    if (!a || !a->esImagen || !a->fuente) return;
    if (!reseleccionar)
        if (const Variante* v = e_.varianteActiva()) reseleccionar = v->sufijo;
    lanzarRegeneracion(*a, true, std::move(reseleccionar));
    notificar();
}

void VistaPrincipal::regenerarImagenes() {
    for (const auto& a : e_.archivos)
        if (a.esImagen && a.fuente) lanzarRegeneracion(a, false, std::nullopt);
}

void VistaPrincipal::lanzarRegeneracion(const ArchivoEstado& a, bool cuentaComoTrabajo,
                                        std::optional<std::string> reseleccionar) {
    const Uuid id = a.id;
    const std::uint64_t numero = ++secuencia_[id];
    const EntradaCadena entrada = entradaCadena(a, e_.ajustes);
    if (cuentaComoTrabajo) empezarTrabajo();
    auto cadena = s_.motor.cadenaImagen;
    enSegundoPlano<Resultado<std::vector<Variante>>>(
        [cadena, entrada] { return cadena(entrada); },
        [this, id, numero, cuentaComoTrabajo, reseleccionar](Resultado<std::vector<Variante>> r) {
            if (cuentaComoTrabajo) terminarTrabajo();
            ArchivoEstado* x = buscar(id);
            auto s = secuencia_.find(id);
            // A newer run for this record has started: this result is already stale.
            if (x && s != secuencia_.end() && s->second == numero) {
                std::optional<std::string> sufijo = reseleccionar;
                if (!cuentaComoTrabajo) {
                    sufijo.reset();
                    for (const auto& v : x->variantes)
                        if (x->seleccionada == v.id) sufijo = v.sufijo;
                }
                x->variantes = r ? std::move(*r) : std::vector<Variante>{};
                x->seleccionada = reseleccion(x->variantes, sufijo);
            }
            notificar();
        });
}

void VistaPrincipal::programarRegeneracionCustom() {
    if (!s_.reloj) return;
    if (trabajoCustom_) s_.reloj->cancelar(*trabajoCustom_);
    trabajoCustom_ = s_.reloj->programar(std::chrono::milliseconds(300), [this] {
        trabajoCustom_.reset();
        regenerarActivo("personalizada");
    });
}

void VistaPrincipal::programarRegeneracionFiltros() {
    if (!s_.reloj) return;
    if (trabajoFiltros_) s_.reloj->cancelar(*trabajoFiltros_);
    trabajoFiltros_ = s_.reloj->programar(std::chrono::milliseconds(400), [this] {
        trabajoFiltros_.reset();
        regenerarActivo();
    });
}

} // namespace Livora
