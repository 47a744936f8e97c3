#include "vistas/comparador.h"

#include "vistas/estilo.h"
#include "vistas/imagen_perezosa.h"
#include "vistas/simbolos.h"

#include <QEasingCurve>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QToolButton>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace Livora {

namespace {

constexpr double radioEsquinas = 16;
constexpr double radioAsa = 15;
// Half-width of the strip repainted around the divider: the handle plus its outline.
constexpr double medioFranja = radioAsa + 3;

QToolButton* botonBarra(QWidget* padre, const QString& simboloNombre, const QString& nombre) {
    auto* b = new QToolButton(padre);
    b->setAutoRaise(true);
    b->setIcon(simbolo(simboloNombre, QColor(30, 30, 34)));
    b->setIconSize({16, 16});
    b->setFocusPolicy(Qt::NoFocus);
    b->setObjectName(nombre);
    b->setAccessibleName(nombre);
    b->setCursor(Qt::ArrowCursor);
    return b;
}

// The drawing buckets of the zoom: the decode is asked at 1×, 2×, 4× or 8× the frame, so
// zooming step by step does not decode again at every step.
double cubetaZoom(double escala) {
    if (escala <= 1) return 1;
    if (escala <= 2) return 2;
    if (escala <= 4) return 4;
    return 8;
}

} // namespace

Comparador::Comparador(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_AcceptTouchEvents, false);
    setAccessibleName(QStringLiteral("Comparador antes / después"));

    antes_ = new ImagenPerezosa(this, &previas_);
    despues_ = new ImagenPerezosa(this, &previas_);
    connect(antes_, &ImagenPerezosa::cambiada, this, [this] { update(); });
    connect(despues_, &ImagenPerezosa::cambiada, this, [this] { update(); });

    animacion_ = new QVariantAnimation(this);
    animacion_->setStartValue(0.0);
    animacion_->setEndValue(1.0);
    // A critically damped 0.3 s spring settles like an ease-out of the same length.
    animacion_->setDuration(300);
    animacion_->setEasingCurve(QEasingCurve::OutCubic);
    connect(animacion_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        const double t = v.toDouble();
        Vista x;
        x.pos = desde_.pos + (hasta_.pos - desde_.pos) * t;
        x.escala = desde_.escala + (hasta_.escala - desde_.escala) * t;
        x.despl = {desde_.despl.x + (hasta_.despl.x - desde_.despl.x) * t,
                   desde_.despl.y + (hasta_.despl.y - desde_.despl.y) * t};
        fijarVista(x);
    });

    barra_ = new SuperficieVidrio(this, 10); // behind the zoom buttons
    barra_->setObjectName(QStringLiteral("barraZoom"));
    auto* fila = new QHBoxLayout(barra_);
    fila->setContentsMargins(10, 6, 10, 6);
    fila->setSpacing(4);
    menos_ = botonBarra(barra_, QStringLiteral("minus.magnifyingglass"), QStringLiteral("alejar"));
    porcentaje_ = new QLabel(barra_);
    porcentaje_->setObjectName(QStringLiteral("porcentajeZoom"));
    porcentaje_->setFont(conCifrasFijas(fuenteCaption(font())));
    porcentaje_->setFixedWidth(44);
    porcentaje_->setAlignment(Qt::AlignCenter);
    porcentaje_->setStyleSheet(QStringLiteral("color: #1e1e22;"));
    mas_ = botonBarra(barra_, QStringLiteral("plus.magnifyingglass"), QStringLiteral("acercar"));
    real_ =
        botonBarra(barra_, QStringLiteral("arrow.counterclockwise"), QStringLiteral("tamanoReal"));
    real_->setToolTip(QStringLiteral("Tamaño real"));
    fila->addWidget(menos_);
    fila->addWidget(porcentaje_);
    fila->addWidget(mas_);
    fila->addWidget(real_);
    connect(menos_, &QToolButton::clicked, this, &Comparador::alejar);
    connect(mas_, &QToolButton::clicked, this, &Comparador::acercar);
    connect(real_, &QToolButton::clicked, this, &Comparador::tamanoReal);

    // Space anywhere in the window flips the divider; text fields keep their spaces
    // because they claim printable keys before shortcuts.
    auto* espacio = new QShortcut(QKeySequence(Qt::Key_Space), this);
    espacio->setContext(Qt::WindowShortcut);
    connect(espacio, &QShortcut::activated, this, &Comparador::alternarLado);

    actualizarBarra();
}

