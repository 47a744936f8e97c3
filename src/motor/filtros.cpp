#include "motor/filtros.h"

#include "motor/codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace Livora {

using vips::VImage;

const std::vector<PresetFiltro>& presetsFiltro() {
    static const std::vector<PresetFiltro> tabla = {
        {"ninguno", "Ninguno", "circle.slash"},
        {"mono", "Mono", "circle.lefthalf.filled"},
        {"noir", "Noir", "moon.fill"},
        {"sepia", "Sepia", "sun.haze"},
        {"fade", "Desvaído", "cloud"},
        {"chrome", "Chrome", "sparkles"},
        {"invertir", "Invertir", "circle.righthalf.filled"},
    };
    return tabla;
}

bool esPresetConEfecto(const std::string& clave) {
    return clave == "mono" || clave == "noir" || clave == "sepia" || clave == "fade" ||
           clave == "chrome" || clave == "invertir";
}

namespace {

using Matriz = std::array<double, 9>;
using Tripla = std::array<double, 3>;

// Rec. 709 luma: what "colourless" means for the saturation control and the B&W looks.
constexpr Tripla luma = {0.2126, 0.7152, 0.0722};

// Mixes each channel with the luma: 0 grey, 1 unchanged, above 1 more colourful.
Matriz saturacion(double s) {
    Matriz m{};
    for (int fila = 0; fila < 3; ++fila)
        for (int col = 0; col < 3; ++col)
            m[fila * 3 + col] = (1 - s) * luma[col] + (fila == col ? s : 0.0);
    return m;
}

// out = m · rgb + desplazamiento (0…255 values), rounded and clipped to 8 bits.
VImage combinar(const VImage& rgb, const Matriz& m, const Tripla& desplazamiento) {
    VImage M = VImage::new_matrix(3, 3, const_cast<double*>(m.data()), 9);
    VImage r = rgb.recomb(M);
    r = r.linear({1.0, 1.0, 1.0},
                 {desplazamiento[0] + 0.5, desplazamiento[1] + 0.5, desplazamiento[2] + 0.5});
    return r.cast(VIPS_FORMAT_UCHAR);
}

// One 8-bit grey band from the luma.
VImage gris(const VImage& rgb) {
    double pesos[3] = {luma[0], luma[1], luma[2]};
    VImage M = VImage::new_matrix(3, 1, pesos, 3);
    return (rgb.recomb(M) + 0.5).cast(VIPS_FORMAT_UCHAR);
}

// A 256-entry table of a curve on 0…1, applied to every band with maplut.
VImage tabla(double (*curva)(double)) {
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        double v = std::clamp(curva(i / 255.0), 0.0, 1.0);
        t[i] = static_cast<std::uint8_t>(std::lround(v * 255.0));
    }
    // Copied: new_from_memory would only point at this function's array.
    VipsImage* lut =
        vips_image_new_from_memory_copy(t.data(), t.size(), 256, 1, 1, VIPS_FORMAT_UCHAR);
    if (!lut) throw vips::VError();
    return VImage(lut);
}

double suave(double x) {
    return x * x * (3 - 2 * x);
}

// Noir: blacks below 8 % crushed, whites above 92 % blown, a smoothstep between them:
// about 1.8× contrast in the mid-tones, the hard look of film noir.
double curvaNoir(double x) {
    return suave(std::clamp((x - 0.08) / 0.84, 0.0, 1.0));
}
// Chrome: half-way to a smoothstep, 1.25× contrast in the mid-tones with rolled-off ends.
double curvaChrome(double x) {
    return 0.5 * x + 0.5 * suave(x);
}

VImage grisTriple(const VImage& y) {
    return VImage::bandjoin({y, y, y});
}

