#include "vistas/metadatos_vista.h"

#include "vistas/estilo.h"
#include "vistas/interruptor.h"
#include "vistas/simbolos.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Livora {

ContenidoPopoverMetadatos contenidoPopoverMetadatos(const std::string& nombreArchivo,
                                                    const std::vector<ItemMetadato>& resumen,
                                                    bool quitarMetadatos) {
    ContenidoPopoverMetadatos c;
    c.titulo = "Metadatos de " + nombreArchivo;
    c.vacio = resumen.empty();
    if (c.vacio) {
        c.textoVacio = "Esta imagen no contiene metadatos EXIF, GPS ni IPTC.";
        c.simboloVacio = "checkmark.seal";
        return c;
    }
    c.lineas = resumen;
    if (quitarMetadatos) {
        c.etiqueta = "Con el interruptor activado, todos estos datos se eliminan de las salidas.";
        c.simboloEtiqueta = "shield.checkered";
    } else {
        c.etiqueta = "Interruptor desactivado: estos datos se copiarán tal cual a las salidas.";
        c.simboloEtiqueta = "exclamationmark.shield";
        c.etiquetaAviso = true;
    }
    c.nota = "WebP los gestiona cwebp con el mismo criterio. El PDF no se ve afectado.";
    return c;
}

bool hayLineaSensible(const std::vector<ItemMetadato>& resumen) {
    return std::any_of(resumen.begin(), resumen.end(), [](const auto& i) { return i.sensible; });
}

std::string simboloInfoMetadatos(const std::vector<ItemMetadato>& resumen) {
    return hayLineaSensible(resumen) ? "exclamationmark.triangle.fill" : "info.circle";
}

