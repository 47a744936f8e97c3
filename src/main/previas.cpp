#include "main/previas.h"

#include "motor/codec.h"
#include "motor/fuente.h"
#include "vistas/prioridad.h"

#include <QThreadPool>

#include <glib.h>
#include <vips/vips.h>

namespace Livora {

QImage aQImage(vips::VImage img) {
    try {
        if (img.format() != VIPS_FORMAT_UCHAR) img = img.cast(VIPS_FORMAT_UCHAR);
        if (img.bands() <= 2) img = img.colourspace(VIPS_INTERPRETATION_sRGB);
        if (img.bands() > 4) img = img.extract_band(0, vips::VImage::option()->set("n", 4));
        const int w = img.width(), h = img.height(), b = img.bands();
        size_t n = 0;
        void* mem = img.write_to_memory(&n);
        if (!mem) return {};
        QImage q(static_cast<const uchar*>(mem), w, h, w * b,
                 b == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888, g_free, mem);
        return q.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    } catch (const vips::VError&) {
        return {};
    }
}

QImage previaDeArchivo(const Ruta& archivo, int maxLado) {
    try {
        return aQImage(miniaturaArchivo(archivo, maxLado, maxLado));
    } catch (const vips::VError&) {
        return {};
    }
}

CachePrevias::CachePrevias(std::size_t maxBytes) : imagenes_(maxBytes) {
    hilos_.setMaxThreadCount(2);
}

CachePrevias::~CachePrevias() {
    hilos_.waitForDone();
}

CachePrevias& CachePrevias::global() {
    static CachePrevias* c = new CachePrevias;
    return *c;
}

QImage CachePrevias::pedir(const QString& clave, std::function<QImage()> producir) {
    if (auto img = imagenes_.buscar(clave)) return *img;
    if (pendientes_.insert(clave).second) {
        hilos_.start([this, clave, producir] {
            cederPrioridad(Cesion::Vista);
            QImage img = producir();
            vips_thread_shutdown();
            QMetaObject::invokeMethod(
                this,
                [this, clave, img] {
                    pendientes_.erase(clave);
                    imagenes_.guardar(clave, img);
                    Q_EMIT lista(clave);
                },
                Qt::QueuedConnection);
        });
    }
    return {};
}

QImage CachePrevias::deFuente(const QString& id, const ImagenFuente& fuente, int maxLado) {
    const QString clave =
        QStringLiteral("m:%1:%2:%3").arg(id, QString::fromStdString(fuente.clave())).arg(maxLado);
    return pedir(clave, [fuente, maxLado] {
        auto img = previaFuente(fuente, maxLado, maxLado);
        return img ? aQImage(*img) : QImage();
    });
}

} // namespace Livora