VImage efecto(const std::string& clave, const VImage& rgb) {
    if (clave == "mono") {
        // Neutral black and white: the luma itself in all three channels.
        return grisTriple(gris(rgb));
    }
    if (clave == "noir") {
        // High-contrast black and white: the luma through the noir curve.
        static const VImage lut = tabla(curvaNoir);
        return grisTriple(gris(rgb).maplut(lut));
    }
    if (clave == "sepia") {
        // Full-strength sepia tone: the classic warm-brown toning matrix.
        return combinar(rgb, {0.393, 0.769, 0.189, 0.349, 0.686, 0.168, 0.272, 0.534, 0.131},
                        {0, 0, 0});
    }
    if (clave == "fade") {
        // Washed-out print: colour softened to 65 %, blacks lifted to about 12 % (a touch
        // cooler) and whites pulled down to about 92 %.
        Matriz m = saturacion(0.65);
        for (double& v : m)
            v *= 0.80;
        return combinar(rgb, m, {30.0, 30.0, 34.0});
    }
    if (clave == "chrome") {
        // Vivid slide film: colour raised by 30 %, then a gentle S-curve per channel.
        static const VImage lut = tabla(curvaChrome);
        return combinar(rgb, saturacion(1.3), {0, 0, 0}).maplut(lut);
    }
    if (clave == "invertir") {
        // Exact negative: 255 − v per channel.
        return rgb.invert();
    }
    return rgb;
}

// Colour controls on 0…1 values: saturation (mix with the luma), brightness (offset),
// then contrast around mid-grey, folded into one matrix and one offset.
VImage controles(const VImage& rgb, double brillo, double contraste, double sat) {
    Matriz m = saturacion(sat);
    for (double& v : m)
        v *= contraste;
    const double d = contraste * brillo * 255.0 + 127.5 * (1.0 - contraste);
    return combinar(rgb, m, {d, d, d});
}

} // namespace

Imagen aplicarFiltros(const Imagen& img, const FiltroAjustes& f) {
    if (f.esNeutro()) return img;
    const bool hayControles = f.brillo != 0 || f.contraste != 1 || f.saturacion != 1;
    const bool hayEfecto = esPresetConEfecto(f.preset);
    if (!hayControles && !hayEfecto) return img;
    if (!std::isfinite(f.brillo) || !std::isfinite(f.contraste) || !std::isfinite(f.saturacion))
        return img;
    iniciarMotor();
    try {
        VImage base = img;
        if (base.bands() < 3) base = base.colourspace(VIPS_INTERPRETATION_sRGB);
        std::optional<VImage> alfa;
        VImage rgb = base;
        if (base.bands() >= 4) {
            alfa = base.extract_band(3);
            rgb = base.extract_band(0, VImage::option()->set("n", 3));
        }
        if (rgb.format() != VIPS_FORMAT_UCHAR) rgb = rgb.cast(VIPS_FORMAT_UCHAR);
        if (hayControles) rgb = controles(rgb, f.brillo, f.contraste, f.saturacion);
        if (hayEfecto) rgb = efecto(f.preset, rgb);
        if (alfa) rgb = rgb.bandjoin(alfa->cast(VIPS_FORMAT_UCHAR));
        return rgb.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        return img;
    }
}

std::map<std::string, Imagen> miniaturasFiltros(const Imagen& img) {
    iniciarMotor();
    std::map<std::string, Imagen> mapa;
    Imagen cuadrado = img;
    try {
        const int lado = std::min(img.width(), img.height());
        if (lado >= 1)
            cuadrado =
                img.extract_area((img.width() - lado) / 2, (img.height() - lado) / 2, lado, lado);
    } catch (const vips::VError&) {
        vips_error_clear();
        cuadrado = img;
    }
    Imagen pequena = escalado(cuadrado, 96);
    // A square already small enough is still a view into the full picture.
    if (pequena.width() == cuadrado.width() && pequena.height() == cuadrado.height()) {
        try {
            pequena = cuadrado.copy_memory();
        } catch (const vips::VError&) {
            vips_error_clear();
        }
    }
    for (const auto& p : presetsFiltro())
        mapa.emplace(p.clave, aplicarFiltros(pequena, FiltroAjustes{p.clave, 0, 1, 1}));
    return mapa;
}

} // namespace Livora
