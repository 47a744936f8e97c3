#include "vistas/cache_imagenes.h"

namespace Livora {

namespace {

std::size_t pesoDe(const QImage& img) {
    return static_cast<std::size_t>(img.sizeInBytes());
}

} // namespace

std::optional<QImage> CacheImagenes::buscar(const QString& clave) {
    auto it = entradas_.find(clave);
    if (it == entradas_.end()) return std::nullopt;
    orden_.splice(orden_.begin(), orden_, it->second.pos);
    return it->second.img;
}

void CacheImagenes::quitar(const QString& clave) {
    auto it = entradas_.find(clave);
    if (it == entradas_.end()) return;
    bytes_ -= pesoDe(it->second.img);
    orden_.erase(it->second.pos);
    entradas_.erase(it);
}

void CacheImagenes::guardar(const QString& clave, QImage img) {
    quitar(clave);
    bytes_ += pesoDe(img);
    orden_.push_front(clave);
    entradas_.emplace(clave, Entrada{std::move(img), orden_.begin()});
    // The newest picture stays even alone over the budget: it is the one on screen.
    while (bytes_ > maxBytes_ && orden_.size() > 1)
        quitar(orden_.back());
}

void CacheImagenes::vaciar() {
    entradas_.clear();
    orden_.clear();
    bytes_ = 0;
}

} // namespace Livora