namespace {

constexpr int anchoPopover = 340;
constexpr int altoFlecha = 9;
constexpr int radio = 12;

QLabel* etiqueta(const QString& texto, const QFont& f, const QColor& color, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}

QLabel* icono(const std::string& nombre, const QColor& color, int lado, QWidget* padre) {
    auto* l = new QLabel(padre);
    l->setPixmap(simbolo(QString::fromStdString(nombre), color).pixmap(lado, lado));
    l->setFixedWidth(16);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

PopoverMetadatos::PopoverMetadatos(QWidget* parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("infoMetadatos"));
    setFixedWidth(anchoPopover);
    auto* marco = new QVBoxLayout(this);
    marco->setContentsMargins(0, altoFlecha, 0, 0);
    cuerpo_ = new QWidget(this);
    marco->addWidget(cuerpo_);
    pila_ = new QVBoxLayout(cuerpo_);
    pila_->setContentsMargins(16, 16, 16, 16);
    pila_->setSpacing(10);
}

void PopoverMetadatos::setContenido(const ContenidoPopoverMetadatos& contenido) {
    contenido_ = contenido;
    // The rows are a dozen widgets to create and polish (tens of ms on the interface thread
    // with the style sheet): built when the popover is on screen, not on every refresh.
    pendiente_ = true;
    if (isVisible()) reconstruir();
}

void PopoverMetadatos::reconstruir() {
    pendiente_ = false;
    // Every row is a widget of its own, so deleting the widgets frees everything.
    while (QLayoutItem* item = pila_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QFont base = font();
    const QPalette pal = palette();

    const int anchoUtil = anchoPopover - 32;
    auto* titulo =
        etiqueta(QString(), fuenteTitular(base), pal.color(QPalette::WindowText), cuerpo_);
    titulo->setObjectName(QStringLiteral("titulo"));
    const QString textoTitulo = QString::fromStdString(contenido_.titulo);
    titulo->setText(
        QFontMetrics(titulo->font()).elidedText(textoTitulo, Qt::ElideMiddle, anchoUtil));
    titulo->setToolTip(textoTitulo);
    pila_->addWidget(titulo);

    if (contenido_.vacio) {
        auto* fila = new QWidget(cuerpo_);
        auto* h = new QHBoxLayout(fila);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(6);
        h->addWidget(icono(contenido_.simboloVacio, colorVerde(), 15, fila));
        auto* l = etiqueta(QString::fromStdString(contenido_.textoVacio), fuenteCallout(base),
                           colorVerde(), fila);
        l->setObjectName(QStringLiteral("sinMetadatos"));
        l->setWordWrap(true);
        h->addWidget(l, 1);
        pila_->addWidget(fila);
        adjustSize();
        return;
    }

    auto* lineas = new QWidget(cuerpo_);
    auto* rejilla = new QGridLayout(lineas);
    rejilla->setContentsMargins(0, 0, 0, 0);
    rejilla->setHorizontalSpacing(8);
    rejilla->setVerticalSpacing(6);
    rejilla->setColumnMinimumWidth(1, 110);
    rejilla->setColumnStretch(2, 1);
    const QFont callout = fuenteCallout(base);
    int fila = 0;
    for (const auto& item : contenido_.lineas) {
        const QColor colorIcono = item.sensible ? colorAmarillo() : colorSecundario(pal);
        rejilla->addWidget(icono(item.icono, colorIcono, 14, lineas), fila, 0);
        auto* t =
            etiqueta(QString::fromStdString(item.titulo), callout, colorSecundario(pal), lineas);
        t->setFixedWidth(110);
        rejilla->addWidget(t, fila, 1);
        QFont fv = callout;
        if (item.sensible) fv.setWeight(QFont::DemiBold);
        QLabel* insignia = nullptr;
        if (item.sensible) {
            QFont fb = fuenteCaption2(base);
            fb.setBold(true);
            insignia = etiqueta(QStringLiteral("SENSIBLE"), fb, colorAmarillo(), lineas);
            insignia->setObjectName(QStringLiteral("sensible"));
            const QColor c = colorAmarillo();
            insignia->setStyleSheet(
                QStringLiteral("QLabel { color: %1; background: rgba(%2, %3, %4, 64);"
                               " border-radius: 7px; padding: 1px 5px; }")
                    .arg(c.name())
                    .arg(c.red())
                    .arg(c.green())
                    .arg(c.blue()));
        }
        // One line per item: a long value (a camera's full name, a software string) is
        // shortened, and the whole text stays in its tooltip.
        int anchoValor = anchoUtil - 16 - 110 - 2 * 8;
        if (insignia) anchoValor -= insignia->sizeHint().width() + 8;
        const QString valor = QString::fromStdString(item.valor);
        auto* v = etiqueta(QFontMetrics(fv).elidedText(valor, Qt::ElideRight, anchoValor), fv,
                           pal.color(QPalette::WindowText), lineas);
        v->setObjectName(QStringLiteral("valor"));
        v->setProperty("valorCompleto", valor);
        if (v->text() != valor) v->setToolTip(valor);
        // Value and badge share one cell, so rows without a badge keep the full width.
        auto* celda = new QWidget(lineas);
        auto* h = new QHBoxLayout(celda);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(8);
        v->setParent(celda);
        h->addWidget(v);
        if (insignia) {
            insignia->setParent(celda);
            h->addWidget(insignia, 0, Qt::AlignVCenter);
        }
        h->addStretch(1);
        rejilla->addWidget(celda, fila, 2);
        ++fila;
    }
    pila_->addWidget(lineas);

    auto* divisor = new QFrame(cuerpo_);
    divisor->setFrameShape(QFrame::HLine);
    divisor->setFixedHeight(1);
    divisor->setStyleSheet(QStringLiteral("background: rgba(0, 0, 0, 28); border: none;"));
    pila_->addWidget(divisor);

    auto* filaEtiqueta = new QWidget(cuerpo_);
    auto* h = new QHBoxLayout(filaEtiqueta);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(6);
    const QColor colorEtiqueta = contenido_.etiquetaAviso ? colorNaranja() : colorSecundario(pal);
    h->addWidget(icono(contenido_.simboloEtiqueta, colorEtiqueta, 14, filaEtiqueta), 0,
                 Qt::AlignTop);
    auto* e = etiqueta(QString::fromStdString(contenido_.etiqueta), fuenteCaption(base),
                       colorEtiqueta, filaEtiqueta);
    e->setObjectName(QStringLiteral("etiqueta"));
    e->setWordWrap(true);
    h->addWidget(e, 1);
    pila_->addWidget(filaEtiqueta);

    auto* nota = etiqueta(QString::fromStdString(contenido_.nota), fuenteCaption2(base),
                          colorTerciario(pal), cuerpo_);
    nota->setObjectName(QStringLiteral("nota"));
    nota->setWordWrap(true);
    pila_->addWidget(nota);
    adjustSize();
}

void PopoverMetadatos::mostrarBajo(QWidget* ancla) {
    if (pendiente_) reconstruir();
    // Sized with the fonts and paddings a style sheet may give the rows, not before it.
    for (QWidget* w : findChildren<QWidget*>())
        w->ensurePolished();
    adjustSize();
    const QPoint abajo = ancla->mapToGlobal(QPoint(ancla->width() / 2, ancla->height()));
    QPoint origen(abajo.x() - width() / 2, abajo.y() + 2);
    // Kept on screen; the arrow still points at the anchor.
    if (QScreen* s = ancla->screen()) {
        const QRect disponible = s->availableGeometry();
        origen.setX(std::clamp(origen.x(), disponible.left() + 4,
                               std::max(disponible.left() + 4, disponible.right() - width() - 4)));
    }
    flechaX_ = std::clamp(abajo.x() - origen.x(), radio + altoFlecha, width() - radio - altoFlecha);
    move(origen);
    show();
}

void PopoverMetadatos::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF caja = QRectF(rect()).adjusted(0.5, altoFlecha + 0.5, -0.5, -0.5);
    QPainterPath forma;
    forma.addRoundedRect(caja, radio, radio);
    QPainterPath flecha;
    flecha.moveTo(flechaX_ - altoFlecha, caja.top() + 1);
    flecha.lineTo(flechaX_, 0.5);
    flecha.lineTo(flechaX_ + altoFlecha, caja.top() + 1);
    flecha.closeSubpath();
    forma = forma.united(flecha);
    p.fillPath(forma, palette().color(QPalette::Window));
    p.setPen(QPen(QColor(0, 0, 0, 45), 1));
    p.drawPath(forma);
}

void PopoverMetadatos::hideEvent(QHideEvent* e) {
    QFrame::hideEvent(e);
    Q_EMIT cerrado();
}

FilaMetadatos::FilaMetadatos(QWidget* parent) : QWidget(parent) {
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    fila->setSpacing(6);
    interruptor_ = new Interruptor(QStringLiteral("Quitar metadatos (EXIF, GPS)"), this);
    interruptor_->setObjectName(QStringLiteral("quitarMetadatos"));
    fila->addWidget(interruptor_, 1);
    info_ = new QToolButton(this);
    info_->setObjectName(QStringLiteral("infoMetadatos"));
    info_->setAutoRaise(true);
    info_->setToolTip(QStringLiteral("Ver qué metadatos contiene este archivo"));
    info_->setAccessibleName(QStringLiteral("Ver qué metadatos contiene este archivo"));
    info_->setIconSize({16, 16});
    fila->addWidget(info_);

    popover_ = new PopoverMetadatos(this);
    connect(interruptor_, &Interruptor::toggled, this, [this](bool quitar) {
        actualizar();
        Q_EMIT quitarMetadatosCambiado(quitar);
    });
    connect(info_, &QToolButton::clicked, this, [this] {
        const bool mostrar = !mostrandoInfo();
        setMostrarInfo(mostrar);
        Q_EMIT mostrarInfoCambiado(mostrar);
    });
    // Clicking elsewhere closes a popup by itself; the window must hear about it.
    connect(popover_, &PopoverMetadatos::cerrado, this, [this] {
        if (!cerrandoDesdeFuera_) Q_EMIT mostrarInfoCambiado(false);
    });
    interruptor_->setChecked(true);
    actualizar();
}

void FilaMetadatos::setQuitarMetadatos(bool quitar) {
    if (quitar == interruptor_->isChecked()) return;
    const QSignalBlocker bloqueo(interruptor_);
    interruptor_->setChecked(quitar);
    actualizar();
}

bool FilaMetadatos::quitarMetadatos() const {
    return interruptor_->isChecked();
}

void FilaMetadatos::setArchivo(const QString& nombre, const std::vector<ItemMetadato>& resumen) {
    // The window calls this on every refresh; the popover is rebuilt only when it changes.
    const auto igual = [](const ItemMetadato& a, const ItemMetadato& b) {
        return a.icono == b.icono && a.titulo == b.titulo && a.valor == b.valor &&
               a.sensible == b.sensible;
    };
    if (nombre == nombre_ &&
        std::equal(resumen.begin(), resumen.end(), resumen_.begin(), resumen_.end(), igual))
        return;
    nombre_ = nombre;
    resumen_ = resumen;
    actualizar();
}

void FilaMetadatos::setMostrarInfo(bool mostrar) {
    if (mostrar == mostrandoInfo()) return;
    if (mostrar) {
        popover_->mostrarBajo(info_);
    } else {
        cerrandoDesdeFuera_ = true;
        popover_->hide();
        cerrandoDesdeFuera_ = false;
    }
}

bool FilaMetadatos::mostrandoInfo() const {
    return popover_->isVisible();
}

void FilaMetadatos::actualizar() {
    const bool aviso = hayLineaSensible(resumen_);
    info_->setIcon(simbolo(QString::fromStdString(simboloInfoMetadatos(resumen_)),
                           aviso ? colorAmarillo() : colorSecundario(palette())));
    popover_->setContenido(
        contenidoPopoverMetadatos(nombre_.toStdString(), resumen_, interruptor_->isChecked()));
}

} // namespace Livora
