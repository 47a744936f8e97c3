#pragma once
// Fakes for the window's services and helpers shared by the window suites.
#include "../carpeta_prueba.h"
#include "main/ventana.h"
#include "main/vista_principal.h"
#include "motor/archivos.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

namespace prueba {

using Livora::Ruta;

inline Ruta datos(const std::string& nombre) {
    return Ruta(LIVORA_DATOS_TEST) / nombre;
}

class DialogosFalsos : public Livora::Dialogos {
public:
    std::vector<Ruta> archivos;
    // Scripted answers to the password alert, in order; running out means "Cancelar".
    std::deque<std::optional<std::string>> contrasenas;
    std::vector<std::string> informativos;
    std::vector<std::string> titulos;
    std::optional<Ruta> destino;
    std::vector<std::string> propuestos;
    std::vector<Ruta> elegirArchivos(const std::string&) override { return archivos; }
    std::vector<Ruta> elegirArchivosYCarpetas() override { return elegirArchivos(""); }
    // Questions asked, and the answer to give.
    std::vector<std::string> preguntas;
    bool respuesta = true;
    bool confirmar(const std::string& mensaje, const std::string& aceptar,
                   const std::string& cancelar) override {
        preguntas.push_back(mensaje + " [" + aceptar + "/" + cancelar + "]");
        return respuesta;
    }
    std::optional<std::string> pedirContrasena(const std::string& titulo,
                                               const std::string& informativo) override {
        titulos.push_back(titulo);
        informativos.push_back(informativo);
        if (contrasenas.empty()) return std::nullopt;
        auto r = contrasenas.front();
        contrasenas.pop_front();
        return r;
    }
    std::optional<Ruta> guardarComo(const std::string& nombre) override {
        propuestos.push_back(nombre);
        return destino;
    }
};

class EscritorioFalso : public Livora::Escritorio {
public:
    std::vector<std::vector<Ruta>> revelados;
    std::vector<Ruta> copiados, abiertos, correos, carpetasAbiertas;
    void revelar(const std::vector<Ruta>& r) override { revelados.push_back(r); }
    void abrirCarpeta(const Ruta& c) override { carpetasAbiertas.push_back(c); }
    void copiarAlPortapapeles(const Ruta& r) override { copiados.push_back(r); }
    void abrirCon(const Ruta& r) override { abiertos.push_back(r); }
    void enviarPorCorreo(const Ruta& r) override { correos.push_back(r); }
};

// A clock that only moves when told to.
class RelojFalso : public Livora::Reloj {
public:
    struct Pendiente {
        std::int64_t cuando;
        Tarea id;
        std::function<void()> trabajo;
    };
    std::int64_t ahora = 0; // ms
    std::vector<Pendiente> pendientes;
    Tarea siguiente = 1;

