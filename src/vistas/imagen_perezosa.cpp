#include "vistas/imagen_perezosa.h"

#include "vistas/cache_imagenes.h"
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

ImagenPerezosa::ImagenPerezosa(QObject* parent, CacheImagenes* previas)
    : QObject(parent), previas_(previas) {}
ImagenPerezosa::~ImagenPerezosa() = default;

void ImagenPerezosa::fijar(const QImage& img) {
    fijar(proveedorImagen(img), {});
    // Shown at once; a fitted copy is made in the background when it is much larger.
    imagenes_.clear();
    heredadas_ = false;
    if (!img.isNull()) imagenes_.push_back(img);
    completo_ = true;
    fallida_ = img.isNull();
    elegir(ultimo_);
}

void ImagenPerezosa::fijar(ProveedorImagen proveedor, const QString& clave, bool heredar) {
    ++generacion_;
    if (!heredar) {
        imagenes_.clear();
        actual_ = QImage();
    }
    vigilante_.reset();
    proveedor_ = std::move(proveedor);
    clave_ = clave;
    // The previous pictures stay on screen until the new ones arrive, so switching
    // alternatives never flashes an empty frame.
    heredadas_ = !imagenes_.empty();
    pedido_ = QSize();
    completo_ = false;
    fallida_ = false;
    if (!previas_ || clave_.isEmpty()) return;
    if (auto previa = previas_->buscar(clave_); previa && !previa->isNull()) {
        imagenes_ = {*previa};
        heredadas_ = false;
        elegir(ultimo_);
    }
}

ImagenPerezosa::Calidad ImagenPerezosa::calidad() const {
    if (actual_.isNull()) return Calidad::Vacia;
    if (heredadas_) return Calidad::Anterior;
    return decodificando() ? Calidad::Previa : Calidad::Nitida;
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
    const bool conPrevia = previas_ && !clave_.isEmpty();
    vigilante_ = std::make_unique<QFutureWatcher<Decodificada>>();
    auto* v = vigilante_.get();
    connect(v, &QFutureWatcher<Decodificada>::finished, this,
            [this, v, gen, necesario] { terminada(gen, necesario, v->result()); });
    v->setFuture(QtConcurrent::run(&hilosVista(), [proveedor, necesario, conPrevia] {
        cederPrioridad(Cesion::Vista);
        Decodificada d{proveedor(necesario), {}};
        // Shrunk here, not on the interface thread, for a frame larger than the limit.
        if (conPrevia && std::max(d.img.width(), d.img.height()) > ladoPrevia)
            d.previa =
                d.img.scaled(ladoPrevia, ladoPrevia, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        else
            d.previa = d.img;
        return d;
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

void ImagenPerezosa::terminada(std::uint64_t generacion, QSize pedido, Decodificada d) {
    if (generacion != generacion_) return;
    // The watcher is still inside its own signal: let it go later.
    vigilante_.release()->deleteLater();
    QImage& img = d.img;
    if (img.isNull()) {
        fallida_ = imagenes_.empty() || heredadas_;
        return;
    }
    if (img.width() < pedido.width() && img.height() < pedido.height()) completo_ = true;
    const QSize tam = img.size();
    guardar(std::move(img));
    // The fitted picture (the smallest at hand) is what a later visit wants first.
    if (previas_ && !clave_.isEmpty() && imagenes_.front().size() == tam)
        previas_->guardar(clave_, std::move(d.previa));
    elegir(ultimo_);
    Q_EMIT cambiada();
}

} // namespace Livora
