#pragma once
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QRectF>

namespace Livora::Estilo {

// The calm palette: one accent, two greys for secondary text, and the saving colours.
inline const QColor acento{0x4f, 0x6b, 0xed};
inline const QColor texto{0x1d, 0x1d, 0x1f};
inline const QColor secundario{0x6e, 0x6e, 0x73};
inline const QColor terciario{0xae, 0xae, 0xb2};
inline const QColor verde{0x24, 0x9a, 0x4a};
inline const QColor naranja{0xe0, 0x7a, 0x10};
inline const QColor amarillo{0xd4, 0xa0, 0x0a};

// A translucent rounded panel with a hairline edge, the window's "glass".
void pintarCristal(QPainter& p, const QRectF& r, qreal radio, qreal opacidad = 0.62);
// The start screen's 3 × 3 mesh gradient over the whole rectangle.
void pintarFondoInicio(QPainter& p, const QRectF& r);
// Grows or shrinks a font whether it is sized in points or (from the style sheet) pixels.
void escalar(QFont& f, double factor);
// The inspector's section title and its white rounded card.
QLabel* tituloSeccion(const QString& texto, QWidget* padre);
QFrame* tarjeta(QWidget* padre);
// Every font the widgets under `raiz` use, and the roles and weights the custom painters
// derive from them, once: a font's first use loads its face and shaping tables (tens of
// milliseconds for a screenful), which a warm-up pays while nothing else happens.
QList<QFont> fuentesDe(QWidget* raiz);
void calentarFuente(const QFont& f, QPaintDevice* como);
// The application's style sheet.
QString hojaEstilo();

} // namespace Livora::Estilo
