#include "editores/vista_recorte.h"

#include "vistas/estilo.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QShortcut>

#include <algorithm>

namespace Livora {

namespace {

constexpr int altoFila = 44;
constexpr int altoBotones = 52;

} // namespace

VistaRecorte::VistaRecorte(QWidget* padre) : LienzoEditor(padre) {
    setMargenes(altoFila, altoBotones);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    filaChips_ = new SuperficieVidrio(this); // the chips' own glass capsule
    auto* fila = new QHBoxLayout(filaChips_);
    fila->setContentsMargins(4, 4, 4, 4);
    fila->setSpacing(2);
    const QColor acento = colorAcento(palette());
    const QString hoja =
        QStringLiteral("QPushButton { border: none; border-radius: 11px; padding: 5px 10px;"
                       " background: transparent; font-weight: 500; }"
                       "QPushButton:checked { background: rgba(%1,%2,%3,217); color: white; }")
            .arg(acento.red())
            .arg(acento.green())
            .arg(acento.blue());
    const auto& opciones = opcionesProporcion();
    for (std::size_t i = 0; i < opciones.size(); ++i) {
        auto* b = new QPushButton(QString::fromUtf8(opciones[i].etiqueta), filaChips_);
        b->setCheckable(true);
        b->setFont(fuenteCaption(font()));
        b->setStyleSheet(hoja);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { elegirProporcion(i); });
        fila->addWidget(b);
        chips_.push_back(b);
    }

    cancelar_ = new QPushButton("Cancelar", this);
    recortar_ = new QPushButton("Recortar", this);
    recortar_->setProperty("prominente", true);
    connect(cancelar_, &QPushButton::clicked, this, [this] { Q_EMIT cancelado(); });
    connect(recortar_, &QPushButton::clicked, this, [this] { aceptar(); });
    // Escape cancels and Return accepts while the editor is shown.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { Q_EMIT cancelado(); });
    for (int tecla : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* ok = new QShortcut(QKeySequence(tecla), this);
        connect(ok, &QShortcut::activated, this, [this] { aceptar(); });
    }
    reiniciar();
}

void VistaRecorte::reiniciar() {
    e_ = EstadoRecorte{};
    pulsado_ = false;
    refrescar();
}

void VistaRecorte::elegirProporcion(std::size_t i) {
    const auto& opciones = opcionesProporcion();
    if (i >= opciones.size()) return;
    Livora::elegirProporcion(e_, opciones[i].valor, tamMarco());
    refrescar();
}

void VistaRecorte::aceptar() {
    if (!recortar_->isEnabled()) return;
    if (auto r = seleccionAceptada(e_, tamMarco())) Q_EMIT aceptado(*r);
}

void VistaRecorte::refrescar() {
    const auto& opciones = opcionesProporcion();
    for (std::size_t i = 0; i < chips_.size(); ++i)
        chips_[i]->setChecked(opciones[i].valor == e_.ratio);
    recortar_->setEnabled(e_.sel.has_value());
    update();
}

void VistaRecorte::resizeEvent(QResizeEvent* ev) {
    // The selection lives in points of the shown picture: keep it where it was on the
    // picture when the frame changes size.
    LienzoEditor::resizeEvent(ev);
    const QRectF antes = marcoPara(ev->oldSize());
    const Tam ahora = tamMarco();
    if (e_.sel && antes.width() > 0 && antes.height() > 0) {
        const double fx = ahora.ancho / antes.width(), fy = ahora.alto / antes.height();
        RectDoble& s = *e_.sel;
        s = {s.x * fx, s.y * fy, s.ancho * fx, s.alto * fy};
    }
    const QSize chips = filaChips_->sizeHint();
    filaChips_->setGeometry((width() - chips.width()) / 2, (altoFila - chips.height()) / 2,
                            chips.width(), chips.height());
    const QSize bc = cancelar_->sizeHint(), br = recortar_->sizeHint();
    const int y = height() - altoBotones + (altoBotones - bc.height()) / 2;
    const int total = bc.width() + 12 + br.width();
    cancelar_->setGeometry((width() - total) / 2, y, bc.width(), bc.height());
    recortar_->setGeometry((width() - total) / 2 + bc.width() + 12, y, br.width(), br.height());
}

void VistaRecorte::mousePressEvent(QMouseEvent* ev) {
    if (ev->button() != Qt::LeftButton) return;
    const QRectF m = marco();
    // Handles at the picture's edges may be grabbed a little outside it.
    if (m.isEmpty() || !m.adjusted(-radioEsquinaRecorte, -radioEsquinaRecorte, radioEsquinaRecorte,
                                   radioEsquinaRecorte)
                            .contains(ev->position()))
        return;
    setFocus(Qt::MouseFocusReason);
    pulsado_ = true;
    const Tam t = tamMarco();
    const Punto p = enMarco(ev->position());
    inicio_ = {std::clamp(p.x, 0.0, t.ancho), std::clamp(p.y, 0.0, t.alto)};
    // A drag starts at no movement at all: a plain click already draws (an empty) selection.
    cambioArrastreRecorte(e_, t, inicio_, inicio_);
    refrescar();
}

void VistaRecorte::mouseMoveEvent(QMouseEvent* ev) {
    if (!pulsado_) return;
    cambioArrastreRecorte(e_, tamMarco(), inicio_, enMarco(ev->position()));
    refrescar();
}

void VistaRecorte::mouseReleaseEvent(QMouseEvent* ev) {
    if (!pulsado_ || ev->button() != Qt::LeftButton) return;
    pulsado_ = false;
    finArrastreRecorte(e_);
    refrescar();
}

void VistaRecorte::paintEvent(QPaintEvent*) {
    QPainter p(this);
    pintarImagen(p);
    if (!e_.sel) return;
    const QRectF m = marco();
    const RectDoble& s = *e_.sel;
    const QRectF sel(m.left() + s.x, m.top() + s.y, s.ancho, s.alto);
    p.setRenderHint(QPainter::Antialiasing);
    {
        p.save();
        QPainterPath forma;
        forma.addRoundedRect(m, radioEsquinasEditor, radioEsquinasEditor);
        p.setClipPath(forma);
        // Everything but the selection is veiled.
        QPainterPath agujero;
        agujero.setFillRule(Qt::OddEvenFill);
        agujero.addRect(m);
        agujero.addRect(sel);
        p.fillPath(agujero, QColor(0, 0, 0, qRound(0.55 * 255)));
        p.restore();
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, qRound(0.35 * 255)), 0.5));
    for (int k = 1; k <= 2; ++k) {
        const double x = sel.left() + sel.width() * k / 3, y = sel.top() + sel.height() * k / 3;
        p.drawLine(QPointF(x, sel.top()), QPointF(x, sel.bottom()));
        p.drawLine(QPointF(sel.left(), y), QPointF(sel.right(), y));
    }
    p.setPen(QPen(Qt::white, 1.5));
    p.drawRect(sel);
    p.setPen(QPen(QColor(0, 0, 0, qRound(0.35 * 255)), 0.5));
    p.setBrush(Qt::white);
    for (int i = 0; i < 4; ++i) {
        const Punto c = esquina(i, s);
        p.drawEllipse(desdeMarco(c), 5.5, 5.5);
    }
}

} // namespace Livora
