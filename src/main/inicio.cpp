#include "main/inicio.h"

#include "main/estilo.h"
#include "main/iconos.h"
#include "main/progreso.h"
#include "main/textos.h"
#include "vistas/animacion.h"

#include <QHBoxLayout>
#include <QPainterPath>
#include <QVBoxLayout>

namespace Livora {

TarjetaInicio::TarjetaInicio(std::string simbolo, QString titulo, QString texto,
                             std::vector<std::pair<std::string, QString>> chips, QWidget* padre)
    : QAbstractButton(padre), simbolo_(std::move(simbolo)), titulo_(std::move(titulo)),
      texto_(std::move(texto)), chips_(std::move(chips)) {
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab and pressed with Space; a click does not leave a focus ring.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(titulo_);
    setAccessibleDescription(QString(texto_).replace('\n', ' '));
    setMinimumSize(340, 230);
    anim_ = new QPropertyAnimation(this, "realce", this);
    configurar(anim_, Transicion::MuelleVivo);
}

void TarjetaInicio::focusInEvent(QFocusEvent* e) {
    QAbstractButton::focusInEvent(e);
    update();
}

void TarjetaInicio::setResaltada(bool si) {
    if (si == resaltada_) return;
    resaltada_ = si;
    anim_->stop();
    anim_->setStartValue(realce_);
    anim_->setEndValue(si ? 1.0 : 0.0);
    anim_->start();
}

void TarjetaInicio::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Scale 1.0 → 1.03 around the centre while highlighted.
    const qreal escala = 1.0 + 0.03 * realce_;
    const QRectF base = QRectF(rect()).adjusted(8, 8, -8, -8);
    p.translate(rect().center());
    p.scale(escala, escala);
    p.translate(-rect().center());
    Estilo::pintarCristal(p, base, 22, underMouse() || isDown() ? 0.78 : 0.62);
    if (hasFocus()) {
        p.setPen(QPen(Estilo::acento, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(base.adjusted(1, 1, -1, -1), 21, 21);
    }
    if (realce_ > 0.01) {
        QPen pen(Estilo::acento, 2, Qt::CustomDashLine);
        pen.setDashPattern({4, 3}); // 8 on, 6 off at width 2
        QColor c = Estilo::acento;
        c.setAlphaF(qBound(0.0, realce_, 1.0));
        pen.setColor(c);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(base.adjusted(3, 3, -3, -3), 19, 19);
    }
    const qreal x = base.left() + 24;
    qreal y = base.top() + 24;
    const QPixmap sim = pixmapIcono(simbolo_, Estilo::acento, 30, devicePixelRatioF());
    p.drawPixmap(QPointF(x, y), sim);
    y += 44;
    QFont f = font();
    Estilo::escalar(f, 1.35);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Estilo::texto);
    p.drawText(QRectF(x, y, base.width() - 48, 26), Qt::AlignLeft | Qt::AlignVCenter, titulo_);
    y += 30;
    QFont ft = font();
    p.setFont(ft);
    p.setPen(Estilo::secundario);
    p.drawText(QRectF(x, y, base.width() - 48, 40), Qt::AlignLeft | Qt::AlignTop, texto_);
    y += 50;
    // Capability chips.
    QFont fc = font();
    Estilo::escalar(fc, 0.85);
    p.setFont(fc);
    const QFontMetricsF fm(fc);
    qreal cx = x;
    for (const auto& [s, etiqueta] : chips_) {
        const qreal w = 14 + 4 + fm.horizontalAdvance(etiqueta) + 16;
        if (cx + w > base.right() - 16) {
            cx = x;
            y += 30;
        }
        QRectF chip(cx, y, w, 24);
        QPainterPath cam;
        cam.addRoundedRect(chip, 12, 12);
        p.fillPath(cam, QColor(255, 255, 255, 150));
        p.setPen(QPen(QColor(0, 0, 0, 20), 1));
        p.drawPath(cam);
        p.drawPixmap(QPointF(cx + 8, y + 5),
                     pixmapIcono(s, Estilo::secundario, 14, devicePixelRatioF()));
        p.setPen(Estilo::secundario);
        p.drawText(QRectF(cx + 26, y, w - 30, 24), Qt::AlignLeft | Qt::AlignVCenter, etiqueta);
        cx += w + 6;
    }
}

SimboloRebote::SimboloRebote(std::string simbolo, int lado, QWidget* padre)
    : QWidget(padre), simbolo_(std::move(simbolo)), lado_(lado) {
    // A squash, a stretch past its size, and back: about half a second.
    anim_ = new QVariantAnimation(this);
    anim_->setDuration(560);
    anim_->setStartValue(1.0);
    anim_->setKeyValueAt(0.18, 0.84);
    anim_->setKeyValueAt(0.5, 1.18);
    anim_->setKeyValueAt(0.78, 0.96);
    anim_->setEndValue(1.0);
    anim_->setEasingCurve(QEasingCurve::InOutSine);
    connect(anim_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        escala_ = v.toReal();
        update();
    });
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize SimboloRebote::sizeHint() const {
    return {lado_ * 2, int(lado_ * 1.4)};
}

void SimboloRebote::rebotar() {
    anim_->stop();
    anim_->start();
}

void SimboloRebote::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap px = pixmapIcono(simbolo_, Estilo::acento, lado_, 2);
    p.translate(QRectF(rect()).center());
    p.scale(escala_, escala_);
    p.drawPixmap(QPointF(-lado_ / 2.0, -lado_ / 2.0), px);
}