Comparador::~Comparador() = default;

void Comparador::setAntes(const QImage& antes) {
    const bool cambiaMarco = antes.size() != tamAntes_;
    tamAntes_ = antes.size();
    antes_->fijar(antes);
    duenoAntes_ = identidad_;
    if (cambiaMarco) colocarBarra();
    pedirImagenes();
    update();
}

void Comparador::setAntes(QSize tamano, ProveedorImagen proveedor, const QString& clave) {
    const bool cambiaMarco = tamano != tamAntes_;
    tamAntes_ = tamano;
    // Set after a new identity (as a switch of records does), the previous record's
    // picture must not stay on screen while this one decodes.
    antes_->fijar(std::move(proveedor), clave, duenoAntes_ == identidad_);
    duenoAntes_ = identidad_;
    if (cambiaMarco) colocarBarra();
    pedirImagenes();
    update();
}

void Comparador::setDespues(const QImage& despues) {
    despues_->fijar(despues);
    duenoDespues_ = identidad_;
    pedirImagenes();
    update();
}

void Comparador::setDespues(ProveedorImagen proveedor, const QString& clave) {
    despues_->fijar(std::move(proveedor), clave, duenoDespues_ == identidad_);
    duenoDespues_ = identidad_;
    pedirImagenes();
    update();
}

void Comparador::limpiar() {
    antes_->limpiar();
    despues_->limpiar();
    tamAntes_ = QSize();
    colocarBarra();
    update();
}

void Comparador::setIdentidad(const QString& identidad) {
    if (identidadFijada_ && identidad == identidad_) return;
    identidadFijada_ = true;
    identidad_ = identidad;
    // Another record or another crop: leftovers of the previous pictures must not show.
    antes_->soltarAnterior();
    despues_->soltarAnterior();
    update();
    cambiarEstado(EstadoComparador{}, false);
}

void Comparador::reiniciar() {
    cambiarEstado(EstadoComparador{}, false);
}

QString Comparador::pintura() const {
    auto texto = [](ImagenPerezosa::Calidad c) {
        switch (c) {
        case ImagenPerezosa::Calidad::Vacia:
            return QStringLiteral("vacia");
        case ImagenPerezosa::Calidad::Anterior:
            return QStringLiteral("anterior");
        case ImagenPerezosa::Calidad::Previa:
            return QStringLiteral("previa");
        case ImagenPerezosa::Calidad::Nitida:
            break;
        }
        return QStringLiteral("nitida");
    };
    return QStringLiteral("antes=%1 despues=%2")
        .arg(texto(antes_->calidad()), texto(despues_->calidad()));
}

QRectF Comparador::marco() const {
    const RectDoble r = marcoCentrado({double(tamAntes_.width()), double(tamAntes_.height())},
                                      {0, 0, double(width()), double(height())});
    return {r.x, r.y, r.ancho, r.alto};
}

Tam Comparador::tam() const {
    const QRectF m = marco();
    return {m.width(), m.height()};
}

void Comparador::acercar() {
    EstadoComparador e = estado_;
    Livora::acercar(e, tam());
    cambiarEstado(e, true);
}

void Comparador::alejar() {
    EstadoComparador e = estado_;
    Livora::alejar(e, tam());
    cambiarEstado(e, true);
}

void Comparador::tamanoReal() {
    EstadoComparador e = estado_;
    fijarZoom(e, 1, tam());
    cambiarEstado(e, true);
}

void Comparador::alternarLado() {
    EstadoComparador e = estado_;
    Livora::alternarLado(e);
    cambiarEstado(e, true);
}

void Comparador::cambiarEstado(const EstadoComparador& nuevo, bool animado) {
    estado_ = nuevo;
    const Vista destino{estado_.pos, estado_.escala, estado_.despl};
    if (animado && isVisible()) {
        desde_ = vista_;
        hasta_ = destino;
        animacion_->stop();
        animacion_->start();
    } else {
        animacion_->stop();
        fijarVista(destino);
    }
    actualizarBarra();
    pedirImagenes();
    Q_EMIT estadoCambiado();
}

