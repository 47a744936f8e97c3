#include "motor/temporales.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace Livora {

namespace {

struct Carpeta {
    Ruta ruta;
    std::uint64_t marca = 0;
    ClaseTemporal clase = ClaseTemporal::Generacion;
    bool entregada = false;
};

struct Registro {
    std::mutex m;
    std::vector<Carpeta> carpetas;
    std::uint64_t siguiente = 1;
};

Registro& registro() {
    static Registro r;
    return r;
}

void borrar(const Ruta& carpeta) {
    std::error_code ec;
    std::filesystem::remove_all(carpeta, ec);
}

} // namespace

void registrarTemporal(const Ruta& carpeta, ClaseTemporal clase) {
    auto& r = registro();
    std::lock_guard l(r.m);
    r.carpetas.push_back({carpeta, r.siguiente++, clase, false});
}

void entregarTemporal(const Ruta& archivo) {
    auto& r = registro();
    std::lock_guard l(r.m);
    for (auto& c : r.carpetas)
        if (c.ruta == archivo || c.ruta == archivo.parent_path()) c.entregada = true;
}

std::uint64_t marcaTemporal() {
    auto& r = registro();
    std::lock_guard l(r.m);
    return r.siguiente;
}

std::vector<Ruta> soltarTemporales(const CarpetasEnUso& enUso, std::uint64_t antesDe) {
    std::vector<Ruta> quitadas;
    auto& r = registro();
    std::lock_guard l(r.m);
    std::erase_if(r.carpetas, [&](const Carpeta& c) {
        if (c.marca >= antesDe || c.entregada || enUso.count(c.ruta.native())) return false;
        quitadas.push_back(c.ruta);
        return true;
    });
    return quitadas;
}

void borrarTemporales(const std::vector<Ruta>& carpetas) {
    for (const auto& c : carpetas)
        borrar(c);
}

std::vector<Ruta> limpiarTemporales(const CarpetasEnUso& enUso, std::uint64_t antesDe) {
    // Outside the lock: a folder of big outputs takes a moment to delete.
    auto quitadas = soltarTemporales(enUso, antesDe);
    borrarTemporales(quitadas);
    return quitadas;
}

void retirarTemporal(const Ruta& carpeta) {
    bool quitar = false;
    {
        auto& r = registro();
        std::lock_guard l(r.m);
        std::erase_if(r.carpetas, [&](const Carpeta& c) {
            if (c.ruta != carpeta || c.entregada) return false;
            quitar = true;
            return true;
        });
    }
    if (quitar) borrar(carpeta);
}

void limpiarAlSalir(bool conservarGeneraciones) {
    std::vector<Ruta> quitadas;
    {
        auto& r = registro();
        std::lock_guard l(r.m);
        std::erase_if(r.carpetas, [&](const Carpeta& c) {
            const bool quitar =
                c.clase == ClaseTemporal::Descifrado || (!c.entregada && !conservarGeneraciones);
            if (quitar) quitadas.push_back(c.ruta);
            return quitar;
        });
    }
    for (const auto& c : quitadas)
        borrar(c);
}

std::vector<Ruta> carpetasTemporales() {
    auto& r = registro();
    std::lock_guard l(r.m);
    std::vector<Ruta> v;
    for (const auto& c : r.carpetas)
        v.push_back(c.ruta);
    return v;
}

void anotarCarpetasDe(const ArchivoEstado& a, CarpetasEnUso& enUso) {
    const auto anotar = [&](const Ruta& archivo) {
        // The folder's text as parent_path would give it, without parsing the path.
        const std::string& t = archivo.native();
        const auto barra = t.rfind('/');
        if (barra != std::string::npos) enUso.emplace(t, 0, barra == 0 ? 1 : barra);
    };
    // The file itself too: an output dragged from the window back into it is opened from
    // its generation folder.
    anotar(a.url);
    for (const auto* f : {&a.fuente, &a.fuenteOriginal})
        if (*f && !(*f)->archivo.empty()) anotar((*f)->archivo);
    for (const auto& v : a.variantes)
        if (!v.urlTemp.empty()) anotar(v.urlTemp);
    if (a.fuentePDF) anotar(*a.fuentePDF);
    for (const auto& p : a.paginas)
        anotar(p.fuente);
}

CarpetasEnUso carpetasDe(const ArchivoEstado& a) {
    CarpetasEnUso r;
    anotarCarpetasDe(a, r);
    return r;
}

} // namespace Livora
