#pragma once
#include "vistas/imagen_qt.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

namespace Livora {

class CacheImagenes;

// A display picture decoded off the interface thread at the size the view needs. The view
// draws whatever is at hand and is told when a better-sized picture arrives; a request
// superseded by a newer one is dropped when it finishes. The fitted picture is kept beside
// a zoomed-in one, so zooming back out never has to shrink a full-size picture on the
// interface thread.
// With a store of previews, the fitted picture of each keyed source is kept there (no
// larger than `ladoPrevia`), so coming back to that source shows it at once while a
// sharper decode, when one is needed, runs in the background.
class ImagenPerezosa : public QObject {
    Q_OBJECT
public:
    // What the view has to draw for the current source.
    enum class Calidad {
        Vacia,    // nothing yet
        Anterior, // the previous source's picture, kept until the new one arrives
        Previa,   // this source's, while a sharper one is being decoded
        Nitida,   // this source's, as sharp as the view asked
    };
    static constexpr int ladoPrevia = 1280;

    explicit ImagenPerezosa(QObject* parent = nullptr, CacheImagenes* previas = nullptr);
    ~ImagenPerezosa() override;

    void fijar(const QImage& img);
    // `clave` names the source's content for the store of previews (empty: not kept).
    // Without `heredar` the previous pictures go at once: they belong to something else.
    void fijar(ProveedorImagen proveedor, const QString& clave = {}, bool heredar = true);
    void limpiar();
    // Drops pictures left over from the previous source (kept to avoid flashing an
    // empty frame), for when the view moves to something else entirely.
    void soltarAnterior();

    // The best picture at hand for the last size asked; null until a decode arrives.
    const QImage& actual() const { return actual_; }
    // Picks the best picture at hand for about `necesario` pixels and, when none fits and
    // the source has more to give, decodes one in the background.
    void pedir(QSize necesario);
    bool decodificando() const { return vigilante_ != nullptr; }
    Calidad calidad() const;

Q_SIGNALS:
    void cambiada();

private:
    void elegir(QSize necesario);
    void guardar(QImage img);
    struct Decodificada {
        QImage img;
        QImage previa; // the same, shrunk to the store's limit when larger
    };
    void terminada(std::uint64_t generacion, QSize pedido, Decodificada d);

    CacheImagenes* previas_;
    QString clave_;
    ProveedorImagen proveedor_;
    std::vector<QImage> imagenes_; // by increasing width; at most two
    QImage actual_;
    QSize ultimo_;          // last size asked by the view
    QSize pedido_;          // size of the decode in flight or last finished
    bool completo_ = false; // the source gave less than asked: it has no more pixels
    bool fallida_ = false;
    bool heredadas_ = false; // imagenes_ belong to the previous source
    std::uint64_t generacion_ = 0;
    std::unique_ptr<QFutureWatcher<Decodificada>> vigilante_;
};

} // namespace Livora
