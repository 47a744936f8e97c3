#pragma once
// Fakes for the window's services and helpers shared by the window suites.
#include "../carpeta_prueba.h"
#include "main/vista_principal.h"
#include "motor/archivos.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
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

    std::vector<std::string> mensajesPanel;
    std::vector<Ruta> elegirArchivos(const std::string& mensaje) override {
        mensajesPanel.push_back(mensaje);
        return archivos;
    }
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

} // namespace prueba

namespace prueba {

// A window state with fake dialogs, desktop and clock over the given engine.
class ConVentana : public ::testing::Test {
protected:
    DialogosFalsos dialogos;
    EscritorioFalso escritorio;
    RelojFalso reloj;
    CarpetaTemporal tmp;
    std::unique_ptr<Livora::VistaPrincipal> vista;

    void crear(Livora::MotorVentana motor = Livora::MotorVentana::real(), int limiteIngestas = 4) {
        vista = std::make_unique<Livora::VistaPrincipal>(Livora::ServiciosVentana{
            &dialogos, &escritorio, &reloj, std::move(motor), limiteIngestas});
    }
    const Livora::EstadoVentana& e() const { return vista->estado(); }
    void TearDown() override {
        if (vista) esperarTrabajos(*vista);
        vista.reset();
    }
};

} // namespace prueba