QRectF Comparador::franjaDivisor(double pos) const {
    const QRectF m = marco();
    const double x = m.left() + m.width() * pos;
    return {x - medioFranja, m.top(), 2 * medioFranja, m.height()};
}

void Comparador::fijarVista(const Vista& v) {
    const bool soloDivisor = v.escala == vista_.escala && v.despl == vista_.despl;
    const double antes = vista_.pos;
    vista_ = v;
    if (soloDivisor) {
        if (antes == v.pos) return;
        // Only the strip swept by the divider changes.
        update(franjaDivisor(antes).united(franjaDivisor(v.pos)).toAlignedRect());
    } else {
        update(marco().toAlignedRect().adjusted(-1, -1, 1, 1));
    }
}

void Comparador::actualizarBarra() {
    porcentaje_->setText(QString::fromStdString(textoZoom(estado_.escala)));
    menos_->setEnabled(puedeAlejar(estado_));
    mas_->setEnabled(puedeAcercar(estado_));
    real_->setVisible(hayZoom(estado_));
    colocarBarra();
}

void Comparador::colocarBarra() {
    barra_->adjustSize();
    const QRectF m = marco();
    const QSize s = barra_->sizeHint();
    // Placed as if "Tamaño real" were shown, so "−" and "+" stay where they are when it
    // appears: otherwise the second click on "+" lands on it and undoes the zoom.
    int ancho = s.width();
    if (!real_->isVisibleTo(barra_))
        ancho += real_->sizeHint().width() + barra_->layout()->spacing();
    barra_->setGeometry(int(m.right()) - 10 - ancho, int(m.bottom()) - 10 - s.height(), s.width(),
                        s.height());
    barra_->setVisible(!m.isEmpty());
}

void Comparador::pedirImagenes() {
    const QRectF m = marco();
    if (m.isEmpty()) return;
    const double f = devicePixelRatioF() * cubetaZoom(estado_.escala);
    const QSize necesario(int(std::ceil(m.width() * f)), int(std::ceil(m.height() * f)));
    antes_->pedir(necesario);
    despues_->pedir(necesario);
}

void Comparador::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The pan limit depends on the frame size.
    EstadoComparador s = estado_;
    s.despl = recortado(s.despl, tam(), s.escala);
    s.desplBase = recortado(s.desplBase, tam(), s.escala);
    if (!(s.despl == estado_.despl)) cambiarEstado(s, false);
    vista_.despl = recortado(vista_.despl, tam(), vista_.escala);
    colocarBarra();
    pedirImagenes();
}

