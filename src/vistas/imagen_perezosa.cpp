#include "vistas/imagen_perezosa.h"

#include "vistas/prioridad.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace Livora {

namespace {

// Display decodes get their own threads so they never queue behind long regenerations.
// A decode still running when the application ends would race the libraries' teardown
// (codec modules loading while others unload), so the end waits for them.
QThreadPool& hilosVista() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        qAddPostRoutine([] { hilosVista().waitForDone(); });
        return p;
    }();
    return *pool;
}

bool cubre(const QImage& img, QSize n) {
    return !img.isNull() && (img.width() >= n.width() || img.height() >= n.height());
}

// Much larger than needed: drawing it shrunk costs and aliases, a fitted copy is better.
bool sobra(const QImage& img, QSize n) {
    return img.width() > 2 * n.width() && img.height() > 2 * n.height();
}

} // namespace

ImagenPerezosa::ImagenPerezosa(QObject* parent) : QObject(parent) {}
ImagenPerezosa::~ImagenPerezosa() = default;

void ImagenPerezosa::fijar(const QImage& img) {
    fijar(proveedorImagen(img));
    // Shown at once; a fitted copy is made in the background when it is much larger.
    imagenes_.clear();
    heredadas_ = false;
    if (!img.isNull()) imagenes_.push_back(img);
    completo_ = true;
    fallida_ = img.isNull();
    elegir(ultimo_);
}

void ImagenPerezosa::fijar(ProveedorImagen proveedor) {
    ++generacion_;
    vigilante_.reset();
    proveedor_ = std::move(proveedor);
    // The previous pictures stay on screen until the new ones arrive, so switching
    // alternatives never flashes an empty frame.
    heredadas_ = !imagenes_.empty();
    pedido_ = QSize();
    completo_ = false;
    fallida_ = false;
}

void ImagenPerezosa::soltarAnterior() {
    if (!heredadas_) return;
    imagenes_.clear();
    actual_ = QImage();
    heredadas_ = false;
}

void ImagenPerezosa::limpiar() {
    ++generacion_;
    vigilante_.reset();
    proveedor_ = nullptr;
    imagenes_.clear();
    actual_ = QImage();
    pedido_ = QSize();
    ultimo_ = QSize();
    heredadas_ = false;
    completo_ = false;
    fallida_ = false;
}

void ImagenPerezosa::elegir(QSize n) {
    if (imagenes_.empty()) {
        actual_ = QImage();
        return;
    }
    if (n.isEmpty()) {
        actual_ = imagenes_.back();
        return;
    }
    // The smallest picture that covers the need without being far too big; else the
    // largest one (short of pixels, but the best there is).
    for (const QImage& img : imagenes_)
        if (cubre(img, n) && !sobra(img, n)) {
            actual_ = img;
            return;
        }
    for (const QImage& img : imagenes_)
        if (cubre(img, n)) {
            actual_ = img;
            return;
        }
    actual_ = imagenes_.back();
}

void ImagenPerezosa::pedir(QSize necesario) {
    ultimo_ = necesario;
    elegir(necesario);
    if (!proveedor_ || fallida_ || necesario.isEmpty()) return;
    if (!heredadas_) {
        if (cubre(actual_, necesario) && !sobra(actual_, necesario)) return;
        // The source has no more pixels: the largest picture is all there is.
        if (completo_ && !actual_.isNull() && !sobra(actual_, necesario)) return;
    }
    if (pedido_ == necesario && (vigilante_ || !heredadas_)) return;

    const std::uint64_t gen = ++generacion_;
    pedido_ = necesario;
    auto proveedor = proveedor_;
    vigilante_ = std::make_unique<QFutureWatcher<QImage>>();
    auto* v = vigilante_.get();
    connect(v, &QFutureWatcher<QImage>::finished, this,
            [this, v, gen, necesario] { terminada(gen, necesario, v->result()); });
    v->setFuture(QtConcurrent::run(&hilosVista(), [proveedor, necesario] {
        cederPrioridad(Cesion::Vista);
        return proveedor(necesario);
    }));
}

void ImagenPerezosa::guardar(QImage img) {
    if (heredadas_) {
        imagenes_.clear();
        heredadas_ = false;
    }
    std::erase_if(imagenes_, [&](const QImage& i) { return i.size() == img.size(); });
    imagenes_.push_back(std::move(img));
    std::sort(imagenes_.begin(), imagenes_.end(),
              [](const QImage& a, const QImage& b) { return a.width() < b.width(); });
    // The fitted (smallest) and the largest are kept; what lies between is dropped.
    if (imagenes_.size() > 2) imagenes_.erase(imagenes_.begin() + 1, imagenes_.end() - 1);
}

void ImagenPerezosa::terminada(std::uint64_t generacion, QSize pedido, QImage img) {
    if (generacion != generacion_) return;
    // The watcher is still inside its own signal: let it go later.
    vigilante_.release()->deleteLater();
    if (img.isNull()) {
        fallida_ = imagenes_.empty() || heredadas_;
        return;
    }
    if (img.width() < pedido.width() && img.height() < pedido.height()) completo_ = true;
    guardar(std::move(img));
    elegir(ultimo_);
    Q_EMIT cambiada();
}

} // namespace Livora
