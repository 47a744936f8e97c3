#include "main/ventana.h"

#include "main/barra_lateral.h"
#include "main/estilo.h"
#include "main/iconos.h"
#include "main/inicio.h"
#include "main/inspector.h"
#include "main/panel_derecho.h"
#include "main/progreso.h"
#include "main/textos.h"
#include "vistas/comparador.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace Livora {

namespace {

// Widgets that edit their value with Up and Down: while one has the focus the arrows are
// its own and do not move the chosen alternative.
bool editaConFlechas(const QObject* o) {
    return qobject_cast<const QLineEdit*>(o) || qobject_cast<const QAbstractSpinBox*>(o) ||
           qobject_cast<const QAbstractSlider*>(o) || qobject_cast<const QTextEdit*>(o) ||
           qobject_cast<const QPlainTextEdit*>(o) || qobject_cast<const QComboBox*>(o) ||
           qobject_cast<const QAbstractItemView*>(o);
}

bool visitable(const QWidget* w) {
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
           !w->focusProxy();
}

// The visitable widgets inside `zona`, as read: by rows (centres less than half a typical
// row apart share one), then left to right.
QList<QWidget*> enOrdenDeLectura(QWidget* zona) {
    QList<QWidget*> r;
    if (!zona->isVisible()) return r;
    for (QWidget* w : zona->findChildren<QWidget*>())
        if (visitable(w)) r << w;
    const QWidget* ventana = zona->window();
    auto clave = [ventana](const QWidget* w) {
        const QPoint c = w->mapTo(ventana, w->rect().center());
        return std::pair(c.y() / 12, c.x());
    };
    std::stable_sort(r.begin(), r.end(),
                     [&](const QWidget* a, const QWidget* b) { return clave(a) < clave(b); });
    return r;
}

} // namespace

