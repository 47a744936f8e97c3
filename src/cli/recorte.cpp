#include "cli/recorte.h"

#include "motor/recorte.h"

#include <charconv>
#include <cmath>
#include <iostream>
#include <vector>

namespace Livora::Cli {

namespace {

bool numeros(const std::string& s, char separador, std::vector<double>& v) {
    v.clear();
    std::size_t inicio = 0;
    for (;;) {
        const std::size_t fin = s.find(separador, inicio);
        const std::string parte = s.substr(inicio, fin == std::string::npos ? fin : fin - inicio);
        double x = 0;
        auto r = std::from_chars(parte.data(), parte.data() + parte.size(), x);
        if (parte.empty() || r.ec != std::errc{} || r.ptr != parte.data() + parte.size() ||
            !std::isfinite(x))
            return false;
        v.push_back(x);
        if (fin == std::string::npos) return true;
        inicio = fin + 1;
    }
}

void cortar(ArchivoEstado& a, const RectFraccion& r) {
    if (!a.fuente) return;
    const auto p = recorteDe(r, a.fuente->ancho, a.fuente->alto);
    if (!p) {
        std::cerr << "Aviso: " << a.url.filename().string()
                  << ": el recorte mide menos de 8 píxeles; la imagen no se recorta.\n";
        return;
    }
    a.fuente = a.fuente->recortada(*p);
    a.previewAntes = a.fuente;
    a.recortado = true;
}

} // namespace

bool esOpcionRecorte(const std::string& opcion) {
    return opcion == "--recortar" || opcion == "--proporcion";
}

std::optional<std::string> leerRecorte(const std::string& opcion, const std::string& valor,
                                       Opciones& o) {
    std::vector<double> v;
    if (opcion == "--recortar") {
        constexpr double margen = 1e-9;
        if (!numeros(valor, ',', v) || v.size() != 4)
            return "Valor no válido para --recortar: " + valor + " (usa X,Y,ANCHO,ALTO)";
        const bool dentro = v[0] >= 0 && v[1] >= 0 && v[2] > 0 && v[3] > 0 &&
                            v[0] + v[2] <= 1 + margen && v[1] + v[3] <= 1 + margen;
        if (!dentro)
            return "El recorte de --recortar debe quedar dentro de la imagen: fracciones entre "
                   "0 y 1, con ancho y alto mayores que 0";
        o.recortar = RectFraccion{v[0], v[1], v[2], v[3]};
        return std::nullopt;
    }
    if (!numeros(valor, ':', v) || v.size() != 2 || !(v[0] > 0) || !(v[1] > 0))
        return "Valor no válido para --proporcion: " + valor + " (usa A:B, por ejemplo 16:9)";
    o.proporcion = v[0] / v[1];
    return std::nullopt;
}

bool hayRecorte(const Opciones& o) {
    return o.recortar.has_value() || o.proporcion.has_value();
}

void aplicarRecorte(ArchivoEstado& a, const Opciones& o) {
    if (o.recortar) cortar(a, *o.recortar);
    if (o.proporcion && a.fuente)
        cortar(a, recorteProporcion(*o.proporcion, a.fuente->ancho, a.fuente->alto));
}

} // namespace Livora::Cli
