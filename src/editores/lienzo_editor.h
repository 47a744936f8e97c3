#pragma once
#include "editores/calculo_recorte.h"
#include "vistas/imagen_qt.h"

#include <QRectF>
#include <QWidget>

namespace Livora {

class ImagenPerezosa;

// What both content-area editors share: the picture fitted and centred in the area left
// by the editor's own controls (`marcoCentrado`), clipped to 16-point rounded corners,
// decoded off the interface thread at the size it is shown.
class LienzoEditor : public QWidget {
    Q_OBJECT
public:
    explicit LienzoEditor(QWidget* padre = nullptr);

    // The picture's pixel size fixes the aspect; `clave` names it, so giving the same
    // picture again keeps what was decoded.
    void setImagen(QSize tamano, ProveedorImagen proveedor, const QString& clave);
    // The shown picture in widget coordinates, and its size.
    QRectF marco() const;
    // The same for the widget at another size.
    QRectF marcoPara(QSize tam) const;
    Tam tamMarco() const;
    // A widget position in the shown picture's points.
    Punto enMarco(QPointF p) const;
    QPointF desdeMarco(Punto p) const;

protected:
    // Space the editor keeps for its own controls along the top and bottom edges.
    void setMargenes(int arriba, int abajo);
    void pintarImagen(QPainter& p) const;
    void resizeEvent(QResizeEvent* e) override;

private:
    void pedir();
    ImagenPerezosa* imagen_;
    QSize tamano_;
    QString clave_;
    int arriba_ = 0, abajo_ = 0;
};

} // namespace Livora
