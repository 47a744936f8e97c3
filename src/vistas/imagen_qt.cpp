#include "vistas/imagen_qt.h"

#include "motor/pdf.h"

#include "motor/codec.h"
#include "motor/fuente.h"

#include <vips/vips8>

#include <algorithm>

namespace Livora {

namespace {

// Any decoded picture as 8-bit sRGB with 3 or 4 bands.
vips::VImage normalizada(vips::VImage v) {
    if (v.interpretation() != VIPS_INTERPRETATION_sRGB &&
        v.interpretation() != VIPS_INTERPRETATION_B_W)
        v = v.colourspace(VIPS_INTERPRETATION_sRGB);
    if (v.format() != VIPS_FORMAT_UCHAR) v = v.cast(VIPS_FORMAT_UCHAR);
    if (v.bands() == 1) v = v.bandjoin({v, v});
    if (v.bands() == 2)
        v = v.extract_band(0).bandjoin({v.extract_band(0), v.extract_band(0), v.extract_band(1)});
    if (v.bands() > 4) v = v.extract_band(0, vips::VImage::option()->set("n", 4));
    return v;
}

QImage aQImage(vips::VImage v) {
    v = normalizada(std::move(v));
    if (v.bands() != 3 && v.bands() != 4) return {};
    size_t n = 0;
    void* mem = v.write_to_memory(&n);
    if (!mem) return {};
    const int w = v.width(), h = v.height(), b = v.bands();
    QImage q(static_cast<uchar*>(mem), w, h, w * b,
             b == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888, g_free, mem);
    // The premultiplied 32-bit format is the one the raster painter draws fastest.
    return q.convertToFormat(b == 4 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QImage protegida(const std::function<QImage()>& f) {
    QImage q;
    try {
        q = f();
    } catch (const vips::VError&) {
        q = QImage();
    }
    vips_error_clear();
    vips_thread_shutdown();
    return q;
}

} // namespace

QImage imagenQt(const Imagen& img) {
    return protegida([&] { return aQImage(img); });
}

std::optional<Imagen> imagenMotor(const QImage& img) {
    if (img.isNull()) return std::nullopt;
    const bool alfa = img.hasAlphaChannel();
    const QImage q = img.convertToFormat(alfa ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    try {
        // Row by row: QImage pads its lines, vips wants them packed.
        const int b = alfa ? 4 : 3;
        std::vector<unsigned char> datos(std::size_t(q.width()) * q.height() * b);
        for (int y = 0; y < q.height(); ++y)
            std::copy_n(q.constScanLine(y), std::size_t(q.width()) * b,
                        datos.data() + std::size_t(y) * q.width() * b);
        auto v = Imagen::new_from_memory(datos.data(), datos.size(), q.width(), q.height(), b,
                                         VIPS_FORMAT_UCHAR);
        // The buffer goes with this function: the result owns a copy.
        return v.copy(Imagen::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

ProveedorImagen proveedorArchivo(const Ruta& ruta, std::optional<std::string> contrasena) {
    const std::string archivo = ruta.string();
    return [archivo, contrasena](QSize maximo) -> QImage {
        if (maximo.isEmpty()) return {};
        iniciarMotor();
        if (contrasena) {
            auto pagina = renderPDF(archivo, contrasena);
            if (!pagina) return {};
            return proveedorImagen(*pagina)(maximo);
        }
        return protegida(
            [&] { return aQImage(miniaturaArchivo(archivo, maximo.width(), maximo.height())); });
    };
}

ProveedorImagen proveedorFuente(const ImagenFuente& fuente) {
    return [fuente](QSize maximo) -> QImage {
        if (maximo.isEmpty()) return {};
        return protegida([&] {
            auto img = previaFuente(fuente, maximo.width(), maximo.height());
            return img ? aQImage(*img) : QImage();
        });
    };
}

ProveedorImagen proveedorImagen(const Imagen& img) {
    return [img](QSize maximo) -> QImage {
        if (maximo.isEmpty()) return {};
        return protegida([&] {
            const double f = std::min({1.0, double(maximo.width()) / img.width(),
                                       double(maximo.height()) / img.height()});
            return aQImage(f < 1 ? img.resize(f) : img);
        });
    };
}

ProveedorImagen proveedorImagen(const QImage& img) {
    return [img](QSize maximo) -> QImage {
        if (img.isNull() || maximo.isEmpty()) return {};
        if (img.width() <= maximo.width() && img.height() <= maximo.height()) return img;
        return img.scaled(maximo, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    };
}

} // namespace Livora
