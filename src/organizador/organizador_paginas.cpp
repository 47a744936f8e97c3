#include "organizador/organizador_paginas.h"

#include "main/aparicion.h"
#include "main/aviso.h"
#include "main/estilo.h"
#include "main/iconos.h"
#include "motor/lista_paginas.h"
#include "motor/pdf.h"
#include "organizador/miniaturas_organizador.h"
#include "organizador/modelo_paginas.h"
#include "organizador/rejilla_paginas.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace Livora {

namespace {

constexpr int margenBarra = 20; // the floating bar above the bottom edge
const QColor rojo{0xd7, 0x3a, 0x49};

std::vector<Ruta> rutasLocales(const QList<QUrl>& urls) {
    std::vector<Ruta> r;
    for (const QUrl& u : urls)
        if (u.isLocalFile()) r.emplace_back(u.toLocalFile().toStdString());
    return r;
}

} // namespace

// ---- Selection bar -------------------------------------------------------------------------

BarraSeleccion::BarraSeleccion(QWidget* padre) : QWidget(padre) {
    setObjectName("barraSeleccion");
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(10, 6, 10, 6);
    h->setSpacing(4);
    auto boton = [&](const std::string& simbolo, const QString& ayuda, const QColor& color) {
        auto* b = new QToolButton(this);
        b->setIcon(icono(simbolo, color));
        b->setIconSize(QSize(20, 20));
        b->setToolTip(ayuda);
        b->setAutoRaise(true);
        b->setFixedSize(36, 32);
        h->addWidget(b);
        return b;
    };
    connect(boton("rotate.left", "Girar a la izquierda (Ctrl+L)", Estilo::texto),
            &QToolButton::clicked, this, [this] { Q_EMIT girar(-90); });
    connect(boton("rotate.right", "Girar a la derecha (Ctrl+R)", Estilo::texto),
            &QToolButton::clicked, this, [this] { Q_EMIT girar(90); });
    connect(boton("plus.square.on.square", "Duplicar", Estilo::texto), &QToolButton::clicked, this,
            &BarraSeleccion::duplicar);
    connect(boton("square.and.arrow.up", "Extraer la selección como PDF", Estilo::texto),
            &QToolButton::clicked, this, &BarraSeleccion::extraer);
    connect(boton("trash", "Eliminar", rojo), &QToolButton::clicked, this,
            &BarraSeleccion::eliminar);
    aparicion_ = new Aparicion(this);
    adjustSize();
}

QToolButton* BarraSeleccion::boton(const QString& ayuda) const {
    for (auto* b : findChildren<QToolButton*>())
        if (b->toolTip() == ayuda) return b;
    return nullptr;
}

QPoint BarraSeleccion::posicionFinal() const {
    const QWidget* p = parentWidget();
    return {(p->width() - width()) / 2, p->height() - height() - margenBarra};
}

void BarraSeleccion::recolocar() {
    if (mostrada_ && !aparicion_->enMovimiento()) move(posicionFinal());
}

void BarraSeleccion::setMostrada(bool si) {
    if (si == mostrada_) return;
    mostrada_ = si;
    const QPoint fin = posicionFinal(), fuera = fin + QPoint(0, height() + margenBarra);
    if (si)
        aparicion_->entrar(fuera, fin);
    else
        aparicion_->salir(fuera);
}

void BarraSeleccion::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Estilo::pintarCristal(p, rect(), height() / 2.0, 0.9);
}

// ---- Organiser -----------------------------------------------------------------------------

