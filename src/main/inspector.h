#pragma once
#include "modelo/estado_ventana.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace Livora {

class VistaPrincipal;
class SeccionesPDF;
class FilaMetadatos;
class FilaObjetivo;
class ControlesPersonalizada;

// One alternative: choice mark, name and detail, size and saving. Click chooses it; a
// drag carries its temporary file out of the window.
class FilaVariante : public QFrame {
    Q_OBJECT
public:
    FilaVariante(const Variante& v, const QString& ahorro, bool verde, bool elegida,
                 QWidget* padre);
    const Uuid& id() const { return id_; }
    const Ruta& archivo() const { return archivo_; }

Q_SIGNALS:
    void elegida(const Uuid& id);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Uuid id_;
    Ruta archivo_;
    QPoint inicio_;
    bool arrastre_ = false;
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
