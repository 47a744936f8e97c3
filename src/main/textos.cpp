#include "main/textos.h"

#include "motor/formato.h"

#include <algorithm>
#include <charconv>

namespace Livora {

std::string tituloVentana(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    return a ? a->url.filename().string() : "Livora";
}

std::string subtitulo(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    if (!a) return "";
    const std::string tam = formatoBytes(a->bytesOriginal);
    if (!a->esImagen) {
        const auto n = a->paginas.size();
        return std::to_string(n) + " página" + (n == 1 ? "" : "s") + " · " + tam;
    }
    if (a->fuente)
        return std::to_string(a->fuente->ancho) + " × " + std::to_string(a->fuente->alto) +
               " px · " + tam;
    return tam;
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
