#pragma once
#include "modelo/estado_ventana.h"
#include "vistas/animacion.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVariantAnimation>
#include <QWidget>

namespace Livora {

class VistaPrincipal;
class BannerAviso;
class Comparador;
class OrganizadorPaginas;
class PanelFiltros;
class VistaCapas;
class PanelCapas;
class VistaRecorte;
class SelectorEmoji;

// What the content area shows, by the first rule that holds.
enum class Contenido { Organizador, Texto, Recorte, Comparacion, Vacio };
Contenido contenidoPara(const EstadoVentana& e);

// The size pill under the comparison: original → output and the saving capsule. A new
// output size rolls in over the old one while the capsule springs to its new width.
class PastillaPeso : public QWidget {
    Q_OBJECT
public:
    explicit PastillaPeso(QWidget* padre = nullptr);
    void setValores(std::int64_t original, std::int64_t bytes, const QString& ahorro,
                    Transicion t = Transicion::Muelle);
    QString textoAhorro() const { return ahorro_; }
    QString textoSalida() const { return salida_; }
    bool esVerde() const { return verde_; }
    bool cambiando() const { return anim_->state() == QAbstractAnimation::Running; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    qreal anchoPara(const QString& salida, const QString& ahorro) const;
    QString original_, salida_, ahorro_;
    QString salidaAntes_, ahorroAntes_;
    bool verde_ = false;
    qreal avance_ = 1;
    QVariantAnimation* anim_;
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
    Comparador* comparador() const { return comparador_; }
    PanelFiltros* panelFiltros() const { return filtros_; }
    // The page organiser while it is open, built afresh for each opening.
    OrganizadorPaginas* organizador() const { return organizador_; }
    VistaCapas* vistaCapas() const { return capas_; }
    PanelCapas* panelCapas() const { return panelCapas_; }
    VistaRecorte* vistaRecorte() const { return recorte_; }
    SelectorEmoji* selectorEmoji() const { return selector_; }
    QPushButton* botonListo() const { return listo_; }
    QPushButton* botonDeshacerRecorte() const { return deshacerRecorte_; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    // The editors' pages and what they show of the window state.
    QWidget* paginaTexto();
    QWidget* paginaRecorte();
    void mostrarTexto(const EstadoVentana& e);
    void mostrarRecorte(const EstadoVentana& e, bool entrando);
    QWidget* paginaModo(const QString& titulo, const QString& nota, QLabel** etiqueta,
                        QPushButton** listo, QPushButton** volver);
    VistaPrincipal& vista_;
    QStackedLayout* pila_;
    QWidget* comparacion_;
    Comparador* comparador_;
    PastillaPeso* pastilla_;
    QPushButton* deshacerRecorte_;
    PanelFiltros* filtros_;
    QWidget* vacio_;
    QLabel* vacioTitulo_;
    QWidget* modoTexto_;
    QWidget* modoRecorte_;
    OrganizadorPaginas* organizador_ = nullptr;
    VistaCapas* capas_ = nullptr;
    PanelCapas* panelCapas_ = nullptr;
    VistaRecorte* recorte_ = nullptr;
    SelectorEmoji* selector_ = nullptr;
    QPushButton* listo_ = nullptr;
    BannerAviso* aviso_;
    Contenido contenido_ = Contenido::Vacio;
    // What the comparator and the filter panel were last given, so a state change that
    // leaves them alone does not convert or decode the pictures again.
    QString claveAntes_, claveDespues_, claveMiniaturas_;
};

} // namespace Livora
