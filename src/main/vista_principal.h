#pragma once
#include "editores/enlace.h"
#include "main/cola_ingesta.h"
#include "main/motor_ventana.h"
#include "main/servicios.h"
#include "modelo/estado_ventana.h"
#include "motor/carpetas.h"
#include "organizador/servicios_organizador.h"
#include "vistas/animacion.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

namespace Livora {

struct RectFraccion;

struct ServiciosVentana {
    Dialogos* dialogos = nullptr;
    Escritorio* escritorio = nullptr;
    Reloj* reloj = nullptr;
    MotorVentana motor = MotorVentana::real();
    // Intake jobs running at once; 0: as many as this machine's cores and memory allow.
    int limiteIngestas = 0;
};

// The window's state and every operation on it. Lives on the GUI thread; jobs run on the
// window's thread pool and hand their results back here, matched by record id. Widgets
// render `estado()` on `cambiado` and call the operations.
class VistaPrincipal : public QObject {
    Q_OBJECT
public:
    explicit VistaPrincipal(ServiciosVentana servicios, QObject* padre = nullptr);
    ~VistaPrincipal() override;

    const EstadoVentana& estado() const { return e_; }
    // How the latest change moves on screen.
    Transicion transicion() const { return transicion_; }
    // Jobs running, files waiting for theirs, and folder searches.
    int trabajosEnCurso() const {
        return trabajos_ + static_cast<int>(cola_.esperando()) + busquedasEnCurso_;
    }
    int limiteIngestas() const { return cola_.limite(); }

    // Intake.
    void procesar(const Ruta& url);
    // Several paths from one door, in order; folders are searched off the GUI thread and
    // their files taken in, in natural order, after asking when there are many.
    void procesarRutas(const std::vector<Ruta>& rutas);
    void recibir(const QList<QUrl>& urls);
    void elegirArchivos();
    void abrirPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                  std::optional<std::int64_t> bytesOriginal);
    std::optional<Ruta> desbloquearPDF(const Ruta& url);
    void avisar(const std::string& texto);
    void descartarAviso();
    void quitar(const Uuid& id);
    void volverInicio();
    // Abandons the long PDF work in flight (between pages); its partial files go.
    void cancelarTrabajos();
    void setArrastrando(bool si);

    // Merging.
    void combinar(std::vector<ArchivoEstado> archivos);
    void elegirParaUnir();

    // Choosing.
    void activar(const Uuid& id);
    void elegirVariante(const Uuid& id);
    void moverSeleccion(int paso);

    // Saving and sharing.
    void guardar(bool lote);
    void revelarOriginal(const Uuid& id);
    void copiarSalida();
    void abrirSalidaCon();
    void enviarSalidaPorCorreo();

    // Toolbar and editors.
    void alternarInspector();
    void alternarBarraLateral();
    void setMostrarBarraLateral(bool si);
    void alternarFiltros();
    void alternarSinFondo();
    // Looks at the background-removal model again (cheap: the file only).
    void comprobarModeloFondo();
    void abrirTexto();
    void terminarTexto();
    void abrirRecorte();
    void abrirPaginas();
    void salirDeModo();

    // Crop and text layers of the active image.
    void aplicarRecorte(const RectFraccion& rect);
    void restaurarRecorte();
    void agregarCapa();
    void insertarEmoji(const std::string& emoji);
    void eliminarCapaSeleccionada();
    Enlace<std::vector<CapaTexto>> bindingCapas();
    std::optional<Enlace<CapaTexto>> bindingCapaSeleccionada();
    void setCapaSeleccionada(std::optional<Uuid> id);
    void setCapaEditando(std::optional<Uuid> id);

    // Output settings.
    void setQuitarMetadatos(bool quitar);
    void setMostrarInfoMetadatos(bool si) {
        if (e_.mostrarInfoMetadatos == si) return;
        e_.mostrarInfoMetadatos = si;
        notificar();
    }
    void setAjustesCustom(double calidad, double ancho, double alto, bool proporcion);
    void setObjetivoTexto(const std::string& texto);
    void ajustarObjetivo();
    void setFiltros(const FiltroAjustes& filtros);

    // PDF records: options, pages and their regeneration.
    void setOpcionesBorrador(const OpcionesPDF& borrador);
    void descartarOpcionesPDF();
    void aplicarOpcionesPDF();
    void regenerarPDF();
    void restaurarPaginas();
    void aplicarOrganizador(std::vector<PaginaPDF> paginas,
                            std::map<std::string, Imagen> miniaturas);
    // The window's dialogs, desktop, clock and workers, for the page organiser.
    ServiciosOrganizador serviciosOrganizador();

