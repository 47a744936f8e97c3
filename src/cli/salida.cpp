#include "cli/comandos.h"
#include "motor/codec.h"
#include "motor/formato.h"
#include "motor/guardar.h"
#include "motor/texto.h"
#include "motor/tipos.h"

#include <cstdio>
#include <iostream>

namespace Livora::Cli {

nlohmann::json aJson(const ArchivoEstado& a) {
    nlohmann::json j;
    j["url"] = textoRuta(a.url);
    j["esImagen"] = a.esImagen;
    j["bytesOriginal"] = a.bytesOriginal;
    if (a.fuente) {
        j["ancho"] = a.fuente->ancho;
        j["alto"] = a.fuente->alto;
    }
    j["resumenMetadatos"] = nlohmann::json::array();
    for (const auto& m : a.resumenMetadatos)
        j["resumenMetadatos"].push_back({{"icono", m.icono},
                                         {"titulo", m.titulo},
                                         {"valor", m.valor},
                                         {"sensible", m.sensible}});
    j["variantes"] = nlohmann::json::array();
    std::optional<std::string> elegida;
    for (const auto& v : a.variantes) {
        j["variantes"].push_back({{"nombre", v.nombre},
                                  {"detalle", v.detalle},
                                  {"sufijo", v.sufijo},
                                  {"ext", v.ext},
                                  {"urlTemp", textoRuta(v.urlTemp)},
                                  {"bytes", v.bytes},
                                  {"ahorro", ahorro(v.bytes, a.bytesOriginal)},
                                  {"preview", v.preview}});
        if (a.seleccionada && v.id == *a.seleccionada) elegida = v.sufijo;
    }
    j["seleccionada"] = elegida ? nlohmann::json(*elegida) : nlohmann::json(nullptr);
    if (!a.esImagen) {
        j["paginas"] = a.paginas.size();
        j["paginasIniciales"] = a.paginasIniciales;
        j["miniaturas"] = a.miniaturas.size();
        j["esCombinado"] = a.esCombinado;
    }
    return j;
}

void imprimir(const ArchivoEstado& a, const Opciones& o) {
    if (o.json) {
        // Every text in the record is valid UTF-8 already; replacing is the last guard, so a
        // line is always printed rather than the run aborting.
        std::cout << aJson(a).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << std::endl;
        return;
    }
    std::cout << nombreVisible(a.url) << " · " << formatoBytes(a.bytesOriginal);
    if (a.fuente) std::cout << " · " << a.fuente->ancho << " × " << a.fuente->alto << " px";
    if (!a.esImagen)
        std::cout << " · " << a.paginas.size() << (a.paginas.size() == 1 ? " página" : " páginas");
    std::cout << "\n";
    for (const auto& m : a.resumenMetadatos)
        std::cout << "  " << m.titulo << ": " << m.valor << (m.sensible ? "  [SENSIBLE]" : "")
                  << "\n";
    for (const auto& v : a.variantes) {
        bool elegida = a.seleccionada && *a.seleccionada == v.id;
        std::printf("  %s %-24s %-36s %10s  %6s  %s\n", elegida ? "●" : "○", v.nombre.c_str(),
                    v.detalle.c_str(), formatoBytes(v.bytes).c_str(),
                    ahorro(v.bytes, a.bytesOriginal).c_str(), textoRuta(v.urlTemp).c_str());
    }
    std::cout.flush();
}

bool seGuarda(const ArchivoEstado& a, const Variante& v, const std::string& que) {
    const bool elegida = a.seleccionada && *a.seleccionada == v.id;
    return que == "todas" || (que == "elegida" && elegida) || que == v.sufijo;
}

bool guardar(const ArchivoEstado& a, const std::string& que) {
    std::vector<TrabajoGuardado> trabajos;
    for (const auto& v : a.variantes)
        if (seGuarda(a, v, que)) trabajos.push_back({a.url, v});
    if (trabajos.empty()) {
        std::cerr << "❌ " << nombreVisible(a.url) << ": no hay ninguna salida «" << que << "»\n";
        return false;
    }
    auto r = guardarTrabajos(trabajos);
    (r.fallos.empty() ? std::cout : std::cerr) << textoResultadoGuardado(r) << "\n";
    for (const auto& g : r.guardadas)
        std::cout << "  " << textoRuta(g) << "\n";
    return r.fallos.empty();
}

} // namespace Livora::Cli
