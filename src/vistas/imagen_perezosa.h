#pragma once
#include "vistas/imagen_qt.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QSize>

#include <memory>

namespace Livora {

// A display picture decoded off the interface thread at the size the view needs. The view
// draws whatever is at hand and is told when a better-sized picture arrives; a request
// superseded by a newer one is dropped when it finishes.
class ImagenPerezosa : public QObject {
    Q_OBJECT
public:
    explicit ImagenPerezosa(QObject* parent = nullptr);
    ~ImagenPerezosa() override;

    void fijar(const QImage& img);
    void fijar(ProveedorImagen proveedor);
    void limpiar();
    // Drops a picture left over from the previous source (kept to avoid flashing an
    // empty frame), for when the view moves to something else entirely.
    void soltarAnterior();

    // The best picture available now; null until the first decode arrives.
    const QImage& actual() const { return actual_; }
    // Makes sure a picture about `necesario` pixels big is on its way. Nothing is asked
    // when the current one already fits, or when the source has no more pixels to give.
    void pedir(QSize necesario);
    bool decodificando() const { return vigilante_ != nullptr; }

Q_SIGNALS:
    void cambiada();

private:
    bool basta(QSize necesario) const;
    void terminada(std::uint64_t generacion, QSize pedido, QImage img);

    ProveedorImagen proveedor_;
    QImage actual_;
    QSize pedido_;
    bool completo_ = false; // the source gave less than asked: it has no more pixels
    bool fallida_ = false;
    bool heredada_ = false; // actual_ belongs to the previous source
    std::uint64_t generacion_ = 0;
    std::unique_ptr<QFutureWatcher<QImage>> vigilante_;
};

} // namespace Livora
