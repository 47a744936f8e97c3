#pragma once
#include "organizador/modelo_paginas.h"
#include "organizador/rejilla.h"
#include "vistas/muelle.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <unordered_map>
#include <vector>

namespace Livora {

class MiniaturasOrganizador;

// The organiser's grid over a ModeloPaginas: adaptive columns, each page's thumbnail in a
// frame turned by its rotation, a progress indicator while the thumbnail is missing, the
// page number, the selection and the dragged page at 35 % opacity. Cells glide to their new
// places after an edit and turn with a spring. Only what the user does is reported; the
// organiser decides.
class RejillaPaginas : public QAbstractItemView {
    Q_OBJECT
public:
    // The type a dragged page travels as, besides its identifier as plain text.
    static constexpr const char* tipoPagina = "application/x-livora-pagina";

    RejillaPaginas(MiniaturasOrganizador& miniaturas, QWidget* padre = nullptr);

    void setModel(QAbstractItemModel* modelo) override;
    // Thumbnail width in points.
    void setTamano(double tamano);
    double tamano() const { return rejilla_.tamano; }
    // The list changed: cells move to their new places with this spring.
    void animarCambio(const Muelle& muelle);
    const Rejilla& rejilla() const { return rejilla_; }
    // Where cell `fila` is drawn now, in viewport coordinates (its target once settled).
    QRectF marcoVisible(int fila) const;
    bool animando() const { return tic_.isActive(); }

    QRect visualRect(const QModelIndex& indice) const override;
    void scrollTo(const QModelIndex& indice, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& punto) const override;

Q_SIGNALS:
    void pulsada(int fila, bool comando, bool mayusculas);
    void arrastreEmpezado(int fila);
    void arrastreSobre(int fila);
    void arrastreTerminado();
    void menuPedido(int fila, const QPoint& global);
    void archivosSoltados(const QList<QUrl>& urls);
    void pintada();

protected:
    QModelIndex moveCursor(CursorAction, Qt::KeyboardModifiers) override { return {}; }
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect&, QItemSelectionModel::SelectionFlags) override {}
    QRegion visualRegionForSelection(const QItemSelection&) const override { return {}; }
    void updateGeometries() override;
    void reset() override;

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void startDrag(Qt::DropActions acciones) override;

private:
    struct Celda {
        MuelleEnCurso x, y, giro;
    };
    // A thumbnail scaled and turned to exactly what its cell shows, so painting is a plain
    // copy; remade when the picture, the size or the turn changes.
    struct Preparada {
        qint64 fuente = 0;
        QSize tamano;
        int cuartos = 0;
        QImage imagen;
        std::uint64_t cuadro = 0;
    };
    ModeloPaginas* modelo() const;
    void recolocar(bool animar, const Muelle& muelle);
    void avanzar();
    void seguirArrastre(QPoint punto);
    void desplazarArrastre();
    int ladoMiniatura() const;
    void pintarCelda(QPainter& p, int fila, const QRectF& marco);
    const QImage& preparada(const Uuid& id, const QImage& img, QSize tamano, int cuartos);
    void llegada(const QString& clave);

    MiniaturasOrganizador& miniaturas_;
    Rejilla rejilla_;
    std::unordered_map<Uuid, Celda> celdas_;
    std::unordered_map<Uuid, Preparada> preparadas_;
    std::uint64_t cuadro_ = 0;
    QTimer tic_;
    QElapsedTimer reloj_;
    qint64 ultimoTic_ = 0;
    std::vector<QRect> esperando_; // frames showing a progress indicator
    int presionada_ = -1;
    QPoint puntoPresion_;
    bool arrastrando_ = false;
    QPoint puntoArrastre_;
    QTimer desplazamiento_; // scrolls while a dragged page nears the top or bottom edge
    Muelle muelleCambio_ = muelleVivo;
};

} // namespace Livora
