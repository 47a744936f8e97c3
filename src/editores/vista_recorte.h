#pragma once
#include "editores/lienzo_editor.h"

#include <QPushButton>
#include <vector>

namespace Livora {

// The crop editor: over the picture the user draws a selection, resizes it by its corners,
// moves it and may bind it to a ratio; "Recortar" hands it over as fractions of the picture.
// It knows nothing of records: the window turns the fractions into a pixel cut.
class VistaRecorte : public LienzoEditor {
    Q_OBJECT
public:
    explicit VistaRecorte(QWidget* padre = nullptr);

    // A fresh editor: no selection, "Libre", no drag.
    void reiniciar();
    const EstadoRecorte& estado() const { return e_; }
    // The ratio chip at that place of `opcionesProporcion()`.
    void elegirProporcion(std::size_t i);
    QPushButton* chip(std::size_t i) const { return chips_.at(i); }
    QPushButton* botonRecortar() const { return recortar_; }
    QPushButton* botonCancelar() const { return cancelar_; }

Q_SIGNALS:
    void aceptado(const RectFraccion& rect);
    void cancelado();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void aceptar();
    void refrescar();
    EstadoRecorte e_;
    bool pulsado_ = false;
    Punto inicio_;
    QWidget* filaChips_;
    std::vector<QPushButton*> chips_;
    QPushButton* cancelar_;
    QPushButton* recortar_;
};

} // namespace Livora
