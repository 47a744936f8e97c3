#include "motor/capas.h"

#include "motor/codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>

#include <pango/pangocairo.h>

namespace Livora {

using vips::VImage;

namespace {

// Pango's font machinery is shared by every call and is not safe to use from several
// threads at once; drawing a few layers is quick, so one lock covers it.
std::mutex& cerrojoPango() {
    static std::mutex m;
    return m;
}

PangoFontMap* mapaFuentes() {
    static PangoFontMap* mapa = pango_cairo_font_map_new();
    return mapa;
}

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool vacio() const { return w <= 0 || h <= 0; }
};

Rect interseccion(const Rect& a, const Rect& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

// A patch of the picture with one layer drawn in it: straight-alpha RGBA text and, when
// asked, the shadow's alpha, both covering `zona` in image coordinates.
struct Parche {
    Rect zona;
    VImage texto;
    std::optional<VImage> sombra;
};

// Cairo's ARGB32 is premultiplied BGRA in memory on little-endian machines.
VImage desdeCairo(cairo_surface_t* s) {
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* datos = cairo_image_surface_get_data(s);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const auto* fila = reinterpret_cast<const std::uint32_t*>(datos + y * stride);
        unsigned char* d = rgba.data() + static_cast<std::size_t>(y) * w * 4;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = fila[x];
            const unsigned a = p >> 24;
            unsigned r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
            if (a != 0 && a != 255) {
                r = std::min(255u, (r * 255 + a / 2) / a);
                g = std::min(255u, (g * 255 + a / 2) / a);
                b = std::min(255u, (b * 255 + a / 2) / a);
            }
            d[x * 4 + 0] = static_cast<unsigned char>(r);
            d[x * 4 + 1] = static_cast<unsigned char>(g);
            d[x * 4 + 2] = static_cast<unsigned char>(b);
            d[x * 4 + 3] = static_cast<unsigned char>(a);
        }
    }
    VipsImage* copia =
        vips_image_new_from_memory_copy(rgba.data(), rgba.size(), w, h, 4, VIPS_FORMAT_UCHAR);
    if (!copia) throw vips::VError();
    return VImage(copia).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// Gaussian blur of a shadow's alpha. Wide blurs run on a reduced copy: a soft shadow loses
// nothing there, and the cost stays flat instead of growing with the font size squared.
VImage difuminar(const VImage& alfa, double sigma) {
    if (sigma < 0.2) return alfa;
    if (sigma <= 4) return alfa.gaussblur(sigma);
    const int k = std::max(1, static_cast<int>(sigma / 2.5));
    VImage p = alfa.shrink(k, k).gaussblur(sigma / k);
    p = p.resize(static_cast<double>(k), VImage::option()->set("kernel", VIPS_KERNEL_LINEAR));
    return p
        .embed(0, 0, alfa.width(), alfa.height(), VImage::option()->set("extend", VIPS_EXTEND_COPY))
        .cast(VIPS_FORMAT_UCHAR);
}

// The laid-out text block, in the picture's pixels, that a layer is centred on.
struct Bloque {
    double x = 0, y = 0, ancho = 0, alto = 0;
};

// Draws one layer for a picture of W × H pixels. `entero`: the whole layer, even where it
// falls outside the picture (the editor shows it whole); otherwise only what can reach it.
std::optional<Parche> dibujar(const CapaTexto& capa, int W, int H, bool entero = false,
                              Bloque* bloque = nullptr) {
    const double f = capa.tamano * H;
    if (!(f >= 1.0) || !std::isfinite(capa.posX) || !std::isfinite(capa.posY) ||
        (capa.texto.empty() && !bloque))
        return std::nullopt;
    // An empty text still has a block one space wide, so the editor can show and grab it.
    const std::string& texto = capa.texto.empty() ? std::string(" ") : capa.texto;
    // A font far taller than the picture only shows a fragment of one glyph; cap it so the
    // scratch surfaces stay bounded.
    const double tam = std::min(f, 4.0 * std::max(W, H));

    std::lock_guard bloqueo(cerrojoPango());
    PangoContext* ctx = pango_font_map_create_context(mapaFuentes());
    cairo_font_options_t* opciones = cairo_font_options_create();
    // Unhinted metrics: the size is exactly tamano × H at every resolution.
    cairo_font_options_set_hint_metrics(opciones, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(opciones, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(opciones, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(ctx, opciones);
    cairo_font_options_destroy(opciones);

    PangoLayout* layout = pango_layout_new(ctx);
    PangoFontDescription* fuente = pango_font_description_from_string("Sans Bold");
    pango_font_description_set_absolute_size(fuente, tam * PANGO_SCALE);
    pango_layout_set_font_description(layout, fuente);
    pango_font_description_free(fuente);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout, texto.c_str(), static_cast<int>(texto.size()));

    PangoRectangle tinta, logico;
    pango_layout_get_pixel_extents(layout, &tinta, &logico);
    std::optional<Parche> parche;
    if (bloque && logico.width > 0 && logico.height > 0)
        *bloque = Bloque{capa.posX * W - logico.width / 2.0, capa.posY * H - logico.height / 2.0,
                         double(logico.width), double(logico.height)};
    if (logico.width > 0 && logico.height > 0 && tinta.width > 0 && tinta.height > 0) {
        // The laid-out block is centred on the anchor.
        const double ox = capa.posX * W - logico.width / 2.0 - logico.x;
        const double oy = capa.posY * H - logico.height / 2.0 - logico.y;
        const double sigma = capa.sombra ? 0.04 * tam : 0.0; // blur radius 0.08 × f
        const int desplazamiento = capa.sombra ? static_cast<int>(std::lround(0.03 * tam)) : 0;
        const int margen = capa.sombra ? static_cast<int>(std::ceil(3 * sigma)) + 2 : 1;
        Rect tintaImg{static_cast<int>(std::floor(ox + tinta.x)) - margen,
                      static_cast<int>(std::floor(oy + tinta.y)) - margen,
                      tinta.width + 2 * margen + 2, tinta.height + 2 * margen + 2};
        // Drawn only where it can reach the picture; the margin keeps shadows of text
        // just outside an edge.
        Rect visible{-margen - desplazamiento, -margen - desplazamiento,
                     W + 2 * (margen + desplazamiento), H + 2 * (margen + desplazamiento)};
        Rect zona = entero ? tintaImg : interseccion(tintaImg, visible);
        if (!zona.vacio()) {
            cairo_surface_t* sup = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, zona.w, zona.h);
            if (cairo_surface_status(sup) == CAIRO_STATUS_SUCCESS) {
                cairo_t* cr = cairo_create(sup);
                cairo_translate(cr, ox - zona.x, oy - zona.y);
                cairo_set_source_rgba(
                    cr, std::clamp(capa.color.r, 0.0, 1.0), std::clamp(capa.color.g, 0.0, 1.0),
                    std::clamp(capa.color.b, 0.0, 1.0), std::clamp(capa.color.a, 0.0, 1.0));
                pango_cairo_update_context(cr, ctx);
                pango_layout_context_changed(layout);
                pango_cairo_show_layout(cr, layout);
                cairo_destroy(cr);
                parche = Parche{zona, desdeCairo(sup), std::nullopt};
            }
            cairo_surface_destroy(sup);
        }
        if (parche && capa.sombra) {
            VImage alfa = parche->texto.extract_band(3);
            alfa = difuminar(alfa, sigma);
            // Black at 50 %, moved straight down by 3 % of the font size.
            alfa = (alfa * 0.5 + 0.5).cast(VIPS_FORMAT_UCHAR);
            alfa = alfa.embed(0, desplazamiento, zona.w, zona.h);
            parche->sombra = alfa;
        }
    }
    g_object_unref(layout);
    g_object_unref(ctx);
    return parche;
}

} // namespace

CapaSuelta dibujarCapa(const CapaTexto& capa, int W, int H) {
    CapaSuelta r;
    if (W < 1 || H < 1) return r;
    iniciarMotor();
    try {
        Bloque b;
        auto p = dibujar(capa, W, H, true, &b);
        r.bloqueX = b.x;
        r.bloqueY = b.y;
        r.bloqueAncho = b.ancho;
        r.bloqueAlto = b.alto;
        if (!p || capa.texto.empty()) return r;
        VImage hecho = p->texto;
        if (p->sombra) {
            VImage negro = (*p->sombra * 0).cast(VIPS_FORMAT_UCHAR);
            VImage sombra =
                VImage::bandjoin({negro, negro, negro, *p->sombra})
                    .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
            hecho = VImage::composite({sombra, p->texto}, {VIPS_BLEND_MODE_OVER})
                        .cast(VIPS_FORMAT_UCHAR);
        }
        r.pixeles = hecho.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                        .copy_memory();
        r.x = p->zona.x;
        r.y = p->zona.y;
    } catch (const vips::VError&) {
        vips_error_clear();
        r.pixeles.reset();
    }
    return r;
}

Imagen renderizarCapas(const Imagen& img, const std::vector<CapaTexto>& capas) {
    if (capas.empty()) return img;
    iniciarMotor();
    try {
        const int W = img.width(), H = img.height();
        const bool conAlfa = img.bands() == 4;
        // The engine's pictures are sRGB; a stray tag (a grey or "multiband" image of three
        // bands) would send the compositing through a colour conversion that does not exist.
        VImage base = img.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        bool cambio = false;
        for (const CapaTexto& capa : capas) {
            auto p = dibujar(capa, W, H);
            if (!p) continue;
            // Composited in the part of the picture the patch covers, then put back.
            Rect dentro = interseccion(p->zona, Rect{0, 0, W, H});
            if (dentro.vacio()) continue;
            const int px = dentro.x - p->zona.x, py = dentro.y - p->zona.y;
            VImage trozo = base.extract_area(dentro.x, dentro.y, dentro.w, dentro.h);
            if (!conAlfa) trozo = trozo.bandjoin_const({255.0});
            VImage texto = p->texto.extract_area(px, py, dentro.w, dentro.h);
            std::vector<VImage> capasVips{trozo};
            std::vector<int> modos;
            if (p->sombra) {
                VImage a = p->sombra->extract_area(px, py, dentro.w, dentro.h);
                VImage negro = (a * 0).cast(VIPS_FORMAT_UCHAR);
                capasVips.push_back(
                    VImage::bandjoin({negro, negro, negro, a})
                        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)));
                modos.push_back(VIPS_BLEND_MODE_OVER);
            }
            capasVips.push_back(texto);
            modos.push_back(VIPS_BLEND_MODE_OVER);
            VImage hecho = VImage::composite(capasVips, modos).cast(VIPS_FORMAT_UCHAR);
            if (!conAlfa) hecho = hecho.extract_band(0, VImage::option()->set("n", 3));
            base = base.insert(hecho, dentro.x, dentro.y);
            cambio = true;
        }
        if (!cambio) return img;
        return base.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        return img;
    }
}

} // namespace Livora
