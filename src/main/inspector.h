#pragma once
#include "modelo/estado_ventana.h"
#include "vistas/animacion.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWidget>

namespace Livora {

class VistaPrincipal;
class SeccionesPDF;
class FilaMetadatos;
class FilaObjetivo;
class ControlesPersonalizada;

// One alternative: choice mark, name and detail, size and saving. Click (or Space from
// the keyboard) chooses it; a drag carries its temporary file out of the window.
class FilaVariante : public QFrame {
    Q_OBJECT
public:
    FilaVariante(const Variante& v, const QString& ahorro, bool verde, bool elegida,
                 QWidget* padre);
    const Uuid& id() const { return id_; }
    const Ruta& archivo() const { return archivo_; }
    bool esElegida() const { return elegida_; }
    // The chosen look comes and goes with the change's transition.
    void setElegida(bool si, Transicion t);
    // Takes the row out of the inspector. Choosing a row or a drag out of it can replace
    // every row while the row is still inside its own event handler (a drag even runs a
    // nested event loop): it is then deleted only once that handler has returned.
    void retirar();
    bool retirada() const { return retirada_; }

Q_SIGNALS:
    void elegida(const Uuid& id);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // Marks the row busy for the length of one of its handlers.
    class EnManejador;
    void elegir();
    Uuid id_;
    Ruta archivo_;
    QLabel* marca_;
    QVariantAnimation* anim_;
    qreal resalte_ = 0;
    bool elegida_ = false;
    QPoint inicio_;
    bool arrastre_ = false;
    int ocupada_ = 0;
    bool retirada_ = false;
};

// The inspector column: metadata switch, "Salidas" with the rows and the target size,
// "Personalizada" while that alternative is chosen, PDF sections, and the save buttons
// pinned below.
class Inspector : public QWidget {
    Q_OBJECT
public:
    Inspector(VistaPrincipal& vista, QWidget* padre = nullptr);
    void mostrar(const EstadoVentana& e);
    QPushButton* botonGuardar() const { return guardar_; }
    QPushButton* botonLote() const { return lote_; }
    QList<FilaVariante*> filas() const;
    bool muestraPersonalizada() const { return personalizada_->isVisibleTo(this); }
    FilaMetadatos* filaMetadatos() const { return metadatos_; }
    FilaObjetivo* filaObjetivo() const { return filaObjetivo_; }
    ControlesPersonalizada* controlesPersonalizada() const { return controles_; }

private:
    void reconstruirFilas(const EstadoVentana& e);
    VistaPrincipal& vista_;
    QWidget* formulario_;
    FilaMetadatos* metadatos_;
    QWidget* salidas_;
    QVBoxLayout* filasLayout_;
    FilaObjetivo* filaObjetivo_;
    QWidget* personalizada_;
    ControlesPersonalizada* controles_;
    SeccionesPDF* seccionesPDF_;
    QPushButton* guardar_;
    QPushButton* lote_;
    std::string firma_;
};

} // namespace Livora
