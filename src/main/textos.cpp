#include "main/textos.h"

#include "motor/carpetas.h"
#include "motor/formato.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <set>

namespace Livora {

std::string tituloVentana(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    return a ? a->url.filename().string() : "Livora";
}

namespace {

std::string subtituloSinCarpeta(const ArchivoEstado& a) {
    const std::string tam = formatoBytes(a.bytesOriginal);
    if (!a.esImagen) {
        const auto n = a.paginas.size();
        return std::to_string(n) + " página" + (n == 1 ? "" : "s") + " · " + tam;
    }
    if (a.fuente)
        return std::to_string(a.fuente->ancho) + " × " + std::to_string(a.fuente->alto) + " px · " +
               tam;
    return tam;
}

std::string carpetaRelativa(const ArchivoEstado& a) {
    const Ruta padre = a.url.parent_path();
    if (a.carpetaOrigen) {
        const Ruta rel = padre.lexically_relative(*a.carpetaOrigen);
        if (rel.empty() || rel == ".") return nombreCarpeta(*a.carpetaOrigen);
        if (*rel.begin() != "..") return rel.string();
    }
    return nombreCarpeta(padre);
}

// The whole folder, with the home folder written as "~".
std::string carpetaCompleta(const ArchivoEstado& a) {
    const std::string padre = a.url.parent_path().string();
    const char* casa = std::getenv("HOME");
    if (casa && *casa) {
        const std::string h = carpetaNormalizada(casa).string();
        if (padre == h) return "~";
        if (padre.rfind(h + "/", 0) == 0) return "~" + padre.substr(h.size());
    }
    return padre;
}

} // namespace

std::string subtitulo(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    if (!a) return "";
    const auto idx = *e.idxActivo();
    const std::string carpeta = carpetasDistintivas(e)[idx];
    return (carpeta.empty() ? "" : carpeta + " · ") + subtituloSinCarpeta(*a);
}

std::vector<std::string> carpetasDistintivas(const EstadoVentana& e) {
    const auto& lista = e.archivos;
    std::vector<std::string> r(lista.size());
    // A merged PDF is named by its temporary file: nothing to tell apart.
    std::map<std::string, std::vector<std::size_t>> porNombre;
    for (std::size_t i = 0; i < lista.size(); ++i)
        if (!lista[i].esCombinado) porNombre[lista[i].url.filename().string()].push_back(i);
    for (const auto& [nombre, indices] : porNombre) {
        if (indices.size() < 2) continue;
        std::map<std::string, int> veces;
        for (auto i : indices)
            ++veces[r[i] = carpetaRelativa(lista[i])];
        for (auto i : indices)
            if (veces[r[i]] > 1) r[i] = carpetaCompleta(lista[i]);
    }
    return r;
}

std::string textoProgreso(const EstadoVentana& e) {
    if (e.buscando) {
        const auto n = static_cast<std::int64_t>(*e.buscando);
        if (n == 0) return "Buscando…";
        return "Buscando… " + enteroConMiles(n) + (n == 1 ? " archivo" : " archivos");
    }
    if (e.porAbrir > 1)
        return "Quedan " + enteroConMiles(static_cast<std::int64_t>(e.porAbrir)) +
               " archivos por abrir";
    return "";
}

std::string preguntaCarpetas(const std::vector<Ruta>& carpetas, std::size_t archivos) {
    const std::string n = enteroConMiles(static_cast<std::int64_t>(archivos));
    const std::string resto = " imágenes y PDF. ¿Añadirlas todas?";
    if (carpetas.size() == 1)
        return "La carpeta «" + nombreCarpeta(carpetas[0]) + "» tiene " + n + resto;
    return "Las " + std::to_string(carpetas.size()) + " carpetas tienen " + n + resto;
}

std::vector<Ruta> lugaresGuardados(const EstadoVentana& e, const std::vector<Ruta>& guardadas) {
    std::set<Ruta> carpetas;
    for (const auto& g : guardadas)
        carpetas.insert(g.parent_path());
    if (carpetas.size() < 2) return guardadas;
    std::set<Ruta> raices;
    for (const auto& a : e.archivos)
        if (a.carpetaOrigen) raices.insert(*a.carpetaOrigen);
    std::vector<Ruta> r;
    std::set<Ruta> puestos;
    for (const auto& g : guardadas) {
        Ruta lugar = g;
        for (const auto& raiz : raices) {
            const Ruta rel = g.parent_path().lexically_relative(raiz);
            // Outer folders sort first: a folder inside another given one counts as it.
            if (!rel.empty() && *rel.begin() != "..") {
                lugar = raiz;
                break;
            }
        }
        if (puestos.insert(lugar).second) r.push_back(lugar);
    }
    return r;
}

Ruta carpetaDeLaLista(const EstadoVentana& e) {
    if (const ArchivoEstado* a = e.archivoActivo(); a && !a->esCombinado)
        return a->url.parent_path();
    for (const auto& a : e.archivos)
        if (!a.esCombinado) return a.url.parent_path();
    return {};
}

std::vector<Insignia> insignias(const ArchivoEstado& a) {
    std::vector<Insignia> r;
    if (a.recortado) r.push_back({"crop", "Recortada"});
    if (!a.filtros.esNeutro()) r.push_back({"camera.filters", "Con filtros"});
    if (!a.capas.empty()) r.push_back({"textformat", "Con texto"});
    if (a.sinFondo) r.push_back({"person.and.background.dotted", "Sin fondo"});
    if (a.paginasEditadas()) r.push_back({"doc.on.doc", "Páginas editadas"});
    if (a.opcionesPDF.proteger && !a.opcionesPDF.contrasena.empty())
        r.push_back({"lock.fill", "Protegido con contraseña"});
    return r;
}

std::string lineaFila(const ArchivoEstado& a) {
    if (a.esImagen) return formatoBytes(a.bytesOriginal);
    return std::to_string(a.paginas.size()) + " pág. · " + formatoBytes(a.bytesOriginal);
}

std::string ahorroActivo(const EstadoVentana& e, const Variante& v) {
    const ArchivoEstado* a = e.archivoActivo();
    if (!a) return "—";
    return ahorro(v.bytes, a->bytesOriginal);
}

BotonesGuardar botonesGuardar(const EstadoVentana& e) {
    BotonesGuardar b;
    const ArchivoEstado* a = e.archivoActivo();
    const bool combinado = a && a->esCombinado;
    const bool varios = e.archivos.size() >= 2;
    b.principal = combinado ? "Guardar…" : "Guardar";
    b.principalActivo = e.varianteActiva() != nullptr;
    b.hayLote = !(combinado && !varios);
    b.lote = varios ? "Guardar lote" : "Guardar todas";
    b.ayudaLote = varios ? "Guarda la salida elegida de cada archivo"
                         : "Guarda todas las salidas junto al original";
    return b;
}

std::vector<TrabajoGuardado> trabajosGuardado(const EstadoVentana& e, bool lote) {
    std::vector<TrabajoGuardado> t;
    const ArchivoEstado* activo = e.archivoActivo();
    if (lote && e.archivos.size() == 1 && activo) {
        for (const auto& v : activo->variantes)
            t.push_back({activo->url, v});
        return t;
    }
    if (lote) {
        for (const auto& a : e.archivos) {
            if (!a.seleccionada) continue;
            auto v = std::find_if(a.variantes.begin(), a.variantes.end(),
                                  [&](const Variante& x) { return x.id == *a.seleccionada; });
            if (v != a.variantes.end()) t.push_back({a.url, *v});
        }
        return t;
    }
    if (const Variante* v = e.varianteActiva(); activo && v) t.push_back({activo->url, *v});
    return t;
}

std::optional<std::int64_t> objetivoDeTexto(const std::string& texto) {
    auto esBlanco = [](char c) { return c == ' ' || c == '\t'; };
    auto ini = std::find_if_not(texto.begin(), texto.end(), esBlanco);
    auto fin = std::find_if_not(texto.rbegin(), texto.rend(), esBlanco).base();
    if (ini >= fin) return std::nullopt;
    std::string s(ini, fin);
    std::size_t desde = (s[0] == '+') ? 1 : 0;
    if (desde == 1 && (s.size() < 2 || s[1] == '-' || s[1] == '+')) return std::nullopt;
    std::int64_t n = 0;
    const char* p = s.data() + desde;
    const char* e = s.data() + s.size();
    auto [fin2, ec] = std::from_chars(p, e, n);
    if (ec != std::errc() || fin2 != e) return std::nullopt;
    return n;
}

std::optional<std::size_t> indiceMovido(const ArchivoEstado& a, int paso) {
    if (a.variantes.empty()) return std::nullopt;
    long actual = 0;
    for (std::size_t i = 0; i < a.variantes.size(); ++i)
        if (a.seleccionada && a.variantes[i].id == *a.seleccionada) {
            actual = static_cast<long>(i);
            break;
        }
    const long n = static_cast<long>(a.variantes.size());
    return static_cast<std::size_t>(std::clamp(actual + paso, 0L, n - 1));
}

} // namespace Livora