    // Regeneration.
    void regenerarActivo(std::optional<std::string> reseleccionar = std::nullopt);
    void regenerarImagenes();
    void programarRegeneracionCustom();
    void programarRegeneracionFiltros();

Q_SIGNALS:
    void cambiado();

private:
    void fijarActivo(std::optional<Uuid> id);
    ArchivoEstado* buscar(const Uuid& id);
    void empezarTrabajo();
    void terminarTrabajo();
    void anadir(ArchivoEstado archivo, const PeticionIngesta& p);
    void fallo(const Ruta& url, const std::string& descripcion);
    // Queues a file unless it is open (then it becomes active when `activarAbierto`) or
    // already on its way. False when refused.
    bool encolar(PeticionIngesta p, bool activarAbierto);
    // Starts waiting files while the queue has room and no modal question is open.
    void despachar();
    void lanzarIngesta(const PeticionIngesta& p, bool esImagen, const Ruta& fuente,
                       bool esCombinado, std::optional<std::int64_t> bytesOriginal, bool deCola);
    // An intake job's result, image or PDF, back on the GUI thread.
    void terminarIngesta(const PeticionIngesta& p, bool deCola, Resultado<ArchivoEstado> r);
    // A finished folder search: the folders given, what was found, and whether the walk
    // ran to its end. Handled once no modal question is open.
    struct BusquedaLista {
        std::uint64_t epoca = 0;
        std::vector<Ruta> carpetas;
        std::vector<Hallazgo> hallados;
        bool completa = false;
    };
    void terminarBusqueda(BusquedaLista lista);
    void atenderBusquedas();
    void tomarHallazgos(const BusquedaLista& lista);
    // Drops the waiting files and the folder searches (start screen, closing).
    void soltarPendientes();
    void actualizarProcesando();
    void lanzarRegeneracion(const ArchivoEstado& a, bool cuentaComoTrabajo,
                            std::optional<std::string> reseleccionar);
    // Runs `trabajo` on the thread pool and `fin` with its result back on this thread.
    // `usa`: temporary files the job reads, kept until it is done.
    template <class R, class F, class G>
    void enSegundoPlano(F trabajo, G fin, std::vector<Ruta> usa = {});
    // After a crop or its undo: the filter thumbnails made again from the new picture.
    void rehacerMiniaturas(const ArchivoEstado& a);
    void notificar(Transicion t = Transicion::Muelle) {
        transicion_ = t;
        Q_EMIT cambiado();
    }

    // Long PDF work (vista_principal_trabajos.cpp): a job's progress and cancellation.
    // `registro`: the record it regenerates; none for an intake.
    ControlTrabajo empezarTrabajoLargo(std::optional<Uuid> registro, std::uint64_t& numero);
    void terminarTrabajoLargo(std::uint64_t numero);
    void cancelarTrabajosDe(std::optional<Uuid> registro);
    void avanceTrabajoLargo(std::uint64_t numero, std::int64_t hechos, std::int64_t total);
    struct TrabajoLargo {
        std::optional<Uuid> registro;
        std::shared_ptr<std::atomic<bool>> cancelar;
        std::int64_t hechos = 0, total = 0;
    };
    std::map<std::uint64_t, TrabajoLargo> largos_;
    std::uint64_t siguienteLargo_ = 0;

    // Temporary space (vista_principal_temporales.cpp): removes the generation folders no
    // record and no job in flight refers to.
    void limpiarTemporales();
    // The same after a job, once for all that end together and in a turn of its own: it
    // walks every record, which in a big folder is worth keeping apart from their display.
    void limpiarTemporalesLuego();
    bool limpiezaPendiente_ = false;
    QTimer recortarMemoria_;
    struct Vuelo {
        std::uint64_t marca = 0;
        std::vector<Ruta> usa;
    };
    std::map<std::uint64_t, Vuelo> vuelos_;
    std::uint64_t siguienteVuelo_ = 0;

    ServiciosVentana s_;
    // The window's own workers: Qt's global pool also scales images for painting, and
    // long encodes there would stall the GUI thread.
    QThreadPool pool_;
    EstadoVentana e_;
    int trabajos_ = 0;
    Transicion transicion_ = Transicion::Muelle;
    // Intakes queued or in flight by path, so a file given twice is not started twice.
    std::unordered_map<std::string, int> enCurso_;
    ColaIngesta cola_;
    // A modal question is open: nothing new starts until it is answered.
    bool modal_ = false;
    // Folder searches run one after another on their own thread, so a long walk never
    // waits behind encoders and searches finish in the order they were asked.
    QThreadPool busquedas_;
    int busquedasEnCurso_ = 0;
    // Searches of an older epoch were dropped (start screen); they stop and are ignored.
    std::shared_ptr<std::atomic<std::uint64_t>> epoca_ =
        std::make_shared<std::atomic<std::uint64_t>>(0);
    std::deque<BusquedaLista> busquedasListas_;
    // Folder batches: the last one numbered, the first one still valid (older batches were
    // dropped with the start screen), those that already made a record active, and each
    // batch record's place so the list keeps the folder's order.
    std::uint64_t ultimoLote_ = 0;
    std::uint64_t primerLoteVigente_ = 1;
    std::set<std::uint64_t> lotesConActivo_;
    std::unordered_map<Uuid, std::pair<std::uint64_t, std::size_t>> lugarEnLote_;
    // Newest regeneration started per record; older results are dropped.
    std::unordered_map<Uuid, std::uint64_t> secuencia_;
    std::uint64_t generacionAviso_ = 0;
    std::optional<Reloj::Tarea> trabajoCustom_;
    std::optional<Reloj::Tarea> trabajoFiltros_;
    std::optional<Reloj::Tarea> tareaAviso_;
};

} // namespace Livora
