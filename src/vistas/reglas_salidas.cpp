#include "vistas/reglas_salidas.h"

#include <charconv>
#include <cmath>

namespace Livora {

namespace {

bool esDigito(char c) {
    return c >= '0' && c <= '9';
}

// Whole pixel counts live in 64 bits; anything beyond (or not finite) is not a size.
bool cabeEnEntero(double v) {
    return std::isfinite(v) && std::fabs(v) < 9.2e18;
}

// Accepts [+-] (digits [. digits] | . digits) [(e|E) [+-] digits] and nothing else.
bool esDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t enteros = 0, fraccion = 0;
    while (i < s.size() && esDigito(s[i]))
        ++i, ++enteros;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && esDigito(s[i]))
            ++i, ++fraccion;
    }
    if (enteros + fraccion == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponente = 0;
        while (i < s.size() && esDigito(s[i]))
            ++i, ++exponente;
        if (exponente == 0) return false;
    }
    return i == s.size();
}

double proporcional(double valor, std::int64_t numerador, std::int64_t denominador) {
    const double r =
        std::round(valor * static_cast<double>(numerador) / static_cast<double>(denominador));
    return cabeEnEntero(r) ? r : 0;
}

} // namespace

double leerTamano(std::string_view texto) {
    if (!esDecimal(texto)) return 0;
    bool negativo = false;
    if (texto.front() == '+' || texto.front() == '-') {
        negativo = texto.front() == '-';
        texto.remove_prefix(1);
    }
    double v = 0;
    auto [fin, ec] = std::from_chars(texto.data(), texto.data() + texto.size(), v);
    if (ec != std::errc() || fin != texto.data() + texto.size()) return 0;
    if (negativo) v = -v;
    return cabeEnEntero(v) ? v : 0;
}

std::string textoTamano(double valor) {
    if (!(valor > 0) || !cabeEnEntero(valor)) return {};
    return std::to_string(static_cast<std::int64_t>(valor));
}

void escribirAncho(AjustesImagen& ajustes, double valor,
                   const std::optional<TamanoFuente>& fuente) {
    if (ajustes.proporcionBloqueada && valor > 0 && fuente && fuente->ancho >= 1)
        ajustes.altoCustom = proporcional(valor, fuente->alto, fuente->ancho);
    ajustes.anchoCustom = valor;
}

void escribirAlto(AjustesImagen& ajustes, double valor, const std::optional<TamanoFuente>& fuente) {
    if (ajustes.proporcionBloqueada && valor > 0 && fuente && fuente->alto >= 1)
        ajustes.anchoCustom = proporcional(valor, fuente->ancho, fuente->alto);
    ajustes.altoCustom = valor;
}

void elegirPreset(AjustesImagen& ajustes, const PresetResolucion& preset) {
    ajustes.anchoCustom = static_cast<double>(preset.ancho);
    ajustes.altoCustom = static_cast<double>(preset.alto);
}

bool hayTamanoCustom(const AjustesImagen& ajustes) {
    return ajustes.anchoCustom > 0 || ajustes.altoCustom > 0;
}

void tamanoOriginal(AjustesImagen& ajustes) {
    ajustes.anchoCustom = 0;
    ajustes.altoCustom = 0;
}

std::string etiquetaPreset(const PresetResolucion& preset) {
    return preset.nombre + "  " + std::to_string(preset.ancho) + " × " +
           std::to_string(preset.alto);
}

double calidadEnPaso(double calidad) {
    if (!std::isfinite(calidad)) return 70;
    const double c = std::round(calidad / 5.0) * 5.0;
    return c < 10 ? 10 : (c > 100 ? 100 : c);
}

std::string textoCalidad(double calidad) {
    if (!cabeEnEntero(calidad)) return "0 %";
    return std::to_string(static_cast<std::int64_t>(calidad)) + " %";
}

std::optional<std::int64_t> leerObjetivo(std::string_view texto) {
    const auto blanco = [](char c) { return c == ' ' || c == '\t'; };
    while (!texto.empty() && blanco(texto.front()))
        texto.remove_prefix(1);
    while (!texto.empty() && blanco(texto.back()))
        texto.remove_suffix(1);
    std::string cifras;
    if (!texto.empty() && (texto.front() == '+' || texto.front() == '-')) {
        if (texto.front() == '-') cifras = "-";
        texto.remove_prefix(1);
    }
    if (texto.empty()) return std::nullopt;
    for (char c : texto)
        if (!esDigito(c)) return std::nullopt;
    cifras += texto;
    std::int64_t v = 0;
    auto [fin, ec] = std::from_chars(cifras.data(), cifras.data() + cifras.size(), v);
    if (ec != std::errc() || fin != cifras.data() + cifras.size()) return std::nullopt;
    return v;
}

} // namespace Livora
