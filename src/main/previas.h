#pragma once
#include "modelo/modelo.h"
#include "vistas/cache_imagenes.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <set>

namespace Livora {

// A decoded picture as a display image; null when it cannot be converted.
QImage aQImage(vips::VImage img);
// The picture in a file, shrunk to fit `maxLado` (never enlarged, orientation applied).
QImage previaDeArchivo(const Ruta& archivo, int maxLado);

// Display images decoded on demand on the thread pool and kept in a least-recently-used
// cache bounded in bytes, so open files never hold every alternative's full pixels.
class CachePrevias : public QObject {
    Q_OBJECT
public:
    explicit CachePrevias(std::size_t maxBytes = 96u << 20);
    ~CachePrevias() override;
    static CachePrevias& global();

    // The cached picture for `clave`, or a null image while `producir` runs in the
    // background; `lista` is emitted when it arrives.
    QImage pedir(const QString& clave, std::function<QImage()> producir);
    QImage deFuente(const QString& id, const ImagenFuente& fuente, int maxLado);
    std::size_t bytes() const { return imagenes_.bytes(); }

Q_SIGNALS:
    void lista(const QString& clave);

private:
    CacheImagenes imagenes_;
    std::set<QString> pendientes_;
    // Its own workers, so previews never queue behind long intake jobs.
    QThreadPool hilos_;
};

} // namespace Livora