OrganizadorPaginas::OrganizadorPaginas(ServiciosOrganizador servicios, std::string nombreBase,
                                       std::vector<PaginaPDF> paginas,
                                       std::map<std::string, Imagen> miniaturas,
                                       AlAplicar alAplicar, std::function<void()> alCancelar,
                                       QWidget* padre)
    : QWidget(padre), s_(std::move(servicios)), nombreBase_(std::move(nombreBase)),
      alAplicar_(std::move(alAplicar)), alCancelar_(std::move(alCancelar)),
      org_(std::make_unique<Organizador>(std::move(paginas), s_.reloj)) {
    setObjectName("organizador");
    setAcceptDrops(true);
    miniaturas_ = new MiniaturasOrganizador(std::move(miniaturas), 64u << 20, this);
    modelo_ = new ModeloPaginas(*org_, this);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    construirCabecera();
    rejilla_ = new RejillaPaginas(*miniaturas_, this);
    rejilla_->setTamano(org_->estado().tamano);
    rejilla_->setModel(modelo_);
    v->addWidget(rejilla_, 1);

    barra_ = new BarraSeleccion(this);
    aviso_ = new BannerAviso(this);
    connect(aviso_, &BannerAviso::pulsado, this, [this] { org_->mostrarAviso(""); });

    connect(rejilla_, &RejillaPaginas::pulsada, this, [this](int fila, bool ctrl, bool mayus) {
        org_->pulsar(modelo_->pagina(fila).id, {ctrl, mayus});
    });
    connect(rejilla_, &RejillaPaginas::arrastreEmpezado, this,
            [this](int fila) { org_->empezarArrastre(modelo_->pagina(fila).id); });
    connect(rejilla_, &RejillaPaginas::arrastreSobre, this,
            [this](int fila) { org_->arrastrarSobre(modelo_->pagina(fila).id); });
    connect(rejilla_, &RejillaPaginas::arrastreTerminado, this,
            [this] { org_->terminarArrastre(); });
    connect(rejilla_, &RejillaPaginas::menuPedido, this, &OrganizadorPaginas::menuPagina);
    connect(rejilla_, &RejillaPaginas::archivosSoltados, this,
            [this](const QList<QUrl>& urls) { insertar(rutasLocales(urls)); });

    auto seleccion = [this] { return org_->estado().seleccion; };
    connect(barra_, &BarraSeleccion::girar, this,
            [this, seleccion](int paso) { org_->girar(seleccion(), paso); });
    connect(barra_, &BarraSeleccion::duplicar, this,
            [this, seleccion] { org_->duplicar(seleccion()); });
    connect(barra_, &BarraSeleccion::extraer, this, [this, seleccion] { extraer(seleccion()); });
    connect(barra_, &BarraSeleccion::eliminar, this,
            [this, seleccion] { org_->eliminar(seleccion()); });

    construirAtajos();
    org_->alCambiar([this](Cambio c) { mostrar(c); });
    mostrar(Cambio::Lista);
    rejilla_->setFocus();
}

// The grid and its model read the organiser: they go before it.
OrganizadorPaginas::~OrganizadorPaginas() {
    org_->alCambiar(nullptr);
    delete rejilla_;
    delete modelo_;
    delete miniaturas_;
}

void OrganizadorPaginas::construirCabecera() {
    auto* cabecera = new QWidget(this);
    cabecera->setObjectName("cabeceraOrganizador");
    cabecera->setStyleSheet(
        "QToolButton { border: 1px solid rgba(0,0,0,0.10); border-radius: 8px; padding: 5px 8px;"
        " background: rgba(255,255,255,0.8); }"
        "QToolButton:hover { background: white; }"
        "QToolButton:disabled { color: #b0b0b5; }"
        "QToolButton::menu-indicator { image: none; width: 0; }");
    auto* h = new QHBoxLayout(cabecera);
    h->setContentsMargins(16, 12, 16, 10);
    h->setSpacing(8);

    auto* titulos = new QVBoxLayout;
    titulos->setSpacing(0);
    auto* titulo = new QLabel("Organizar páginas", cabecera);
    titulo->setStyleSheet("font-weight: 700; font-size: 15px;");
    titulo->setMinimumWidth(titulo->sizeHint().width());
    linea_ = new QLabel(cabecera);
    linea_->setStyleSheet("color: #6e6e73; font-size: 12px;");
    titulos->addWidget(titulo);
    titulos->addWidget(linea_);
    h->addLayout(titulos);
    progreso_ = new QProgressBar(cabecera);
    progreso_->setRange(0, 0);
    progreso_->setTextVisible(false);
    progreso_->setFixedSize(48, 6);
    progreso_->hide();
    h->addWidget(progreso_);
    h->addStretch(1);

    insertar_ = new QToolButton(cabecera);
    auto* insertar = insertar_;
    insertar->setText("Insertar");
    insertar->setIcon(icono("plus", Estilo::texto));
    insertar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    insertar->setToolTip("Insertar páginas detrás de la selección (o al final)");
    insertar->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(insertar);
    menu->addAction(icono("doc.badge.plus", Estilo::texto), "PDF o imágenes…", this,
                    [this] { elegirParaInsertar(); });
    menu->addAction(icono("doc", Estilo::texto), "Página en blanco", this,
                    [this] { insertarBlanco(); });
    insertar->setMenu(menu);
    h->addWidget(insertar);

    deshacer_ = new QToolButton(cabecera);
    deshacer_->setText("Deshacer");
    deshacer_->setIcon(icono("arrow.uturn.backward", Estilo::texto));
    deshacer_->setToolTip("Deshacer (Ctrl+Z)");
    connect(deshacer_, &QToolButton::clicked, this, [this] { org_->deshacer(); });
    h->addWidget(deshacer_);

    auto* pequena = new QLabel(cabecera);
    pequena->setPixmap(pixmapIcono("square.grid.3x3", Estilo::secundario, 14, devicePixelRatioF()));
    tamano_ = new QSlider(Qt::Horizontal, cabecera);
    tamano_->setRange(int(Organizador::tamanoMinimo), int(Organizador::tamanoMaximo));
    tamano_->setValue(int(org_->estado().tamano));
    tamano_->setFixedWidth(96);
    auto* grande = new QLabel(cabecera);
    grande->setPixmap(pixmapIcono("square.grid.2x2", Estilo::secundario, 14, devicePixelRatioF()));
    for (QWidget* w : std::initializer_list<QWidget*>{pequena, tamano_, grande}) {
        w->setToolTip("Tamaño de las miniaturas");
        h->addWidget(w);
    }
    iconosTamano_ = {pequena, grande};
    connect(tamano_, &QSlider::valueChanged, this, [this](int t) { org_->setTamano(t); });

    auto* cancelar = new QPushButton("Cancelar", cabecera);
    connect(cancelar, &QPushButton::clicked, this, [this] { this->cancelar(); });
    h->addWidget(cancelar);
    aplicar_ = new QPushButton("Aplicar", cabecera);
    aplicar_->setProperty("prominente", true);
    connect(aplicar_, &QPushButton::clicked, this, [this] { aplicar(); });
    h->addWidget(aplicar_);
    layout()->addWidget(cabecera);
}