VentanaPrincipal::VentanaPrincipal(VistaPrincipal& vista, QWidget* padre)
    : QMainWindow(padre), vista_(vista) {
    setObjectName("principal");
    setWindowTitle("Livora");
    resize(1180, 740);
    setMinimumSize(1000, 640);
    setAcceptDrops(true);
    setUnifiedTitleAndToolBarOnMac(true);

    pila_ = new QStackedWidget(this);
    prepararLienzo_ = new QTimer(this);
    prepararLienzo_->setSingleShot(true);
    prepararLienzo_->setInterval(300);
    connect(prepararLienzo_, &QTimer::timeout, this, &VentanaPrincipal::prepararLienzo);
    // The start screen's picture for the fade, taken a moment after it changes rather than when
    // the first file arrives, so that switch does not draw the whole start screen.
    fotografiarInicio_ = new QTimer(this);
    fotografiarInicio_->setSingleShot(true);
    fotografiarInicio_->setInterval(150);
    connect(fotografiarInicio_, &QTimer::timeout, this, [this] {
        if (pila_->currentWidget() == inicio_ && pila_->isVisible()) dibujarEnLienzo(inicio_);
    });
    inicio_ = new PantallaInicio(pila_);
    pila_->addWidget(inicio_);

    espacio_ = new QWidget(pila_);
    espacio_->setObjectName("espacio");
    auto* h = new QHBoxLayout(espacio_);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    auto* division = new QSplitter(Qt::Horizontal, espacio_);
    division->setChildrenCollapsible(false);
    division->setHandleWidth(1);
    lateral_ = new BarraLateral(vista_, division);
    lateral_->setMinimumWidth(210);
    lateral_->setMaximumWidth(320);
    panel_ = new PanelDerecho(vista_, division);
    division->addWidget(lateral_);
    division->addWidget(panel_);
    division->setStretchFactor(1, 1);
    division->setSizes({240, 600});
    h->addWidget(division, 1);
    inspector_ = new Inspector(vista_, espacio_);
    inspector_->setFixedWidth(340);
    h->addWidget(inspector_);
    pila_->addWidget(espacio_);
    setCentralWidget(pila_);

    // The inspector slides in and out from the trailing edge, the sidebar from the leading
    // one.
    deslizar_ = new QVariantAnimation(this);
    configurar(deslizar_, Transicion::Muelle);
    connect(deslizar_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        inspector_->setFixedWidth(std::max(0, v.toInt()));
        inspector_->setVisible(v.toInt() > 0);
    });
    deslizarLateral_ = new QVariantAnimation(this);
    configurar(deslizarLateral_, Transicion::Muelle);
    connect(deslizarLateral_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { lateral_->setMaximumWidth(std::max(0, v.toInt())); });
    connect(deslizarLateral_, &QVariantAnimation::finished, this, [this] {
        lateral_->setVisible(lateralVisible_);
        lateral_->setMinimumWidth(210);
        lateral_->setMaximumWidth(320);
    });

    construirBarra();

    auto* app = menuBar()->addMenu("Livora");
    app->addAction("Acerca de Livora", this,
                   [this] { vista_.avisar(std::string("Livora ") + LIVORA_VERSION); });
    app->addAction("Buscar actualizaciones…", this, &VentanaPrincipal::buscarActualizaciones);
    app->addSeparator();
    app->addAction("Salir", QKeySequence::Quit, this, &QWidget::close);
    auto* archivo = menuBar()->addMenu("Archivo");
    archivo->addAction("Abrir…", QKeySequence::Open, this, [this] { vista_.elegirArchivos(); });
    // F9 shows and hides the sidebar, as in the desktop's own applications.
    auto* ver = menuBar()->addMenu("Ver");
    barraLateral_ = ver->addAction("Ocultar barra lateral", QKeySequence(Qt::Key_F9), this,
                                   [this] { vista_.alternarBarraLateral(); });

    // Up/Down move the chosen alternative unless a field that edits with them has the
    // focus (see eventFilter).
    auto* arriba = new QShortcut(QKeySequence(Qt::Key_Up), this);
    auto* abajo = new QShortcut(QKeySequence(Qt::Key_Down), this);
    connect(arriba, &QShortcut::activated, this, [this] { vista_.moverSeleccion(-1); });
    connect(abajo, &QShortcut::activated, this, [this] { vista_.moverSeleccion(+1); });
    atajoGuardar_ = new QAction(this);
    atajoGuardar_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(atajoGuardar_, &QAction::triggered, this, [this] {
        if (vista_.estado().varianteActiva()) vista_.guardar(false);
    });
    atajoLote_ = new QAction(this);
    atajoLote_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(atajoLote_, &QAction::triggered, this, [this] {
        if (botonesGuardar(vista_.estado()).hayLote && !vista_.estado().archivos.empty())
            vista_.guardar(true);
    });
    addAction(atajoGuardar_);
    addAction(atajoLote_);
    qApp->installEventFilter(this);

    connect(inicio_, &PantallaInicio::abrirPulsado, this, [this] { vista_.elegirArchivos(); });
    connect(inicio_, &PantallaInicio::unirPulsado, this, [this] { vista_.elegirParaUnir(); });
    connect(inicio_, &PantallaInicio::cancelarPulsado, this, [this] { vista_.cancelarTrabajos(); });
    connect(&vista_, &VistaPrincipal::cambiado, this, &VentanaPrincipal::mostrar);
    vista_.comprobarModeloFondo();
    mostrar();
}

bool VentanaPrincipal::eventFilter(QObject* o, QEvent* e) {
    if (o == pila_ && e->type() == QEvent::Resize) prepararLienzo_->start();
    if (e->type() == QEvent::Paint && !dibujandoLienzo_ && pila_->currentWidget() == inicio_ &&
        o->isWidgetType() && (o == inicio_ || inicio_->isAncestorOf(static_cast<QWidget*>(o)))) {
        inicioCambiado_ = true;
        if (!fotografiarInicio_->isActive()) fotografiarInicio_->start();
    }
    // Claiming the shortcut for the focused field sends it the key press instead.
    if (e->type() == QEvent::ShortcutOverride && editaConFlechas(o)) {
        auto* k = static_cast<QKeyEvent*>(e);
        const auto mods = k->modifiers() & ~Qt::KeypadModifier;
        if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) && mods == Qt::NoModifier &&
            static_cast<QWidget*>(o)->window() == this)
            k->accept();
    }
    return QMainWindow::eventFilter(o, e);
}

QList<QWidget*> VentanaPrincipal::ordenTabulacion() const {
    if (!enEspacioTrabajo()) return enOrdenDeLectura(inicio_);
    QList<QWidget*> r;
    for (QAction* a : barra_->actions())
        if (QWidget* w = barra_->widgetForAction(a); w && visitable(w)) r << w;
    r << enOrdenDeLectura(lateral_) << enOrdenDeLectura(panel_) << enOrdenDeLectura(inspector_);
    return r;
}