PantallaInicio::PantallaInicio(QWidget* padre) : QWidget(padre) {
    setObjectName("inicio");
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(40, 40, 40, 40);
    v->setSpacing(10);
    v->addStretch(1);
    simbolo_ = new SimboloRebote("wand.and.sparkles", 40, this);
    v->addWidget(simbolo_);
    auto* titulo = new QLabel("Livora", this);
    titulo->setAlignment(Qt::AlignCenter);
    titulo->setStyleSheet("font-size: 30px; font-weight: 700;");
    v->addWidget(titulo);
    auto* sub = new QLabel("Tu caja de herramientas para imágenes y PDFs", this);
    sub->setAlignment(Qt::AlignCenter);
    sub->setStyleSheet("color: #6e6e73; font-size: 15px;");
    v->addWidget(sub);
    v->addSpacing(18);

    auto* fila = new QHBoxLayout;
    fila->setSpacing(18);
    fila->addStretch(1);
    abrir_ = new TarjetaInicio("square.and.arrow.down.on.square", "Optimizar archivos",
                               "Suelta imágenes o PDFs aquí,\no haz clic para elegirlos",
                               {{"arrow.down.circle", "8 formatos"},
                                {"crop", "Recorte"},
                                {"camera.filters", "Filtros"},
                                {"textformat", "Texto"}},
                               this);
    unir_ = new TarjetaInicio("doc.on.doc", "Unir y organizar PDFs",
                              "Combina PDFs e imágenes,\nreordena, gira y quita páginas",
                              {{"arrow.up.arrow.down", "Ordenar"},
                               {"rotate.right", "Girar"},
                               {"trash", "Quitar"},
                               {"lock", "Proteger"}},
                              this);
    fila->addWidget(abrir_);
    fila->addWidget(unir_);
    fila->addStretch(1);
    v->addLayout(fila);
    v->addSpacing(14);

    progreso_ = new QProgressBar(this);
    progreso_->setRange(0, 0);
    progreso_->setTextVisible(false);
    progreso_->setFixedSize(160, 6);
    v->addWidget(progreso_, 0, Qt::AlignHCenter);
    cancelar_ = new QPushButton("Cancelar", this);
    cancelar_->setFlat(true);
    cancelar_->setCursor(Qt::PointingHandCursor);
    cancelar_->setToolTip("Deja de procesar el PDF");
    cancelar_->setStyleSheet("color: #6e6e73;");
    cancelar_->hide();
    v->addWidget(cancelar_, 0, Qt::AlignHCenter);
    mensaje_ = new QLabel(this);
    mensaje_->setAlignment(Qt::AlignCenter);
    mensaje_->setWordWrap(true);
    mensaje_->setStyleSheet("color: #6e6e73; font-size: 14px;");
    mensaje_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(mensaje_);
    v->addStretch(1);
    progreso_->hide();
    mensaje_->hide();

    connect(abrir_, &QAbstractButton::clicked, this, &PantallaInicio::abrirPulsado);
    connect(unir_, &QAbstractButton::clicked, this, &PantallaInicio::unirPulsado);
    connect(cancelar_, &QAbstractButton::clicked, this, &PantallaInicio::cancelarPulsado);
}

void PantallaInicio::mostrar(const EstadoVentana& e) {
    abrir_->setResaltada(e.arrastrando);
    if (e.arrastrando != arrastrando_) {
        arrastrando_ = e.arrastrando;
        simbolo_->rebotar();
    }
    progreso_->setVisible(e.procesando);
    mostrarProgreso(progreso_, e);
    // Only work that counts its pages can be abandoned halfway.
    cancelar_->setVisible(e.procesando && e.progreso.has_value());
    const std::string avance = e.procesando ? textoProgreso(e) : std::string();
    const bool hayMensaje = !avance.empty() || (!e.procesando && !e.mensaje.empty());
    mensaje_->setVisible(hayMensaje);
    mensaje_->setText(QString::fromStdString(avance.empty() ? e.mensaje : avance));
    if (!hayMensaje) mensaje_->clear();
}

QString PantallaInicio::lineaEstado() const {
    if (progreso_->isVisibleTo(this)) return QStringLiteral("progreso");
    return mensaje_->isVisibleTo(this) ? mensaje_->text() : QString();
}

void PantallaInicio::paintEvent(QPaintEvent*) {
    // The smooth mesh is stretched over the whole screen once per size: every repaint of
    // the progress line would otherwise scale it again.
    const qreal dpr = devicePixelRatioF();
    const QSize px = (QSizeF(size()) * dpr).toSize();
    if (fondo_.size() != px) {
        fondo_ = QPixmap(px);
        fondo_.setDevicePixelRatio(dpr);
        QPainter f(&fondo_);
        Estilo::pintarFondoInicio(f, rect());
    }
    QPainter p(this);
    p.drawPixmap(0, 0, fondo_);
}

} // namespace Livora
