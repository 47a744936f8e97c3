#pragma once
#include "vistas/cache_imagenes.h"
#include "vistas/calculo_comparador.h"
#include "vistas/imagen_qt.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;
class QVariantAnimation;

namespace Livora {

class ImagenPerezosa;

// Before/after comparator: both pictures in one frame fitted to the before picture, split
// by a draggable divider, with zoom (buttons, pinch, double click) and pan. The view keeps
// its own divider, zoom and pan; a new identity starts them afresh.
// The fitted pictures of keyed sources stay in a bounded store of previews, so going back
// to a record shows its before/after at once instead of decoding them again.
class Comparador : public QWidget {
    Q_OBJECT
    // What the next paint shows on each side, e.g. "antes=nitida despues=previa".
    Q_PROPERTY(QString pintura READ pintura)
public:
    // Enough for the fitted pictures of 50 records in the default window.
    static constexpr std::size_t bytesPrevias = 128u << 20;

    explicit Comparador(QWidget* parent = nullptr);
    ~Comparador() override;

    void setAntes(const QImage& antes);
    // A before picture decoded on demand; its pixel size fixes the frame's aspect.
    // `clave` names its content for the store of previews (empty: not kept).
    void setAntes(QSize tamano, ProveedorImagen proveedor, const QString& clave = {});
    void setDespues(const QImage& despues);
    // The after picture decoded lazily, at the resolution the current zoom needs.
    void setDespues(ProveedorImagen proveedor, const QString& clave = {});
    void limpiar();

    // Record id + "-" + cropped flag: another identity resets divider, zoom and pan.
    void setIdentidad(const QString& identidad);
    // Divider, zoom and pan back to their initial values.
    void reiniciar();
    QString identidad() const { return identidad_; }

    const EstadoComparador& estado() const { return estado_; }
    QString pintura() const;
    const CacheImagenes& previas() const { return previas_; }
    // Every record closed: their previews go.
    void olvidarPrevias() { previas_.vaciar(); }
    // The frame in widget coordinates.
    QRectF marco() const;

    QSize sizeHint() const override { return {640, 440}; }
    QSize minimumSizeHint() const override { return {160, 120}; }

public Q_SLOTS:
    void acercar();
    void alejar();
    void tamanoReal();
    void alternarLado();

Q_SIGNALS:
    void estadoCambiado();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    // What is drawn; follows the state directly, or through a short animation.
    struct Vista {
        double pos = 0.5;
        double escala = 1;
        Desp despl;
    };

    Tam tam() const;
    QSize tamanoAntes() const;
    void cambiarEstado(const EstadoComparador& nuevo, bool animado);
    void fijarVista(const Vista& v);
    void actualizarBarra();
    void colocarBarra();
    void pedirImagenes();
    void actualizarCursor(QPointF p);
    QRectF franjaDivisor(double pos) const;
    void pintarImagen(QPainter& p, const QImage& img, const QRectF& recorte) const;

    EstadoComparador estado_;
    Vista vista_;
    Vista desde_, hasta_;
    QVariantAnimation* animacion_ = nullptr;
    QString identidad_;
    bool identidadFijada_ = false;

    CacheImagenes previas_{bytesPrevias};
    ImagenPerezosa* antes_ = nullptr;
    ImagenPerezosa* despues_ = nullptr;
    // The identity each side's pictures were set under: another one's are never shown.
    QString duenoAntes_, duenoDespues_;
    QSize tamAntes_;

    bool pulsado_ = false;
    QPointF inicio_;
    double magnificacion_ = 1;

    QWidget* barra_ = nullptr;
    QToolButton* menos_ = nullptr;
    QToolButton* mas_ = nullptr;
    QToolButton* real_ = nullptr;
    QLabel* porcentaje_ = nullptr;
};

} // namespace Livora
