#pragma once
#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPalette>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>

class QPainter;
class QWidget;

// Colours, type sizes and the translucent surfaces shared by the workspace widgets.
class QLabel;
class QWidget;

namespace Livora {

QColor colorAcento(const QPalette& p);
// Text colours of decreasing weight: labels, captions, notes.
QColor colorPrimario(const QPalette& p, qreal opacidad = 1.0);
QColor colorSecundario(const QPalette& p);
QColor colorTerciario(const QPalette& p);
QColor colorAmarillo();
QColor colorVerde();
QColor colorNaranja();

// Type sizes relative to the widget's own font.
QFont fuenteCaption(const QFont& base);
// A caption in the secondary colour ("Calidad", "Peso objetivo", "KB").
QLabel* rotulo(const QString& texto, QWidget* padre);
QFont fuenteCaption2(const QFont& base);
QFont fuenteCallout(const QFont& base);
QFont fuenteTitular(const QFont& base);
// Digits of equal width, for numbers that change in place.
QFont conCifrasFijas(QFont f);

// A translucent rounded surface ("glass").
void pintarVidrio(QPainter& p, const QPainterPath& forma);

// A widget whose background is glass, its corners rounded by `radio` points (a capsule
// when none is given); what it holds is laid over it.
class SuperficieVidrio : public QWidget {
public:
    explicit SuperficieVidrio(QWidget* padre, std::optional<double> radio = std::nullopt);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::optional<double> radio_;
};

// The floating caption: bold text on a glass capsule, padded 10 × 5, placed 10 points in
// from the given corner of the area (or centred along its edge with AlignHCenter). Returns
// the capsule's rectangle.
QRectF pintarEtiquetaFlotante(QPainter& p, const QRectF& area, const QString& texto,
                              Qt::Alignment esquina, const QFont& base);

} // namespace Livora
