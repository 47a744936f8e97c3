#include "cli/comandos.h"
#include "motor/codec.h"
#include "motor/formato.h"
#include "motor/guardar.h"
#include "motor/tipos.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace Livora::Cli {

nlohmann::json aJson(const ArchivoEstado& a) {
    nlohmann::json j;
    j["url"] = a.url.string();
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
                                  {"urlTemp", v.urlTemp.string()},
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
        std::cout << aJson(a).dump() << std::endl;
        return;
    }
    std::cout << a.url.filename().string() << " · " << formatoBytes(a.bytesOriginal);
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
                    ahorro(v.bytes, a.bytesOriginal).c_str(), v.urlTemp.c_str());
    }
    std::cout.flush();
}

bool guardar(const ArchivoEstado& a, const std::string& que) {
    std::vector<TrabajoGuardado> trabajos;
    for (const auto& v : a.variantes) {
        bool elegida = a.seleccionada && *a.seleccionada == v.id;
        if (que == "todas" || (que == "elegida" && elegida) || que == v.sufijo)
            trabajos.push_back({a.url, v});
    }
    if (trabajos.empty()) {
        std::cerr << "❌ " << a.url.filename().string() << ": no hay ninguna salida «" << que
                  << "»\n";
        return false;
    }
    auto r = guardarTrabajos(trabajos);
    if (r.fallo) {
        std::cerr << "❌ " << r.fallo->mensaje << "\n";
        return false;
    }
    std::cout << textoGuardadas(r.guardadas.size()) << "\n";
    for (const auto& g : r.guardadas)
        std::cout << "  " << g.string() << "\n";
    return true;
}

} // namespace Livora::Cli

int main(int argc, char** argv) {
    using namespace Livora;
    std::vector<std::string> args(argv + 1, argv + argc);
    auto analisis = Cli::analizar(args);
    if (analisis.error) {
        std::cerr << analisis.error->c_str() << "\n\n" << Cli::textoAyuda;
        return 2;
    }
    const auto& o = analisis.opciones;
    if (o.ayuda || o.archivos.empty()) {
        std::cout << Cli::textoAyuda;
        return o.ayuda ? 0 : 2;
    }
    iniciarMotor();
    if (o.unir) return Cli::unir(o);
    if (o.extraer) return Cli::extraer(o);

    int estado = 0;
    for (const auto& url : o.archivos) {
        auto a = esImagen(url) ? Cli::procesarImagen(url, o) : Cli::procesarPDF(url, o);
        if (!a) {
            std::cerr << "❌ " << url.filename().string() << ": " << a.error().mensaje << "\n";
            // 3: a protected PDF with a missing or wrong password.
            estado = a.error().dominio == "Contraseña" ? 3 : std::max(estado, 1);
            continue;
        }
        Cli::imprimir(*a, o);
        if (o.guardar && !Cli::guardar(*a, *o.guardar)) estado = 1;
    }
    return estado;
}
