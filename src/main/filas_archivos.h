#pragma once
#include <QRect>
#include <QStyledItemDelegate>

#include <optional>
#include <vector>

namespace Livora {

// What a row of the file list holds besides its name (display role), its path (tool tip),
// its thumbnail (decoration) and its badges' help (accessible description, one per line).
enum RolFila {
    kRolId = Qt::UserRole,
    kRolFirma,     // what the row shows, to redraw it only when that changes
    kRolSaliendo,  // on its way out
    kRolLinea,     // the size line, with the folder when names repeat
    kRolInsignias, // the badges' symbols (QStringList)
    kRolOpacidad,  // while it fades in or out; absent means opaque
};

inline constexpr int kLadoMiniaturaFila = 34;
inline constexpr int kAltoFila = kLadoMiniaturaFila + 12;

// Where a row's parts go inside the rectangle the list gives it. Badges follow the size
// line's text, whose width is the caller's to measure.
struct GeometriaFila {
    QRect miniatura;
    QRect nombre;
    QRect linea;
    std::vector<QRect> insignias;
};
GeometriaFila geometriaFila(const QRect& celda, int altoNombre, int altoLinea, int anchoLinea,
                            int insignias);

// Draws the rows: one painted cell per record instead of a widget tree per row, so laying out
// and painting a list of hundreds of files costs only the rows on screen.
class DelegadoFilas : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override;
    // A badge's help over the badge, the file's path elsewhere on the row.
    bool helpEvent(QHelpEvent* e, QAbstractItemView* vista, const QStyleOptionViewItem& o,
                   const QModelIndex& i) override;

private:
    GeometriaFila geometria(const QStyleOptionViewItem& o, const QModelIndex& i) const;
};

} // namespace Livora
