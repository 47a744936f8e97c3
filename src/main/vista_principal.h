#pragma once
#include "main/motor_ventana.h"
#include "main/servicios.h"
#include "modelo/estado_ventana.h"
#include "vistas/animacion.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QUrl>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace Livora {

struct ServiciosVentana {
    Dialogos* dialogos = nullptr;
    Escritorio* escritorio = nullptr;
    Reloj* reloj = nullptr;
    MotorVentana motor = MotorVentana::real();
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
    int trabajosEnCurso() const { return trabajos_; }

    // Intake.
    void procesar(const Ruta& url);
    void recibir(const QList<QUrl>& urls);
    void elegirArchivos();
    void abrirPDF(const Ruta& url, const Ruta& fuente, bool esCombinado,
                  std::optional<std::int64_t> bytesOriginal);
    std::optional<Ruta> desbloquearPDF(const Ruta& url);
    void avisar(const std::string& texto);
    void descartarAviso();
    void quitar(const Uuid& id);
    void volverInicio();
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
    void anadir(ArchivoEstado archivo);
    void fallo(const Ruta& url, const std::string& descripcion);
    // An intake job's result, image or PDF, back on the GUI thread.
    void terminarIngesta(const Ruta& url, Resultado<ArchivoEstado> r);
    void lanzarRegeneracion(const ArchivoEstado& a, bool cuentaComoTrabajo,
                            std::optional<std::string> reseleccionar);
    // Runs `trabajo` on the thread pool and `fin` with its result back on this thread.
    template <class R, class F, class G> void enSegundoPlano(F trabajo, G fin);
    void notificar(Transicion t = Transicion::Muelle) {
        transicion_ = t;
        Q_EMIT cambiado();
    }

    ServiciosVentana s_;
    // The window's own workers: Qt's global pool also scales images for painting, and
    // long encodes there would stall the GUI thread.
    QThreadPool pool_;
    EstadoVentana e_;
    int trabajos_ = 0;
    Transicion transicion_ = Transicion::Muelle;
    // Intakes in flight by path, so a file given twice is not started twice.
    std::unordered_map<std::string, int> enCurso_;
    // Newest regeneration started per record; older results are dropped.
    std::unordered_map<Uuid, std::uint64_t> secuencia_;
    std::uint64_t generacionAviso_ = 0;
    std::optional<Reloj::Tarea> trabajoCustom_;
    std::optional<Reloj::Tarea> trabajoFiltros_;
    std::optional<Reloj::Tarea> tareaAviso_;
};

} // namespace Livora
