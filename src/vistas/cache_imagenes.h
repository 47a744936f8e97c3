#pragma once
#include <QImage>
#include <QString>

#include <cstddef>
#include <list>
#include <optional>
#include <unordered_map>

namespace Livora {

// Display pictures by key, least recently used dropped first once their pixels pass a
// byte budget. Interface thread only.
class CacheImagenes {
public:
    explicit CacheImagenes(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    // The picture kept for `clave` (now the most recent), if any. A null picture kept
    // stands for a source that could not be read, so it is not asked again.
    std::optional<QImage> buscar(const QString& clave);
    // Replaces what `clave` held.
    void guardar(const QString& clave, QImage img);
    void vaciar();
    std::size_t bytes() const { return bytes_; }
    std::size_t maxBytes() const { return maxBytes_; }
    std::size_t cuantas() const { return entradas_.size(); }

private:
    void quitar(const QString& clave);

    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::list<QString> orden_; // most recent first
    struct Entrada {
        QImage img;
        std::list<QString>::iterator pos;
    };
    std::unordered_map<QString, Entrada> entradas_;
};

} // namespace Livora