void OrganizadorPaginas::construirAtajos() {
    // Only while the focus is in the organiser: Return in the inspector's title field, say,
    // must not apply the pages.
    auto atajo = [this](QKeySequence teclas, std::function<void()> accion) {
        auto* a = new QShortcut(teclas, this);
        a->setContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QShortcut::activated, this, std::move(accion));
    };
    auto seleccion = [this] { return org_->estado().seleccion; };
    for (auto tecla : {Qt::Key_Delete, Qt::Key_Backspace})
        atajo(QKeySequence(tecla), [this, seleccion] { org_->eliminar(seleccion()); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_A), [this] { org_->seleccionarTodo(); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_R), [this, seleccion] { org_->girar(seleccion(), 90); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_L), [this, seleccion] { org_->girar(seleccion(), -90); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_D), [this, seleccion] { org_->duplicar(seleccion()); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { org_->deshacer(); });
    atajo(QKeySequence(Qt::Key_Escape), [this] { cancelar(); });
    for (auto tecla : {Qt::Key_Return, Qt::Key_Enter})
        atajo(QKeySequence(tecla), [this] { aplicar(); });
}

void OrganizadorPaginas::mostrar(Cambio c) {
    const EstadoOrganizador& e = org_->estado();
    switch (c) {
    case Cambio::Lista:
        rejilla_->animarCambio(muelleVivo);
        modelo_->actualizar(c);
        break;
    case Cambio::Reorden:
        rejilla_->animarCambio(muelle);
        modelo_->actualizar(c);
        break;
    case Cambio::Seleccion:
    case Cambio::Arrastre:
        modelo_->actualizar(c);
        break;
    case Cambio::Tamano:
        rejilla_->setTamano(e.tamano);
        if (tamano_->value() != int(e.tamano)) tamano_->setValue(int(e.tamano));
        break;
    case Cambio::Aviso:
    case Cambio::Carga:
        break;
    }
    linea_->setText(QString::fromStdString(org_->lineaCabecera()));
    progreso_->setVisible(e.cargando);
    deshacer_->setEnabled(org_->puedeDeshacer());
    aplicar_->setEnabled(!e.paginas.empty());
    barra_->setMostrada(!e.seleccion.empty());
    // With the bar up the notice floats above it, so a refusal or a confirmation about the
    // selection is still seen.
    aviso_->setElevacion(e.seleccion.empty() ? margenBarra : margenBarra + barra_->height() + 10);
    aviso_->setTexto(QString::fromStdString(e.aviso));
    aviso_->raise();
}

QString OrganizadorPaginas::lineaMostrada() const {
    return linea_->text();
}

QAbstractButton* OrganizadorPaginas::boton(const QString& texto) const {
    for (auto* b : findChildren<QAbstractButton*>())
        if (b->text() == texto) return b;
    return nullptr;
}

