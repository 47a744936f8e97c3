#include "vistas/imagen_perezosa.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace Livora {

namespace {

// Display decodes get their own threads so they never queue behind long regenerations.
QThreadPool& hilosVista() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        return p;
    }();
    return *pool;
}

bool cubre(const QImage& img, QSize n) {
    return !img.isNull() && (img.width() >= n.width() || img.height() >= n.height());
}

// Much larger than needed: drawing it shrunk would alias, so a fitted copy is worth it.
bool sobra(const QImage& img, QSize n) {
    return img.width() > 2 * n.width() && img.height() > 2 * n.height();
}

} // namespace

ImagenPerezosa::ImagenPerezosa(QObject* parent) : QObject(parent) {}
ImagenPerezosa::~ImagenPerezosa() = default;

void ImagenPerezosa::fijar(const QImage& img) {
    fijar(proveedorImagen(img));
    // Shown at once; pedir() may still swap in a fitted copy.
    actual_ = img;
    heredada_ = false;
    completo_ = true;
    fallida_ = img.isNull();
}

void ImagenPerezosa::fijar(ProveedorImagen proveedor) {
    ++generacion_;
    vigilante_.reset();
    proveedor_ = std::move(proveedor);
    // The previous picture stays on screen until the new one arrives, so switching
    // alternatives never flashes an empty frame.
    pedido_ = QSize();
    heredada_ = !actual_.isNull();
    completo_ = false;
    fallida_ = false;
}

void ImagenPerezosa::soltarAnterior() {
    if (!heredada_) return;
    actual_ = QImage();
    heredada_ = false;
}

void ImagenPerezosa::limpiar() {
    ++generacion_;
    vigilante_.reset();
    proveedor_ = nullptr;
    actual_ = QImage();
    pedido_ = QSize();
    heredada_ = false;
    completo_ = false;
    fallida_ = false;
}

bool ImagenPerezosa::basta(QSize n) const {
    if (actual_.isNull()) return false;
    if (sobra(actual_, n)) return false;
    return completo_ || cubre(actual_, n);
}

void ImagenPerezosa::pedir(QSize necesario) {
    if (!proveedor_ || fallida_ || necesario.isEmpty()) return;
    if (pedido_ == necesario && (vigilante_ || !actual_.isNull())) return;
    if (basta(necesario)) return;
    if (completo_ && !actual_.isNull() && !sobra(actual_, necesario)) return;

    const std::uint64_t gen = ++generacion_;
    pedido_ = necesario;
    auto proveedor = proveedor_;
    vigilante_ = std::make_unique<QFutureWatcher<QImage>>();
    auto* v = vigilante_.get();
    connect(v, &QFutureWatcher<QImage>::finished, this,
            [this, v, gen, necesario] { terminada(gen, necesario, v->result()); });
    v->setFuture(
        QtConcurrent::run(&hilosVista(), [proveedor, necesario] { return proveedor(necesario); }));
}

void ImagenPerezosa::terminada(std::uint64_t generacion, QSize pedido, QImage img) {
    if (generacion != generacion_) return;
    // The watcher is still inside its own signal: let it go later.
    vigilante_.release()->deleteLater();
    if (img.isNull()) {
        fallida_ = actual_.isNull();
        return;
    }
    completo_ = img.width() < pedido.width() && img.height() < pedido.height();
    actual_ = std::move(img);
    heredada_ = false;
    Q_EMIT cambiada();
}

} // namespace Livora
