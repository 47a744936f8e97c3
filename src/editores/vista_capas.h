#pragma once
#include "editores/calculo_capas.h"
#include "editores/enlace.h"
#include "editores/lienzo_editor.h"

#include <QImage>
#include <QLineEdit>

#include <optional>
#include <unordered_map>
#include <vector>

namespace Livora {

// The on-image text-layer editor. Each layer is drawn by the engine's own renderer at the
// shown size, so font, size, centring and shadow are what the outputs will carry; while a
// layer is typed into, a text field stands in its place. Reads and writes the window's
// state only through its bindings.
class VistaCapas : public LienzoEditor {
    Q_OBJECT
public:
    explicit VistaCapas(QWidget* padre = nullptr);

    void setEnlaces(Enlace<std::vector<CapaTexto>> capas, Enlace<std::optional<Uuid>> seleccion,
                    Enlace<std::optional<Uuid>> editando);
    // The bound state changed: draw it again, and move the text field where it belongs.
    void refrescar();

    // The field shown while typing (hidden otherwise), and a layer's box in widget points.
    QLineEdit* campo() const { return campo_; }
    std::optional<Uuid> foco() const { return foco_; }
    QRectF cajaEnVista(std::size_t i);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // A layer as the renderer draws it at the shown size, relative to its anchor, in points.
    struct Dibujo {
        QString clave;
        QImage imagen;
        QPointF desplazamiento;
        QSizeF bloque;
    };
    const Dibujo& dibujo(const CapaTexto& c);
    std::vector<RectDoble> cajas();
    void escribirCapa(const CapaTexto& c);
    void colocarCampo();
    void terminarEdicion();

    Enlace<std::vector<CapaTexto>> capas_;
    Enlace<std::optional<Uuid>> seleccion_;
    Enlace<std::optional<Uuid>> editando_;
    std::optional<Uuid> foco_;
    std::unordered_map<Uuid, Dibujo> dibujos_;
    QLineEdit* campo_;

    std::optional<std::size_t> pulsada_;
    Punto inicio_;
    bool arrastrando_ = false;
};

} // namespace Livora