void OrganizadorPaginas::resizeEvent(QResizeEvent*) {
    // Beside an open inspector the header is narrow: "Insertar" keeps only its symbol and
    // the slider loses its end symbols, so the title is never cut.
    const bool estrecho = width() < 660;
    insertar_->setToolButtonStyle(estrecho ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    for (QLabel* l : iconosTamano_)
        l->setVisible(!estrecho);
    barra_->recolocar();
    aviso_->recolocar();
}

void OrganizadorPaginas::menuPagina(int fila, const QPoint& global) {
    const std::set<Uuid> objetivo = org_->objetivoMenu(modelo_->pagina(fila).id);
    QMenu menu(this);
    auto accion = [&](const QString& texto, const std::string& simbolo, std::function<void()> f,
                      const QColor& color = Estilo::texto) {
        connect(menu.addAction(icono(simbolo, color), texto), &QAction::triggered, this,
                std::move(f));
    };
    accion("Girar a la izquierda", "rotate.left", [&] { org_->girar(objetivo, -90); });
    accion("Girar a la derecha", "rotate.right", [&] { org_->girar(objetivo, 90); });
    menu.addSeparator();
    accion("Duplicar", "plus.square.on.square", [&] { org_->duplicar(objetivo); });
    accion("Extraer como PDF…", "square.and.arrow.up", [&] { extraer(objetivo); });
    menu.addSeparator();
    accion("Mover al principio", "arrow.up.to.line", [&] { org_->mover(objetivo, true); });
    accion("Mover al final", "arrow.down.to.line", [&] { org_->mover(objetivo, false); });
    menu.addSeparator();
    accion(
        "Eliminar", "trash", [&] { org_->eliminar(objetivo); }, rojo);
    menu.exec(global);
}

// ---- Files in and out ------------------------------------------------------------------------

template <class R>
void OrganizadorPaginas::enSegundoPlano(std::function<R()> trabajo, std::function<void(R)> fin) {
    ++trabajos_;
    org_->setCargando(true);
    // Back through the application object and checked there: the organiser may have been
    // applied or cancelled while the files were read.
    QPointer<OrganizadorPaginas> yo(this);
    auto tarea = [yo, trabajo = std::move(trabajo), fin = std::move(fin)] {
        auto r = std::make_shared<R>(trabajo());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [yo, fin, r] {
                if (!yo) return;
                yo->org_->setCargando(--yo->trabajos_ > 0);
                fin(std::move(*r));
            },
            Qt::QueuedConnection);
    };
    if (s_.segundoPlano)
        s_.segundoPlano(std::move(tarea));
    else
        tarea();
}

void OrganizadorPaginas::insertar(std::vector<Ruta> urls) {
    if (urls.empty()) return;
    enSegundoPlano<PaginasInsertadas>([urls] { return paginasDeArchivos(urls); },
                                      [this](PaginasInsertadas r) {
                                          org_->insertar(std::move(r.paginas));
                                          if (!r.fallidos.empty())
                                              org_->mostrarAviso(avisoNoAnadidos(r.fallidos));
                                      });
}

void OrganizadorPaginas::elegirParaInsertar() {
    if (s_.dialogos) insertar(s_.dialogos->elegirArchivos("Elige los PDF e imágenes a insertar"));
}

void OrganizadorPaginas::insertarBlanco() {
    if (auto blanco = paginaEnBlanco()) org_->insertar({PaginaPDF{Uuid::nuevo(), *blanco, 0, 0}});
}

void OrganizadorPaginas::extraer(const std::set<Uuid>& objetivo) {
    auto paginas = org_->paginasDe(objetivo);
    if (paginas.empty() || !s_.dialogos) return;
    const auto destino = s_.dialogos->guardarComo(nombreBase_ + " (páginas).pdf");
    if (!destino || destino->empty()) return;
    const std::size_t n = paginas.size();
    const Ruta d = *destino;
    enSegundoPlano<Resultado<void>>([paginas, d] { return exportarPaginas(paginas, d); },
                                    [this, n, d](Resultado<void> r) {
                                        if (!r) {
                                            org_->mostrarAviso(r.error().mensaje);
                                            return;
                                        }
                                        org_->mostrarAviso(textoExtraidas(n));
                                        if (s_.escritorio) s_.escritorio->revelar({d});
                                    });
}

void OrganizadorPaginas::aplicar() {
    const auto& paginas = org_->estado().paginas;
    if (paginas.empty()) return;
    if (alAplicar_) alAplicar_(paginas, miniaturas_->paraRegistro(paginas));
}

void OrganizadorPaginas::cancelar() {
    if (alCancelar_) alCancelar_();
}

void OrganizadorPaginas::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void OrganizadorPaginas::dropEvent(QDropEvent* e) {
    e->acceptProposedAction();
    insertar(rutasLocales(e->mimeData()->urls()));
}

} // namespace Livora
