#include "vistas/calculo_comparador.h"

#include <algorithm>
#include <cmath>

namespace Livora {

namespace {

double limitar(double v, double lo, double hi) {
    return std::clamp(v, lo, hi);
}

double limitarZoom(double z) {
    if (std::isnan(z)) return zoomMinimo;
    return limitar(z, zoomMinimo, zoomMaximo);
}

} // namespace

Tam marcoAjustado(Tam imagen, Tam disponible) {
    if (imagen.ancho <= 0 || imagen.alto <= 0 || disponible.ancho <= 0 || disponible.alto <= 0)
        return disponible;
    const double f = std::min(disponible.ancho / imagen.ancho, disponible.alto / imagen.alto);
    return {imagen.ancho * f, imagen.alto * f};
}

RectDoble marcoCentrado(Tam imagen, RectDoble disponible) {
    const Tam t = marcoAjustado(imagen, {disponible.ancho, disponible.alto});
    return {disponible.x + (disponible.ancho - t.ancho) / 2,
            disponible.y + (disponible.alto - t.alto) / 2, t.ancho, t.alto};
}

Desp recortado(Desp d, Tam tam, double escala) {
    const double lx = std::max(0.0, (escala - 1) * tam.ancho / 2);
    const double ly = std::max(0.0, (escala - 1) * tam.alto / 2);
    return {limitar(d.x, -lx, lx), limitar(d.y, -ly, ly)};
}

void fijarZoom(EstadoComparador& e, double z, Tam tam) {
    e.escala = limitarZoom(z);
    e.escalaBase = e.escala;
    e.despl = e.escala != 1 ? recortado(e.despl, tam, e.escala) : Desp{};
    e.desplBase = e.despl;
}

void acercar(EstadoComparador& e, Tam tam) {
    fijarZoom(e, e.escala * pasoZoom, tam);
}
void alejar(EstadoComparador& e, Tam tam) {
    fijarZoom(e, e.escala / pasoZoom, tam);
}
bool puedeAcercar(const EstadoComparador& e) {
    return e.escala < zoomMaximo;
}
bool puedeAlejar(const EstadoComparador& e) {
    return e.escala > zoomMinimo;
}
bool hayZoom(const EstadoComparador& e) {
    return e.escala > zoomMinimo;
}

std::string textoZoom(double escala) {
    // A hair of tolerance so 2.25 × 100 shows 225 even if the product lands just below.
    const auto pct = static_cast<long long>(std::floor(escala * 100 + 1e-9));
    return std::to_string(pct) + " %";
}

bool interpolacionSuave(double escala) {
    return escala <= zoomSuaveMaximo;
}

bool arrastreMueveDivisor(const EstadoComparador& e, Tam tam, double inicioX) {
    if (e.escala == 1) return true;
    return std::fabs(inicioX - tam.ancho * e.pos) < radioDivisor;
}

void cambioArrastre(EstadoComparador& e, Tam tam, double inicioX, double actualX, Desp traslacion) {
    if (!e.arrastrandoDivisor) e.arrastrandoDivisor = arrastreMueveDivisor(e, tam, inicioX);
    if (*e.arrastrandoDivisor) {
        if (tam.ancho > 0) e.pos = limitar(actualX / tam.ancho, 0, 1);
    } else {
        e.despl =
            recortado({e.desplBase.x + traslacion.x, e.desplBase.y + traslacion.y}, tam, e.escala);
    }
}

void finArrastre(EstadoComparador& e) {
    e.arrastrandoDivisor.reset();
    e.desplBase = e.despl;
}

void cambioPellizco(EstadoComparador& e, double magnificacion, Tam tam) {
    e.escala = limitarZoom(e.escalaBase * magnificacion);
    e.despl = recortado(e.despl, tam, e.escala);
}

void finPellizco(EstadoComparador& e) {
    e.escalaBase = e.escala;
    e.desplBase = e.despl;
}

void dobleClic(EstadoComparador& e, Tam tam) {
    fijarZoom(e, e.escala == 1 ? zoomDobleClic : 1.0, tam);
}

void alternarLado(EstadoComparador& e) {
    e.pos = e.pos > 0.5 ? 0.0 : 1.0;
}

RectDoble rectImagen(Tam tam, double escala, Desp despl) {
    const double w = tam.ancho * escala, h = tam.alto * escala;
    return {(tam.ancho - w) / 2 + despl.x, (tam.alto - h) / 2 + despl.y, w, h};
}

} // namespace Livora
