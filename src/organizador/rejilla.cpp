#include "organizador/rejilla.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Livora {

Rejilla::Rejilla(double anchoVista, double tamano_, std::size_t paginas_)
    : tamano(tamano_), paginas(paginas_) {
    const double util = std::max(0.0, anchoVista - 2 * margen);
    const double minimo = tamano + 2 * relleno;
    columnas = std::max<std::size_t>(
        1, static_cast<std::size_t>((util + espacioColumnas) / (minimo + espacioColumnas)));
    anchoColumna =
        std::max(minimo, (util - double(columnas - 1) * espacioColumnas) / double(columnas));
    altoCelda = relleno + 1.25 * tamano + separacionNumero + altoNumero + relleno;
}

double Rejilla::altoContenido() const {
    const auto f = filas();
    if (f == 0) return 2 * margen;
    return 2 * margen + double(f) * altoCelda + double(f - 1) * espacioFilas;
}

Rectangulo Rejilla::celda(std::size_t i) const {
    const auto fila = i / columnas, columna = i % columnas;
    return {margen + double(columna) * (anchoColumna + espacioColumnas),
            margen + double(fila) * (altoCelda + espacioFilas), anchoColumna, altoCelda};
}

Rectangulo Rejilla::marco(std::size_t i) const {
    const Rectangulo c = celda(i);
    return {c.x + (c.ancho - tamano) / 2, c.y + relleno, tamano, 1.25 * tamano};
}

Rectangulo Rejilla::numero(std::size_t i) const {
    const Rectangulo m = marco(i);
    const Rectangulo c = celda(i);
    return {c.x, m.y + m.alto + separacionNumero, c.ancho, altoNumero};
}

std::optional<std::size_t> Rejilla::celdaEn(double x, double y) const {
    if (x < margen || y < margen) return std::nullopt;
    const auto columna = static_cast<std::size_t>((x - margen) / (anchoColumna + espacioColumnas));
    const auto fila = static_cast<std::size_t>((y - margen) / (altoCelda + espacioFilas));
    if (columna >= columnas) return std::nullopt;
    const std::size_t i = fila * columnas + columna;
    if (i >= paginas || !celda(i).contiene(x, y)) return std::nullopt;
    return i;
}

std::pair<std::size_t, std::size_t> Rejilla::visibles(double y0, double y1) const {
    const double paso = altoCelda + espacioFilas;
    const auto fila = [&](double y) { return std::max(0.0, std::floor((y - margen) / paso)); };
    const auto desde = static_cast<std::size_t>(fila(y0)) * columnas;
    const auto hasta = (static_cast<std::size_t>(fila(y1)) + 1) * columnas;
    return {std::min(desde, paginas), std::min(hasta, paginas)};
}

void MuelleEnCurso::avanzar(double segundos) {
    const double w = 2 * std::numbers::pi / respuesta;
    const double k = w * w, c = 2 * amortiguacion * w;
    // Small semi-implicit steps keep it stable whatever the frame rate.
    for (double t = 0; t < segundos; t += 0.004) {
        const double dt = std::min(0.004, segundos - t);
        velocidad += (-k * (valor - destino) - c * velocidad) * dt;
        valor += velocidad * dt;
    }
    if (enReposo()) fijar(destino);
}

bool MuelleEnCurso::enReposo() const {
    return std::abs(valor - destino) < 0.05 && std::abs(velocidad) < 0.5;
}

} // namespace Livora