void Comparador::pintarImagen(QPainter& p, const QImage& img, const QRectF& recorte) const {
    if (img.isNull() || recorte.isEmpty()) return;
    const QRectF m = marco();
    const RectDoble r = rectImagen({m.width(), m.height()}, vista_.escala, vista_.despl);
    const QRectF destino(m.left() + r.x, m.top() + r.y, r.ancho, r.alto);
    const QRectF visible = destino.intersected(recorte);
    if (visible.isEmpty()) return;
    // Only the visible part of the picture is sampled, whatever the zoom.
    const double sx = img.width() / destino.width(), sy = img.height() / destino.height();
    const QRectF fuente((visible.left() - destino.left()) * sx,
                        (visible.top() - destino.top()) * sy, visible.width() * sx,
                        visible.height() * sy);
    // Smooth shrinking reads every source pixel: for a picture far larger than the frame
    // (only until its fitted copy arrives) nearest-pixel sampling keeps the frame quick.
    const double dpr = p.device()->devicePixelRatioF();
    const bool grande = sx > 2 * dpr && sy > 2 * dpr;
    const bool suave = p.testRenderHint(QPainter::SmoothPixmapTransform);
    if (grande && suave) p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(visible, img, fuente);
    if (grande && suave) p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void Comparador::paintEvent(QPaintEvent* ev) {
    const QRectF m = marco();
    if (m.isEmpty()) return;
    QPainter p(this);
    QPainterPath forma;
    forma.addRoundedRect(m, radioEsquinas, radioEsquinas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(forma);
    const QRectF sucio = QRectF(ev->rect()).intersected(m);

    p.fillRect(sucio, Qt::white);
    p.setRenderHint(QPainter::SmoothPixmapTransform, interpolacionSuave(vista_.escala));
    pintarImagen(p, despues_->actual(), sucio);
    const double xd = m.left() + m.width() * vista_.pos;
    pintarImagen(p, antes_->actual(),
                 QRectF(m.left(), m.top(), xd - m.left(), m.height()).intersected(sucio));

    // The divider stays in frame coordinates: neither zoomed nor panned.
    const QRectF linea(xd - 1, m.top() - 1, 2, m.height() + 2);
    p.setPen(QPen(QColor(0, 0, 0, 64), 0.5));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(linea);
    const QPointF centro(xd, m.center().y());
    p.setPen(QPen(QColor(255, 255, 255, 128), 1));
    p.setBrush(QColor(40, 40, 46, 110));
    p.drawEllipse(centro, radioAsa, radioAsa);
    simbolo(QStringLiteral("arrow.left.and.right"), Qt::white)
        .paint(&p, QRect(int(centro.x()) - 7, int(centro.y()) - 7, 14, 14));

    pintarEtiquetaFlotante(p, m, QStringLiteral("ANTES"), Qt::AlignTop | Qt::AlignLeft, font());
    pintarEtiquetaFlotante(p, m, QStringLiteral("DESPUÉS"), Qt::AlignTop | Qt::AlignRight, font());
}

void Comparador::actualizarCursor(QPointF punto) {
    const QRectF m = marco();
    if (!m.contains(punto)) {
        unsetCursor();
        return;
    }
    if (pulsado_ && estado_.arrastrandoDivisor == false) {
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    const bool divisor = arrastreMueveDivisor(estado_, tam(), punto.x() - m.left());
    setCursor(divisor ? Qt::SplitHCursor : Qt::OpenHandCursor);
}

void Comparador::mousePressEvent(QMouseEvent* e) {
    const QRectF m = marco();
    if (e->button() != Qt::LeftButton || !m.contains(e->position())) {
        QWidget::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    pulsado_ = true;
    inicio_ = e->position() - m.topLeft();
    // The drag has no minimum distance: pressing is its first change.
    EstadoComparador s = estado_;
    cambioArrastre(s, tam(), inicio_.x(), inicio_.x(), {});
    cambiarEstado(s, false);
    actualizarCursor(e->position());
}

void Comparador::mouseMoveEvent(QMouseEvent* e) {
    if (!pulsado_) {
        actualizarCursor(e->position());
        return;
    }
    const QPointF actual = e->position() - marco().topLeft();
    EstadoComparador s = estado_;
    cambioArrastre(s, tam(), inicio_.x(), actual.x(),
                   {actual.x() - inicio_.x(), actual.y() - inicio_.y()});
    cambiarEstado(s, false);
}

void Comparador::mouseReleaseEvent(QMouseEvent* e) {
    if (!pulsado_ || e->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    pulsado_ = false;
    EstadoComparador s = estado_;
    finArrastre(s);
    cambiarEstado(s, false);
    actualizarCursor(e->position());
}

void Comparador::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !marco().contains(e->position())) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    EstadoComparador s = estado_;
    s.arrastrandoDivisor.reset();
    dobleClic(s, tam());
    cambiarEstado(s, true);
}

void Comparador::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier) {
        alternarLado();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool Comparador::event(QEvent* e) {
    if (e->type() == QEvent::NativeGesture) {
        auto* g = static_cast<QNativeGestureEvent*>(e);
        EstadoComparador s = estado_;
        switch (g->gestureType()) {
        case Qt::BeginNativeGesture:
            magnificacion_ = 1;
            return true;
        case Qt::ZoomNativeGesture:
            // The platform reports each step as a relative change.
            magnificacion_ *= 1 + g->value();
            cambioPellizco(s, magnificacion_, tam());
            cambiarEstado(s, false);
            return true;
        case Qt::EndNativeGesture:
            magnificacion_ = 1;
            finPellizco(s);
            cambiarEstado(s, false);
            return true;
        case Qt::SmartZoomNativeGesture:
            dobleClic(s, tam());
            cambiarEstado(s, true);
            return true;
        default:
            break;
        }
    }
    return QWidget::event(e);
}

} // namespace Livora
