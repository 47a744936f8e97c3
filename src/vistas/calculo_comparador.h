#pragma once
#include <optional>
#include <string>

// The comparator's geometry and gestures as plain arithmetic: the widget only feeds it
// pointer positions and draws what it says.
namespace Livora {

struct Tam {
    double ancho = 0;
    double alto = 0;
};

struct Desp {
    double x = 0;
    double y = 0;
    bool operator==(const Desp&) const = default;
};

struct RectDoble {
    double x = 0, y = 0, ancho = 0, alto = 0;
    bool operator==(const RectDoble&) const = default;
};

inline constexpr double zoomMinimo = 1.0;
inline constexpr double zoomMaximo = 8.0;
inline constexpr double pasoZoom = 1.5;
inline constexpr double zoomDobleClic = 2.5;
// A drag that starts this close to the divider (horizontally, in points) moves it.
inline constexpr double radioDivisor = 25.0;
// Above this zoom pixels are shown as blocks instead of being interpolated.
inline constexpr double zoomSuaveMaximo = 2.0;

struct EstadoComparador {
    double pos = 0.5;
    double escala = 1.0;
    double escalaBase = 1.0;
    Desp despl;
    Desp desplBase;
    // For the current drag: none = undecided, true = divider, false = pan.
    std::optional<bool> arrastrandoDivisor;
};

// The before picture fitted into the available space keeping its aspect; the available
// size itself when either has a zero side.
Tam marcoAjustado(Tam imagen, Tam disponible);
// The fitted frame centred in the available rectangle.
RectDoble marcoCentrado(Tam imagen, RectDoble disponible);

// Pan offset limited so the picture edge never moves inside the frame.
Desp recortado(Desp d, Tam tam, double escala);

void fijarZoom(EstadoComparador& e, double z, Tam tam);
void acercar(EstadoComparador& e, Tam tam);
void alejar(EstadoComparador& e, Tam tam);
bool puedeAcercar(const EstadoComparador& e);
bool puedeAlejar(const EstadoComparador& e);
// "Tamaño real" is offered only while zoomed in.
bool hayZoom(const EstadoComparador& e);
// Integer part of the zoom in percent: "225 %".
std::string textoZoom(double escala);
bool interpolacionSuave(double escala);

// Drag in frame coordinates: where it started, where it is, and how far it moved.
void cambioArrastre(EstadoComparador& e, Tam tam, double inicioX, double actualX, Desp traslacion);
void finArrastre(EstadoComparador& e);
// Whether a drag starting at x would move the divider (rather than pan).
bool arrastreMueveDivisor(const EstadoComparador& e, Tam tam, double inicioX);

// Pinch: magnification relative to the start of the current pinch.
void cambioPellizco(EstadoComparador& e, double magnificacion, Tam tam);
void finPellizco(EstadoComparador& e);

void dobleClic(EstadoComparador& e, Tam tam);
// Space: the whole frame shows one side; from the initial 0.5 the before picture.
void alternarLado(EstadoComparador& e);

// Where a picture lands in frame coordinates: stretched to the frame, scaled around its
// centre, shifted by the pan.
RectDoble rectImagen(Tam tam, double escala, Desp despl);

} // namespace Livora
