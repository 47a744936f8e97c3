#pragma once
#include "main/vista_principal.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVariantAnimation>

#include <map>

namespace Livora {

class PantallaInicio;
class BarraLateral;
class PanelDerecho;
class Inspector;

// The main window: start screen while no file is open, otherwise the workspace (sidebar,
// content area, inspector) under the toolbar. It renders VistaPrincipal's state and
// forwards every user action to it.
class VentanaPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit VentanaPrincipal(VistaPrincipal& vista, QWidget* padre = nullptr);

    PantallaInicio* inicio() const { return inicio_; }
    BarraLateral* lateral() const { return lateral_; }
    PanelDerecho* panel() const { return panel_; }
    Inspector* inspector() const { return inspector_; }
    QToolBar* barra() const { return barra_; }
    bool enEspacioTrabajo() const { return pila_->currentWidget() == espacio_; }
    QString subtituloMostrado() const { return subtitulo_->text(); }
    // The toolbar's buttons by label, for the tests and the screenshots.
    QToolButton* boton(const QString& etiqueta) const;
    QStringList etiquetasBarra() const;
    QAction* accionBarraLateral() const { return barraLateral_; }
    // The widgets Tab visits, in order: the toolbar, then the sidebar, the content area and
    // the inspector, each top to bottom and left to right as they are seen.
    QList<QWidget*> ordenTabulacion() const;

Q_SIGNALS:
    void buscarActualizaciones();

protected:
    void changeEvent(QEvent* e) override;
    bool focusNextPrevChild(bool siguiente) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void construirBarra();
    void mostrar();
    void mostrarBarra(const EstadoVentana& e);
    void mostrarColumnas(const EstadoVentana& e);
    void prepararLienzo();
    void calentarFuentes();
    void dibujarEnLienzo(QWidget* pagina);
    QPixmap fotoPagina();
    QAction* accion(const QString& etiqueta, const std::string& simbolo, const QString& ayuda);

    VistaPrincipal& vista_;
    QStackedWidget* pila_;
    PantallaInicio* inicio_;
    QWidget* espacio_;
    BarraLateral* lateral_;
    PanelDerecho* panel_;
    Inspector* inspector_;
    QVariantAnimation* deslizar_;
    QVariantAnimation* deslizarLateral_;
    bool inspectorVisible_ = true;
    bool lateralVisible_ = true;
    int anchoLateral_ = 240;
    QAction* barraLateral_;
    QToolBar* barra_;
    QLabel* titulo_;
    QLabel* subtitulo_;
    std::map<QString, QAction*> acciones_;
    std::map<QString, std::string> simbolos_;
    QAction* progreso_;
    QProgressBar* barraProgreso_;
    QLabel* avance_;
    QAction* accionAvance_;
    QAction* separadorHerr_;
    QAction* atajoGuardar_;
    QAction* atajoLote_;
    QPixmap lienzoFundido_;
    QTimer* prepararLienzo_;
    QTimer* fotografiarInicio_;
    QElapsedTimer fotoInicio_; // valid while the pixmap holds the start screen
    bool inicioCambiado_ = false;
    bool dibujandoLienzo_ = false;
    QList<QFont> fuentesPorCalentar_;
    bool fuentesCalentadas_ = false;
};

} // namespace Livora