    Tarea programar(std::chrono::milliseconds espera, std::function<void()> t) override {
        pendientes.push_back({ahora + espera.count(), siguiente, std::move(t)});
        return siguiente++;
    }
    void cancelar(Tarea id) override {
        std::erase_if(pendientes, [&](const Pendiente& p) { return p.id == id; });
    }
    void avanzar(std::int64_t ms) {
        const std::int64_t fin = ahora + ms;
        for (;;) {
            auto it = std::min_element(pendientes.begin(), pendientes.end(),
                                       [](auto& a, auto& b) { return a.cuando < b.cuando; });
            if (it == pendientes.end() || it->cuando > fin) break;
            ahora = it->cuando;
            auto t = std::move(it->trabajo);
            pendientes.erase(it);
            t();
        }
        ahora = fin;
    }
};

// A gate a fake job waits on until the test opens it.
class Puerta {
public:
    void abrir() {
        std::lock_guard l(m_);
        abierta_ = true;
        cv_.notify_all();
    }
    void esperar() {
        std::unique_lock l(m_);
        cv_.wait(l, [this] { return abierta_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool abierta_ = false;
};

// Runs the event loop until every job of the window has handed back its result.
inline bool esperarTrabajos(const Livora::VistaPrincipal& v) {
    const bool ok = QTest::qWaitFor([&] { return v.trabajosEnCurso() == 0; }, 180000);
    QCoreApplication::processEvents();
    return ok;
}

// A private folder per test, removed afterwards.
class CarpetaTemporal {
public:
    CarpetaTemporal() : ruta_(LivoraPrueba::carpetaPrivada()) {}
    ~CarpetaTemporal() {
        std::error_code ec;
        std::filesystem::permissions(ruta_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(ruta_, ec);
    }
    const Ruta& ruta() const { return ruta_; }
    Ruta copiar(const Ruta& origen, const std::string& nombre) const {
        std::filesystem::copy_file(origen, ruta_ / nombre);
        return ruta_ / nombre;
    }
    Ruta escribir(const std::string& nombre, const std::string& contenido) const {
        std::ofstream(ruta_ / nombre, std::ios::binary) << contenido;
        return ruta_ / nombre;
    }

private:
    Ruta ruta_;
};

// A finished record with alternatives backed by real temporary files of the given sizes.
inline Livora::ArchivoEstado registroFalso(const Ruta& url, const Ruta& carpeta,
                                           std::int64_t bytesOriginal,
                                           const std::vector<std::pair<std::string, int>>& salidas,
                                           bool esImagen = true) {
    Livora::ArchivoEstado a;
    a.url = url;
    a.esImagen = esImagen;
    a.bytesOriginal = bytesOriginal;
    for (const auto& [sufijo, bytes] : salidas) {
        Livora::Variante v;
        v.nombre = "Salida " + sufijo;
        v.sufijo = sufijo;
        v.ext = esImagen ? "jpg" : "pdf";
        v.urlTemp = carpeta / (a.id.texto() + "-" + sufijo + "." + v.ext);
        std::ofstream(v.urlTemp, std::ios::binary) << std::string(bytes, 'x');
        v.bytes = bytes;
        v.preview = true;
        a.variantes.push_back(v);
    }
    a.seleccionada = Livora::seleccionInicial(a.variantes, a.bytesOriginal);
    return a;
}

// A fake intake that counts the jobs running at once; files named in `puertas` wait until
// the test opens theirs.
struct IngestaContada {
    std::map<std::string, std::shared_ptr<Puerta>> puertas;
    std::shared_ptr<std::atomic<int>> ahora = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> maximo = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> llamadas = std::make_shared<std::atomic<int>>(0);

    Livora::MotorVentana motor(const Ruta& salidas) {
        auto p = puertas;
        auto ahora_ = ahora, maximo_ = maximo, llamadas_ = llamadas;
        auto ingesta = [=](const Ruta& url, bool esImagen) {
            const int n = ++*ahora_;
            for (int m = maximo_->load(); n > m && !maximo_->compare_exchange_weak(m, n);) {
            }
            ++*llamadas_;
            if (auto it = p.find(url.filename().string()); it != p.end()) it->second->esperar();
            --*ahora_;
            return Livora::Resultado<Livora::ArchivoEstado>(
                registroFalso(url, salidas, 100, {{"alta", 50}}, esImagen));
        };
        Livora::MotorVentana m = Livora::MotorVentana::real();
        m.ingestaImagen = [ingesta](const Ruta& url, const Livora::AjustesImagen&) {
            return ingesta(url, true);
        };
        m.estadoPDF = [](const Ruta&) { return Livora::MotorVentana::AperturaPDF::Abierto; };
        m.ingestaPDF = [ingesta](const Ruta& url, const Ruta&, bool, std::optional<std::int64_t>,
                                 const Livora::ControlTrabajo&) { return ingesta(url, false); };
        return m;
    }
    void cerrar(const std::string& nombre) { puertas[nombre] = std::make_shared<Puerta>(); }
    void abrir(const std::string& nombre) { puertas.at(nombre)->abrir(); }
};

using Salidas = std::vector<std::pair<std::string, int>>;

// A window state with fake dialogs, desktop and clock over the given engine.
class ConVentana : public ::testing::Test {
protected:
    DialogosFalsos dialogos;
    EscritorioFalso escritorio;
    RelojFalso reloj;
    CarpetaTemporal tmp;
    std::unique_ptr<Livora::VistaPrincipal> vista;
    std::unique_ptr<Livora::VentanaPrincipal> ventana;

    // What motorRapido's intake gives a file: its outputs by file name (set before the file
    // is opened), else the default ones, over `foto` and an original of `bytes`.
    std::map<std::string, Salidas> salidas;
    Salidas salidasPorDefecto = {{"alta", 400}, {"media", 300}, {"personalizada", 2000}};
    std::optional<Livora::ImagenFuente> foto =
        Livora::ImagenFuente::enMemoria(vips::VImage::black(64, 48));
    std::int64_t bytes = 1000;

    // The real engine with an image intake that answers at once, and a PDF intake that gives
    // one page and one output (a file ending in .xyz fails).
    Livora::MotorVentana motorRapido() {
        Livora::MotorVentana m = Livora::MotorVentana::real();
        m.ingestaImagen = [this](const Ruta& url, const Livora::AjustesImagen&) {
            const auto it = salidas.find(url.filename().string());
            Livora::ArchivoEstado a = registroFalso(
                url, tmp.ruta(), bytes, it == salidas.end() ? salidasPorDefecto : it->second);
            a.fuente = a.fuenteOriginal = a.previewAntes = foto;
            return Livora::Resultado<Livora::ArchivoEstado>(a);
        };
        m.ingestaPDF =
            [carpeta = tmp.ruta()](
                const Ruta& url, const Ruta& fuente, bool combinado,
                std::optional<std::int64_t> bytes,
                const Livora::ControlTrabajo&) -> Livora::Resultado<Livora::ArchivoEstado> {
            if (url.extension() == ".xyz")
                return Livora::error("No se pudo abrir " + url.filename().string());
            Livora::ArchivoEstado a =
                registroFalso(url, carpeta, bytes.value_or(1000), {{"vector", 800}}, false);
            a.fuentePDF = fuente;
            a.esCombinado = combinado;
            a.paginas = {Livora::PaginaPDF{Livora::Uuid::nuevo(), fuente, 0, 0}};
            a.paginasIniciales = 1;
            return a;
        };
        return m;
    }
    void crear(Livora::MotorVentana motor = Livora::MotorVentana::real(), int limiteIngestas = 4) {
        vista = std::make_unique<Livora::VistaPrincipal>(Livora::ServiciosVentana{
            &dialogos, &escritorio, &reloj, std::move(motor), limiteIngestas});
    }
    // The real window over the state, shown and active.
    void mostrarVentana() {
        ventana = std::make_unique<Livora::VentanaPrincipal>(*vista);
        ventana->resize(1180, 740);
        ventana->show();
        ventana->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
    }
    // Opens a file of the test's folder and waits for it.
    void abrir(const std::string& nombre) { abrirRuta(tmp.ruta() / nombre); }
    void abrirRuta(const Ruta& r) {
        vista->procesar(r);
        ASSERT_TRUE(esperarTrabajos(*vista));
    }
    // A drop is handled once the drop event has returned: that deferred call, and no more.
    void soltar(const Ruta& r) {
        vista->recibir({QUrl::fromLocalFile(QString::fromStdString(r.string()))});
        QCoreApplication::sendPostedEvents(vista.get(), QEvent::MetaCall);
    }
    const Livora::EstadoVentana& e() const { return vista->estado(); }
    std::string elegida() const { return e().varianteActiva() ? e().varianteActiva()->sufijo : ""; }
    void TearDown() override {
        ventana.reset();
        if (vista) esperarTrabajos(*vista);
        vista.reset();
    }
};

} // namespace prueba
