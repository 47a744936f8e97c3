#pragma once
// The organiser grid's arithmetic, without widgets: where each cell goes for a width and a
// thumbnail size, which cell is under a point, which cells a band of the content shows,
// and the springs that carry cells and turns to their places.
#include <cstddef>
#include <optional>
#include <utility>

namespace Livora {

struct Rectangulo {
    double x = 0, y = 0, ancho = 0, alto = 0;
    bool contiene(double px, double py) const {
        return px >= x && px < x + ancho && py >= y && py < y + alto;
    }
};

// Adaptive columns at least `tamano` + 16 wide, 10 between columns and 14 between rows,
// stretched to fill the width; each cell holds a frame `tamano` × 1.25 `tamano` over the
// page number.
struct Rejilla {
    static constexpr double margen = 16;
    static constexpr double espacioColumnas = 10;
    static constexpr double espacioFilas = 14;
    static constexpr double relleno = 8;     // around the frame, inside the cell
    static constexpr double altoNumero = 18; // the page number under the frame
    static constexpr double separacionNumero = 6;

    double tamano = 130;
    std::size_t paginas = 0;
    std::size_t columnas = 1;
    double anchoColumna = 0;
    double altoCelda = 0;

    Rejilla() = default;
    Rejilla(double anchoVista, double tamano, std::size_t paginas);

    std::size_t filas() const { return (paginas + columnas - 1) / columnas; }
    double altoContenido() const;
    Rectangulo celda(std::size_t i) const;
    Rectangulo marco(std::size_t i) const;
    Rectangulo numero(std::size_t i) const;
    // The cell under a point of the content (not the gaps between cells).
    std::optional<std::size_t> celdaEn(double x, double y) const;
    // Cells [desde, hasta) of the rows that meet the band y0…y1 of the content.
    std::pair<std::size_t, std::size_t> visibles(double y0, double y1) const;
};

// A damped spring in motion toward `destino` (mass 1), set by its response (seconds per
// oscillation) and damping fraction, like the interface's shared animations.
struct MuelleEnCurso {
    double respuesta = 0.35;
    double amortiguacion = 0.8;
    double valor = 0;
    double velocidad = 0;
    double destino = 0;

    void fijar(double v) { valor = destino = v, velocidad = 0; }
    void avanzar(double segundos);
    bool enReposo() const;
};

} // namespace Livora
