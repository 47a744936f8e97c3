#pragma once
#include "modelo/estado_ventana.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QWidget>

namespace Livora {

class VistaPrincipal;
class BannerAviso;

// What the content area shows, by the first rule that holds.
enum class Contenido { Organizador, Texto, Recorte, Comparacion, Vacio };
Contenido contenidoPara(const EstadoVentana& e);

// Before and after side by side on one canvas, split at a draggable divider.
class ComparacionSimple : public QWidget {
    Q_OBJECT
public:
    explicit ComparacionSimple(QWidget* padre = nullptr);
    void setImagenes(const QImage& antes, const QImage& despues);
    // Starts afresh (divider centred) when the identity changes.
    void setIdentidad(const QString& id);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QImage antes_, despues_;
    QString id_;
    qreal divisor_ = 0.5;
};

// The size pill under the comparison: original → output and the saving capsule.
class PastillaPeso : public QWidget {
    Q_OBJECT
public:
    explicit PastillaPeso(QWidget* padre = nullptr);
    void setValores(std::int64_t original, std::int64_t bytes, const QString& ahorro);
    QString textoAhorro() const { return ahorro_; }
    bool esVerde() const { return verde_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString original_, salida_, ahorro_;
    bool verde_ = false;
};

class PanelDerecho : public QWidget {
    Q_OBJECT
public:
    PanelDerecho(VistaPrincipal& vista, QWidget* padre = nullptr);
    void mostrar(const EstadoVentana& e);
    Contenido contenido() const { return contenido_; }
    BannerAviso* aviso() const { return aviso_; }
    PastillaPeso* pastilla() const { return pastilla_; }
    QLabel* etiquetaVacio() const { return vacioTitulo_; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    QWidget* paginaModo(const QString& titulo, const QString& nota, QLabel** etiqueta,
                        QPushButton** listo, QPushButton** volver);
    VistaPrincipal& vista_;
    QStackedLayout* pila_;
    QWidget* comparacion_;
    ComparacionSimple* comparador_;
    PastillaPeso* pastilla_;
    QPushButton* deshacerRecorte_;
    QWidget* filtros_;
    QWidget* vacio_;
    QLabel* vacioTitulo_;
    QWidget* modoTexto_;
    QWidget* modoRecorte_;
    QWidget* modoPaginas_;
    BannerAviso* aviso_;
    Contenido contenido_ = Contenido::Vacio;
};

} // namespace Livora
