#include "main/filas_archivos.h"

#include "main/estilo.h"
#include "main/iconos.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QtMath>

#include <algorithm>

namespace Livora {

namespace {

const int kMargenX = 6 + 8; // the item's margin in the style sheet, then the row's padding
const int kMargenY = 1 + 5;
const int kSeparacion = 9;
const int kLadoInsignia = 12;
const int kEntreInsignias = 4;

QFont fuenteLinea(QFont f) {
    f.setPixelSize(11);
    return f;
}

} // namespace

GeometriaFila geometriaFila(const QRect& celda, int altoNombre, int altoLinea, int anchoLinea,
                            int insignias) {
    // Laid out as for a full-height row and clipped by the caller, so a row growing in
    // uncovers its content from the top.
    GeometriaFila g;
    const int arriba = celda.top() + kMargenY;
    g.miniatura = QRect(celda.left() + kMargenX, arriba, kLadoMiniaturaFila, kLadoMiniaturaFila);
    const int x = g.miniatura.right() + 1 + kSeparacion;
    const int ancho = std::max(0, celda.right() - kMargenX - x + 1);
    const int bloque = altoNombre + 1 + altoLinea;
    const int y = arriba + (kLadoMiniaturaFila - bloque) / 2;
    g.nombre = QRect(x, y, ancho, altoNombre);
    const int paraInsignias = insignias * (kEntreInsignias + kLadoInsignia);
    g.linea = QRect(x, y + altoNombre + 1,
                    std::clamp(anchoLinea, 0, std::max(0, ancho - paraInsignias)), altoLinea);
    int xi = g.linea.right() + 1;
    for (int k = 0; k < insignias; ++k) {
        xi += kEntreInsignias;
        g.insignias.emplace_back(xi, g.linea.center().y() - kLadoInsignia / 2 + 1, kLadoInsignia,
                                 kLadoInsignia);
        xi += kLadoInsignia;
    }
    return g;
}

GeometriaFila DelegadoFilas::geometria(const QStyleOptionViewItem& o, const QModelIndex& i) const {
    const QFontMetrics nombre(o.font);
    const QFontMetricsF linea(fuenteLinea(o.font));
    // Rounded up: a width rounded down would have the text elided by a fraction of a pixel.
    return geometriaFila(o.rect, nombre.height(), qCeil(linea.height()),
                         qCeil(linea.horizontalAdvance(i.data(kRolLinea).toString())),
                         int(i.data(kRolInsignias).toStringList().size()));
}

void DelegadoFilas::paint(QPainter* p, const QStyleOptionViewItem& opcion,
                          const QModelIndex& i) const {
    p->save();
    p->setClipRect(opcion.rect);
    if (const QVariant o = i.data(kRolOpacidad); o.isValid()) p->setOpacity(o.toReal());

    // The style sheet's selection and hover backgrounds, without the stock text and icon.
    QStyleOptionViewItem fondo = opcion;
    initStyleOption(&fondo, i);
    fondo.text.clear();
    fondo.icon = QIcon();
    fondo.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
    fondo.state &= ~QStyle::State_HasFocus;
    const QWidget* w = opcion.widget;
    (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &fondo, p, w);

    const GeometriaFila g = geometria(opcion, i);
    const QPixmap mini = i.data(Qt::DecorationRole).value<QPixmap>();
    if (!mini.isNull()) {
        QRectF donde(QPointF(), mini.deviceIndependentSize());
        donde.moveCenter(QRectF(g.miniatura).center());
        p->drawPixmap(donde.topLeft(), mini);
    }
    p->setFont(opcion.font);
    p->setPen(Estilo::texto);
    const QFontMetrics fm(opcion.font);
    p->drawText(
        g.nombre, Qt::AlignLeft | Qt::AlignVCenter,
        fm.elidedText(i.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, g.nombre.width()));
    const QFont fl = fuenteLinea(opcion.font);
    p->setFont(fl);
    p->setPen(Estilo::secundario);
    p->drawText(
        g.linea, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(fl).elidedText(i.data(kRolLinea).toString(), Qt::ElideRight, g.linea.width()));
    const QStringList simbolos = i.data(kRolInsignias).toStringList();
    const qreal dpr = p->device()->devicePixelRatioF();
    for (std::size_t k = 0; k < g.insignias.size(); ++k)
        p->drawPixmap(g.insignias[k].topLeft(), pixmapIcono(simbolos[int(k)].toStdString(),
                                                            Estilo::acento, kLadoInsignia, dpr));
    p->restore();
}

bool DelegadoFilas::helpEvent(QHelpEvent* e, QAbstractItemView* vista,
                              const QStyleOptionViewItem& o, const QModelIndex& i) {
    if (e->type() == QEvent::ToolTip) {
        const GeometriaFila g = geometria(o, i);
        const QStringList ayudas =
            i.data(Qt::AccessibleDescriptionRole).toString().split('\n', Qt::SkipEmptyParts);
        for (std::size_t k = 0; k < g.insignias.size() && int(k) < ayudas.size(); ++k)
            if (g.insignias[k].contains(e->pos())) {
                QToolTip::showText(e->globalPos(), ayudas[int(k)], vista->viewport(),
                                   g.insignias[k]);
                return true;
            }
    }
    return QStyledItemDelegate::helpEvent(e, vista, o, i);
}

} // namespace Livora