bool VentanaPrincipal::focusNextPrevChild(bool siguiente) {
    const QList<QWidget*> orden = ordenTabulacion();
    if (orden.isEmpty()) return QMainWindow::focusNextPrevChild(siguiente);
    qsizetype i = -1;
    for (QWidget* f = QApplication::focusWidget(); f && i < 0; f = f->parentWidget())
        i = orden.indexOf(f);
    const qsizetype n = orden.size();
    const qsizetype j = i < 0 ? (siguiente ? 0 : n - 1) : (i + (siguiente ? 1 : n - 1)) % n;
    orden[j]->setFocus(siguiente ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void VentanaPrincipal::changeEvent(QEvent* e) {
    // Coming back to the window, the model may have been installed (or removed) meanwhile.
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) vista_.comprobarModeloFondo();
    QMainWindow::changeEvent(e);
}

QAction* VentanaPrincipal::accion(const QString& etiqueta, const std::string& simbolo,
                                  const QString& ayuda) {
    QAction* a = barra_->addAction(icono(simbolo, Estilo::texto), etiqueta);
    a->setToolTip(ayuda);
    // A toolbar's buttons take no focus by default; here they are part of the Tab order.
    if (QWidget* b = barra_->widgetForAction(a)) b->setFocusPolicy(Qt::TabFocus);
    acciones_[etiqueta] = a;
    simbolos_[etiqueta] = simbolo;
    return a;
}

void VentanaPrincipal::construirBarra() {
    barra_ = addToolBar("Herramientas");
    barra_->setObjectName("barraHerramientas");
    barra_->setMovable(false);
    barra_->setFloatable(false);
    barra_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    barra_->setIconSize(QSize(18, 18));
    barra_->setContextMenuPolicy(Qt::PreventContextMenu);

    connect(accion("Inicio", "house", "Cerrar todo y volver al inicio"), &QAction::triggered, this,
            [this] { vista_.volverInicio(); });
    barraProgreso_ = new QProgressBar(barra_);
    barraProgreso_->setRange(0, 0);
    barraProgreso_->setTextVisible(false);
    barraProgreso_->setFixedSize(60, 6);
    progreso_ = barra_->addWidget(barraProgreso_);
    avance_ = new QLabel(barra_);
    avance_->setObjectName("avance");
    avance_->setStyleSheet("color: #6e6e73; font-size: 11px; padding-left: 6px;");
    accionAvance_ = barra_->addWidget(avance_);

    // Title and subtitle of the active file.
    auto* cabecera = new QWidget(barra_);
    auto* cv = new QVBoxLayout(cabecera);
    cv->setContentsMargins(12, 0, 12, 0);
    cv->setSpacing(0);
    titulo_ = new QLabel(cabecera);
    titulo_->setStyleSheet("font-weight: 700;");
    subtitulo_ = new QLabel(cabecera);
    subtitulo_->setStyleSheet("color: #6e6e73; font-size: 11px;");
    cv->addWidget(titulo_);
    cv->addWidget(subtitulo_);
    barra_->addWidget(cabecera);
    auto* espaciador = new QWidget(barra_);
    espaciador->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    barra_->addWidget(espaciador);

    connect(accion("Páginas", "square.grid.2x2",
                   "Organizar páginas: ordenar, girar, duplicar, quitar, insertar"),
            &QAction::triggered, this, [this] { vista_.abrirPaginas(); });
    connect(accion("Texto", "textformat", "Añadir texto y emojis"), &QAction::triggered, this,
            [this] { vista_.abrirTexto(); });
    connect(accion("Filtros", "camera.filters", "Filtros y ajustes de color"), &QAction::triggered,
            this, [this] { vista_.alternarFiltros(); });
    connect(accion("Recortar", "crop", "Recortar"), &QAction::triggered, this,
            [this] { vista_.abrirRecorte(); });
    connect(accion("Quitar fondo", "person.and.background.dotted", "Quitar el fondo"),
            &QAction::triggered, this, [this] { vista_.alternarSinFondo(); });
    separadorHerr_ = barra_->addSeparator();

    QAction* compartir =
        accion("Compartir", "square.and.arrow.up", "Compartir la salida seleccionada");
    auto* menu = new QMenu(this);
    menu->addAction(icono("clipboard", Estilo::texto), "Copiar el archivo", this,
                    [this] { vista_.copiarSalida(); });
    menu->addAction(icono("app.open", Estilo::texto), "Abrir con la aplicación predeterminada",
                    this, [this] { vista_.abrirSalidaCon(); });
    menu->addAction(icono("envelope", Estilo::texto), "Enviar por correo", this,
                    [this] { vista_.enviarSalidaPorCorreo(); });
    compartir->setMenu(menu);
    if (auto* b = qobject_cast<QToolButton*>(barra_->widgetForAction(compartir)))
        b->setPopupMode(QToolButton::InstantPopup);
    connect(accion("Inspector", "sidebar.right", "Mostrar u ocultar el panel de salidas"),
            &QAction::triggered, this, [this] { vista_.alternarInspector(); });
}

QToolButton* VentanaPrincipal::boton(const QString& etiqueta) const {
    auto it = acciones_.find(etiqueta);
    if (it == acciones_.end()) return nullptr;
    return qobject_cast<QToolButton*>(barra_->widgetForAction(it->second));
}

QStringList VentanaPrincipal::etiquetasBarra() const {
    QStringList r;
    for (QAction* a : barra_->actions())
        if (a->isVisible() && !a->text().isEmpty() && !a->isSeparator()) r << a->text();
    return r;
}

void VentanaPrincipal::mostrarBarra(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    progreso_->setVisible(e.procesando);
    mostrarProgreso(barraProgreso_, e);
    const QString avance = QString::fromStdString(e.procesando ? textoProgreso(e) : "");
    avance_->setText(avance);
    accionAvance_->setVisible(!avance.isEmpty());
    const bool herramientas = !e.enModo() && !e.procesando;
    const bool pdf = a && !a->esImagen;
    const bool imagen = a && a->esImagen;
    auto fijar = [&](const QString& etiqueta, bool visible, bool tinte) {
        QAction* x = acciones_.at(etiqueta);
        x->setVisible(visible);
        x->setEnabled(herramientas);
        const QColor c = tinte ? Estilo::acento : Estilo::texto;
        x->setIcon(icono(simbolos_.at(etiqueta), c));
        if (QToolButton* b = boton(etiqueta)) {
            b->setProperty("tinte", tinte);
            b->style()->unpolish(b);
            b->style()->polish(b);
        }
    };
    fijar("Páginas", pdf, pdf && a->paginasEditadas());
    fijar("Texto", imagen, false);
    fijar("Filtros", imagen, imagen && (e.mostrarFiltros || !a->filtros.esNeutro()));
    fijar("Recortar", imagen, false);
    fijar("Quitar fondo", imagen, imagen && a->sinFondo);
    if (imagen) {
        // Without the model the button says why instead of producing a picture that keeps
        // its background; restoring the background always works.
        QAction* q = acciones_.at("Quitar fondo");
        const bool sinModelo = !a->sinFondo && !e.fondoNoDisponible.empty();
        q->setToolTip(a->sinFondo ? QString("Restaurar el fondo")
                      : sinModelo ? QString::fromStdString(e.fondoNoDisponible)
                                  : QString("Quitar el fondo"));
        if (sinModelo) q->setEnabled(false);
    }
    separadorHerr_->setVisible(a != nullptr);
    acciones_.at("Compartir")->setVisible(e.varianteActiva() != nullptr);
    acciones_.at("Compartir")->setEnabled(true);
    acciones_.at("Inspector")->setEnabled(true);
    acciones_.at("Inicio")->setEnabled(true);
    titulo_->setText(QString::fromStdString(tituloVentana(e)));
    subtitulo_->setText(QString::fromStdString(subtitulo(e)));
    subtitulo_->setVisible(!subtitulo_->text().isEmpty());
}

// The cross-fade's picture of the page that leaves is drawn into memory kept for it, laid out
// and filled while the start screen is idle: faulting in fresh window-sized memory cost more
// than the drawing. Drawing the workspace there once also lays it out, and its fonts are
// loaded one per turn, so the first switch does not pay for them.
void VentanaPrincipal::prepararLienzo() {
    if (pila_->currentWidget() != inicio_ || !pila_->isVisible()) return;
    dibujarEnLienzo(espacio_);
    if (fuentesPorCalentar_.isEmpty() && !fuentesCalentadas_) {
        fuentesCalentadas_ = true;
        // The toolbar only shows with the workspace: drawn once here, its icons are ready.
        QPixmap barra(QSize(pila_->width(), barra_->sizeHint().height()) *
                      pila_->devicePixelRatioF());
        barra.setDevicePixelRatio(pila_->devicePixelRatioF());
        barra_->resize(pila_->width(), barra_->sizeHint().height());
        barra_->render(&barra);
        fuentesPorCalentar_ = Estilo::fuentesDe(this);
        calentarFuentes();
    }
}

void VentanaPrincipal::calentarFuentes() {
    if (!fuentesPorCalentar_.isEmpty())
        Estilo::calentarFuente(fuentesPorCalentar_.takeFirst(), this);
    if (!fuentesPorCalentar_.isEmpty()) QTimer::singleShot(0, this, [this] { calentarFuentes(); });
}

void VentanaPrincipal::dibujarEnLienzo(QWidget* pagina) {
    const qreal dpr = pila_->devicePixelRatioF();
    const QSize px = (QSizeF(pila_->size()) * dpr).toSize();
    if (lienzoFundido_.size() != px) lienzoFundido_ = QPixmap(px);
    lienzoFundido_.setDevicePixelRatio(dpr);
    // Translucent from the start: filling an opaque pixmap with transparency replaces its
    // memory.
    lienzoFundido_.fill(Qt::transparent);
    dibujandoLienzo_ = true;
    pagina->render(&lienzoFundido_);
    dibujandoLienzo_ = false;
    // It holds this page now, whatever it held before.
    if (pagina == inicio_) {
        inicioCambiado_ = false;
        fotoInicio_.start();
    } else {
        fotoInicio_.invalidate();
        fotografiarInicio_->start();
    }
}

// Only the page on show is drawn: the whole stack would first lay out the hidden one.
QPixmap VentanaPrincipal::fotoPagina() {
    QWidget* actual = pila_->currentWidget();
    if (!pila_->isVisible() || !actual) return {};
    // A start screen that only moved a progress bar since its picture: nobody sees a fraction of
    // a second's difference in the first frame of a fade.
    const bool vigente = actual == inicio_ && fotoInicio_.isValid() &&
                         (!inicioCambiado_ || fotoInicio_.elapsed() < 400);
    if (!vigente) dibujarEnLienzo(actual);
    return lienzoFundido_;
}

void VentanaPrincipal::mostrar() {
    const EstadoVentana& e = vista_.estado();
    setWindowTitle(QString::fromStdString(tituloVentana(e)));
    const bool trabajo = !e.archivos.empty();
    QWidget* pagina = trabajo ? espacio_ : static_cast<QWidget*>(inicio_);
    if (pila_->currentWidget() != pagina) {
        // The start screen and the workspace cross-fade.
        const QPixmap antes = fotoPagina();
        pila_->setCurrentWidget(pagina);
        // Both pages paint every pixel.
        fundido(pila_, antes, Transicion::Muelle, true);
    }
    barra_->setVisible(trabajo);
    inicio_->mostrar(e);
    if (trabajo) {
        lateral_->mostrar(e);
        panel_->mostrar(e);
        inspector_->mostrar(e);
        mostrarBarra(e);
    } else {
        panel_->comparador()->olvidarPrevias();
    }
    mostrarColumnas(e);
}

void VentanaPrincipal::mostrarColumnas(const EstadoVentana& e) {
    if (e.mostrarInspector != inspectorVisible_) {
        inspectorVisible_ = e.mostrarInspector;
        deslizar_->stop();
        deslizar_->setStartValue(inspector_->isVisible() ? inspector_->width() : 0);
        deslizar_->setEndValue(inspectorVisible_ ? 340 : 0);
        deslizar_->start();
    }
    barraLateral_->setText(e.mostrarBarraLateral ? "Ocultar barra lateral"
                                                 : "Mostrar barra lateral");
    if (e.mostrarBarraLateral != lateralVisible_) {
        lateralVisible_ = e.mostrarBarraLateral;
        deslizarLateral_->stop();
        if (!isVisible()) {
            // Before the window is shown (a remembered choice) there is nothing to animate.
            lateral_->setVisible(lateralVisible_);
            return;
        }
        const int desde = lateral_->isVisible() ? lateral_->width() : 0;
        if (!lateralVisible_ && desde > 0) anchoLateral_ = desde;
        lateral_->setMinimumWidth(0);
        lateral_->setMaximumWidth(desde);
        lateral_->setVisible(true);
        deslizarLateral_->setStartValue(desde);
        deslizarLateral_->setEndValue(lateralVisible_ ? anchoLateral_ : 0);
        deslizarLateral_->start();
    }
}

void VentanaPrincipal::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) {
        e->acceptProposedAction();
        vista_.setArrastrando(true);
    }
}

void VentanaPrincipal::dragMoveEvent(QDragMoveEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void VentanaPrincipal::dragLeaveEvent(QDragLeaveEvent*) {
    vista_.setArrastrando(false);
}

void VentanaPrincipal::dropEvent(QDropEvent* e) {
    vista_.setArrastrando(false);
    e->acceptProposedAction();
    vista_.recibir(e->mimeData()->urls());
}

} // namespace Livora
