#include "motor/codec.h"

#include "motor/metadatos.h"
#include "motor/numeros.h"
#include "motor/png_optimo.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>

namespace Livora {

using vips::VImage;

void iniciarMotor() {
    static std::once_flag una;
    std::call_once(una, [] {
        if (VIPS_INIT("livora") != 0) vips_error_clear();
        // Generations run several pipelines at once; a small cache is enough and keeps
        // memory bounded.
        vips_cache_set_max(64);
        vips_cache_set_max_mem(64 * 1024 * 1024);
        // Decoders' complaints about odd but readable files are not the user's business.
        g_log_set_handler(
            "VIPS", G_LOG_LEVEL_WARNING,
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        Exiv2::enableBMFF(true);
        heif_init(nullptr);
    });
}

std::string extension(Formato f) {
    switch (f) {
    case Formato::PNG:
        return "png";
    case Formato::JPEG:
        return "jpg";
    case Formato::HEIC:
        return "heic";
    case Formato::AVIF:
        return "avif";
    }
    return "img";
}

bool hayCodificador(Formato f) {
    iniciarMotor();
    switch (f) {
    case Formato::HEIC:
        return heif_have_encoder_for_format(heif_compression_HEVC) != 0;
    case Formato::AVIF:
        return heif_have_encoder_for_format(heif_compression_AV1) != 0;
    default:
        return true;
    }
}

namespace {

// Drops every metadata item the decoder attached: the output's metadata are written by
// us alone, and libvips' HEIF loader frees its blobs with the loader image.
VImage sinMetadatos(VImage img) {
    VImage copia = img.copy();
    char** campos = vips_image_get_fields(copia.get_image());
    for (char** c = campos; c && *c; ++c) {
        std::string nombre(*c);
        if (nombre.rfind("icc-", 0) == 0 || nombre.rfind("exif", 0) == 0 ||
            nombre.rfind("xmp", 0) == 0 || nombre.rfind("iptc", 0) == 0 ||
            nombre.rfind("heif", 0) == 0 || nombre.rfind("png-comment", 0) == 0 ||
            nombre == "orientation" || nombre == "gif-comment" || nombre == "jpeg-chroma-subsample")
            vips_image_remove(copia.get_image(), *c);
        g_free(*c);
    }
    g_free(campos);
    return copia;
}

// 8-bit sRGB with three bands, or four when there is alpha.
VImage aSRGB8(VImage img) {
    bool tienePerfil = img.get_typeof(VIPS_META_ICC_NAME) != 0;
    if (tienePerfil) {
        try {
            img = img.icc_transform("srgb", VImage::option()
                                                ->set("embedded", true)
                                                ->set("intent", VIPS_INTENT_PERCEPTUAL)
                                                ->set("depth", 8));
        } catch (const vips::VError&) {
            vips_error_clear();
            img = img.colourspace(VIPS_INTERPRETATION_sRGB);
        }
    } else if (img.interpretation() != VIPS_INTERPRETATION_sRGB || img.bands() < 3) {
        img = img.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (img.format() != VIPS_FORMAT_UCHAR) {
        if (img.format() == VIPS_FORMAT_USHORT)
            img = (img / 257.0).cast(VIPS_FORMAT_UCHAR);
        else
            img = img.cast(VIPS_FORMAT_UCHAR);
    }
    if (img.bands() > 4) img = img.extract_band(0, VImage::option()->set("n", 4));
    if (img.bands() < 3) img = img.colourspace(VIPS_INTERPRETATION_sRGB);
    return img.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

} // namespace

namespace {

// Where stored pixel (x, y) lands in the upright picture: x' = ax·x + bx·y + c, likewise y'.
struct Giro {
    VipsImage* destino = nullptr;
    int ax = 1, bx = 0, cx = 0, ay = 0, by = 1, cy = 0;
};

Giro giroExif(int orientacion, int w, int h) {
    switch (orientacion) {
    case 2:
        return {nullptr, -1, 0, w - 1, 0, 1, 0};
    case 3:
        return {nullptr, -1, 0, w - 1, 0, -1, h - 1};
    case 4:
        return {nullptr, 1, 0, 0, 0, -1, h - 1};
    case 5:
        return {nullptr, 0, 1, 0, 1, 0, 0};
    case 6:
        return {nullptr, 0, -1, h - 1, 1, 0, 0};
    case 7:
        return {nullptr, 0, -1, h - 1, -1, 0, w - 1};
    case 8:
        return {nullptr, 0, 1, 0, -1, 0, w - 1};
    default:
        return {};
    }
}

// Copies each pixel of `area` to its upright place. A turned row becomes a column, so then
// the strip is walked column by column: its pixels of one upright row land side by side.
template <std::size_t Pel> void girarArea(const Giro& g, VipsRegion* region, const VipsRect& a) {
    const auto* origen = static_cast<const VipsPel*>(VIPS_REGION_ADDR(region, a.left, a.top));
    const std::size_t pasoOrigen = VIPS_REGION_LSKIP(region);
    auto* destino = static_cast<VipsPel*>(VIPS_IMAGE_ADDR(g.destino, 0, 0));
    const std::size_t pasoDestino = VIPS_IMAGE_SIZEOF_LINE(g.destino);
    auto copiar = [&](int x, int y) {
        const std::size_t dx = g.ax * x + g.bx * y + g.cx, dy = g.ay * x + g.by * y + g.cy;
        std::memcpy(destino + dy * pasoDestino + dx * Pel,
                    origen + std::size_t(y - a.top) * pasoOrigen + std::size_t(x - a.left) * Pel,
                    Pel);
    };
    if (g.bx == 0) {
        for (int y = a.top; y < a.top + a.height; ++y)
            for (int x = a.left; x < a.left + a.width; ++x)
                copiar(x, y);
    } else {
        for (int x = a.left; x < a.left + a.width; ++x)
            for (int y = a.top; y < a.top + a.height; ++y)
                copiar(x, y);
    }
}

// Called with the stored rows in file order.
int escribirGirado(VipsRegion* region, VipsRect* area, void* datos) {
    const Giro& g = *static_cast<const Giro*>(datos);
    if (VIPS_IMAGE_SIZEOF_PEL(g.destino) == 4)
        girarArea<4>(g, region, *area);
    else
        girarArea<3>(g, region, *area);
    return 0;
}

// Decodes a loader opened for sequential access once, top to bottom, into memory, turned
// by its orientation on the way. Random access plus autorot would hold the whole stored
// picture and its turned copy at once; sequential access plus autorot fails on large
// turned JPEG and TIFF files ("out of order read"). Throws vips::VError.
VImage decodificarErguida(VImage cargador) {
    const int orientacion = vips_image_get_orientation(cargador.get_image());
    // Colour conversion runs per pixel, so it streams with the decode. It also runs while
    // the loader image (and the ICC blob heifload frees with it) is alive.
    VImage fuente = aSRGB8(cargador);
    if (orientacion < 2 || orientacion > 8) return sinMetadatos(fuente.copy_memory());

    const int w = fuente.width(), h = fuente.height();
    const bool cruza = orientacion >= 5;
    Giro g = giroExif(orientacion, w, h);
    g.destino = vips_image_new_memory();
    VImage destino(g.destino); // owns it
    vips_image_init_fields(g.destino, cruza ? h : w, cruza ? w : h, fuente.bands(),
                           VIPS_FORMAT_UCHAR, VIPS_CODING_NONE, VIPS_INTERPRETATION_sRGB,
                           cruza ? fuente.yres() : fuente.xres(),
                           cruza ? fuente.xres() : fuente.yres());
    if (vips_image_write_prepare(g.destino) != 0 ||
        vips_sink_disc(fuente.get_image(), escribirGirado, &g) != 0)
        throw vips::VError();
    return destino;
}

} // namespace

std::optional<ImagenCargada> cargarImagen(const Ruta& url) {
    iniciarMotor();
    try {
        VImage cargador = VImage::new_from_file(
            url.c_str(), VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        std::int64_t w = cargador.width(), h = cargador.height();
        if (w < 1 || h < 1 || w * h > maxPixelesImagen) return std::nullopt;
        ImagenCargada r{decodificarErguida(cargador), leerPropiedades(url)};
        if (r.propiedades) {
            r.propiedades->pixelWidth = w;
            r.propiedades->pixelHeight = h;
        }
        return r;
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

std::optional<Imagen> decodificar(const Bytes& datos) {
    iniciarMotor();
    try {
        VImage cargador =
            VImage::new_from_buffer(datos.data(), datos.size(), "",
                                    VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        if (static_cast<std::int64_t>(cargador.width()) * cargador.height() > maxPixelesImagen)
            return std::nullopt;
        return decodificarErguida(cargador);
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

Imagen miniaturaArchivo(const Ruta& url, int ancho, int alto) {
    iniciarMotor();
    auto opciones = VImage::option()->set("height", alto)->set("size", VIPS_SIZE_DOWN);
    // Without a profile the pixels are sRGB already; importing them through a stand-in
    // profile would only shift them.
    if (VImage::new_from_file(url.c_str()).get_typeof(VIPS_META_ICC_NAME) != 0)
        opciones->set("export_profile", "srgb")->set("intent", VIPS_INTENT_PERCEPTUAL);
    return VImage::thumbnail(url.c_str(), ancho, opciones);
}

bool legible(const Ruta& url) {
    iniciarMotor();
    try {
        VImage img = VImage::new_from_file(url.c_str());
        return img.width() > 0 && img.height() > 0;
    } catch (const vips::VError&) {
        vips_error_clear();
        return false;
    }
}

namespace {

Bytes desdeBlob(VipsBlob* blob) {
    std::size_t largo = 0;
    const auto* p = static_cast<const std::uint8_t*>(vips_blob_get(blob, &largo));
    Bytes b(p, p + largo);
    vips_area_unref(VIPS_AREA(blob));
    return b;
}

int calidadEntera(double calidad) {
    return static_cast<int>(redondeadoEn(calidad * 100.0, 1, 100));
}

Bytes jpeg(const VImage& img, double calidad, bool progresivo) {
    VImage src = img;
    if (src.bands() == 4) src = src.flatten(VImage::option()->set("background", 255.0));
    return desdeBlob(src.jpegsave_buffer(VImage::option()
                                             ->set("Q", calidadEntera(calidad))
                                             ->set("optimize_coding", true)
                                             ->set("interlace", progresivo)
                                             ->set("strip", true)));
}

std::optional<Bytes> codificarVips(const VImage& img, Formato f, double calidad) {
    if (f == Formato::PNG) return codificarPNG(img, EsfuerzoPNG::Optimo);
    // Progressive scans make photos about 5 % smaller at the same SSIM for 0.16 s more
    // per 12 MP encode, but hold every coefficient until the end (3 bytes a pixel): huge
    // pictures are written baseline, in one pass of a few rows.
    const bool progresivo =
        static_cast<std::int64_t>(img.width()) * img.height() <= maxPixelesProgresivo;
    return jpeg(img, calidad, progresivo);
}

// libheif's quality scale does not match JPEG's: measured on 12 MP photos, x265 at 60
// reaches SSIM 0.992 (far above JPEG 80's 0.969) at 1.4× the JPEG's size. These offsets make
// quality 0.6 land above JPEG 80's SSIM (0.974): HEIC 44 gives 0.976 at 0.73× and AVIF 66
// gives 0.977 at 0.74× the bytes of JPEG 80.
int calidadHeif(Formato f, double calidad) {
    const int q = calidadEntera(calidad);
    return std::clamp(f == Formato::HEIC ? q - 16 : q + 6, 1, 100);
}

heif_error escribirVector(heif_context*, const void* datos, size_t largo, void* usuario) {
    auto* destino = static_cast<Bytes*>(usuario);
    const auto* p = static_cast<const std::uint8_t*>(datos);
    destino->insert(destino->end(), p, p + largo);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

std::optional<Bytes> codificarHeif(const VImage& img, Formato f, double calidad,
                                   const Propiedades* metadatos) {
    auto formato = f == Formato::HEIC ? heif_compression_HEVC : heif_compression_AV1;
    heif_context* ctx = heif_context_alloc();
    heif_encoder* enc = nullptr;
    heif_image* himg = nullptr;
    heif_image_handle* handle = nullptr;
    heif_encoding_options* opciones = nullptr;
    std::optional<Bytes> resultado;
    auto liberar = [&] {
        if (handle) heif_image_handle_release(handle);
        if (opciones) heif_encoding_options_free(opciones);
        if (himg) heif_image_release(himg);
        if (enc) heif_encoder_release(enc);
        heif_context_free(ctx);
    };
    if (heif_context_get_encoder_for_format(ctx, formato, &enc).code != heif_error_Ok) {
        liberar();
        return std::nullopt;
    }
    heif_encoder_set_lossy_quality(enc, calidadHeif(f, calidad));
    heif_encoder_set_parameter_string(enc, "chroma", "420");
    if (f == Formato::HEIC) {
        // x265's default preset takes ~20 s on a 12 MP photo; "ultrafast" takes under 2 s
        // and, with the calibrated quality, still beats JPEG 80 in size at equal SSIM.
        heif_encoder_set_parameter_string(enc, "preset", "ultrafast");
    } else {
        heif_encoder_set_parameter_integer(enc, "speed", 9);
        heif_encoder_set_parameter_integer(
            enc, "threads",
            std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16));
    }

    const int w = img.width(), h = img.height();
    const bool alfa = img.bands() == 4;
    if (heif_image_create(w, h, heif_colorspace_RGB,
                          alfa ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &himg)
                .code != heif_error_Ok ||
        heif_image_add_plane(himg, heif_channel_interleaved, w, h, 8).code != heif_error_Ok) {
        liberar();
        return std::nullopt;
    }
    int stride = 0;
    std::uint8_t* plano = heif_image_get_plane(himg, heif_channel_interleaved, &stride);
    // Straight from the picture's memory: a full copy first would cost 3 bytes a pixel more
    // at the encoder's peak.
    const VImage enMemoria = img.get_image()->data ? img : img.copy_memory();
    const auto* pix = static_cast<const std::uint8_t*>(enMemoria.data());
    if (!pix) {
        liberar();
        return std::nullopt;
    }
    const std::size_t fila = VIPS_IMAGE_SIZEOF_LINE(enMemoria.get_image());
    for (int y = 0; y < h; ++y)
        std::memcpy(plano + static_cast<std::size_t>(y) * stride, pix + y * fila, fila);

    opciones = heif_encoding_options_alloc();
    if (heif_context_encode_image(ctx, himg, enc, opciones, &handle).code != heif_error_Ok) {
        liberar();
        return std::nullopt;
    }
    if (metadatos && !metadatos->exifCrudo.empty())
        heif_context_add_exif_metadata(ctx, handle, metadatos->exifCrudo.data(),
                                       static_cast<int>(metadatos->exifCrudo.size()));
    Bytes salida;
    heif_writer escritor{1, &escribirVector};
    if (heif_context_write(ctx, &escritor, &salida).code == heif_error_Ok)
        resultado = std::move(salida);
    liberar();
    return resultado;
}

} // namespace

std::optional<Bytes> codificar(const Imagen& img, Formato f, double calidad,
                               const Propiedades* metadatos) {
    iniciarMotor();
    try {
        if (f == Formato::HEIC || f == Formato::AVIF) {
            if (!hayCodificador(f)) return std::nullopt;
            return codificarHeif(img, f, calidad, metadatos);
        }
        auto datos = codificarVips(img, f, calidad);
        if (datos && metadatos) return insertarMetadatos(*datos, *metadatos);
        return datos;
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

std::optional<Bytes> codificarJPEGPagina(const Imagen& img, double calidad) {
    iniciarMotor();
    try {
        return jpeg(img, calidad, false);
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

Imagen escalado(const Imagen& img, double maxLado) {
    const double w = img.width(), h = img.height();
    const double f = maxLado / std::max(w, h);
    if (!(f < 1.0) || !(f > 0.0)) return img;
    return redimensionar(img, static_cast<std::int64_t>(w * f), static_cast<std::int64_t>(h * f));
}

Imagen redimensionar(const Imagen& img, std::int64_t ancho, std::int64_t alto) {
    // A typed size can ask for gigapixels; like a bitmap that cannot be made, such a size
    // leaves the picture as it is. 65535 is also the largest side a JPEG can have.
    if (ancho < 1 || alto < 1 || ancho > 65535 || alto > 65535 || ancho * alto > maxPixelesImagen)
        return img;
    if (ancho == img.width() && alto == img.height()) return img;
    try {
        const double hs = static_cast<double>(ancho) / img.width();
        const double vs = static_cast<double>(alto) / img.height();
        VImage src = img.bands() == 4 ? img.premultiply() : img;
        VImage r = src.resize(hs, VImage::option()->set("vscale", vs));
        if (img.bands() == 4) r = r.unpremultiply();
        // Rounding inside resize can be off by one; pin the exact size.
        if (r.width() != ancho || r.height() != alto)
            r = r.embed(0, 0, static_cast<int>(ancho), static_cast<int>(alto),
                        VImage::option()->set("extend", VIPS_EXTEND_COPY));
        return r.cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        return img;
    }
}

std::pair<std::int64_t, std::int64_t> dimensionesCustom(const Imagen& img,
                                                        const AjustesImagen& ajustes) {
    const double a = ajustes.anchoCustom, b = ajustes.altoCustom;
    const double w = img.width(), h = img.height();
    const double ratio = h / w;
    // Sizes past what any image can have stay representable; redimensionar then leaves
    // the picture as it is.
    constexpr std::int64_t maximo = std::numeric_limits<std::int64_t>::max();
    auto truncado = [&](double v) { return truncadoEn(v, 0, maximo); };
    auto redondeado = [&](double v) { return redondeadoEn(v, 0, maximo); };
    if (a > 0 && b > 0) return {truncado(a), truncado(b)};
    if (a > 0) return {truncado(a), redondeado(a * ratio)};
    if (b > 0) return {redondeado(b / ratio), truncado(b)};
    return {img.width(), img.height()};
}

} // namespace Livora
