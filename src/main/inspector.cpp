#include "main/inspector.h"

#include "main/estilo.h"
#include "main/iconos.h"
#include "main/secciones_pdf.h"
#include "main/textos.h"
#include "main/vista_principal.h"
#include "motor/formato.h"
#include "motor/temporales.h"
#include "vistas/controles_personalizada.h"
#include "vistas/fila_objetivo.h"
#include "vistas/metadatos_vista.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QUrl>

namespace Livora {

// ---- Alternative row ----------------------------------------------------------------------

class FilaVariante::EnManejador {
public:
    explicit EnManejador(FilaVariante* f) : f_(f) { ++f_->ocupada_; }
    ~EnManejador() {
        if (--f_->ocupada_ == 0 && f_->retirada_) f_->deleteLater();
    }
    EnManejador(const EnManejador&) = delete;
    EnManejador& operator=(const EnManejador&) = delete;

private:
    FilaVariante* f_;
};

FilaVariante::FilaVariante(const Variante& v, const QString& ahorro, bool verde, bool elegida,
                           QWidget* padre)
    : QFrame(padre), id_(v.id), archivo_(v.urlTemp), elegida_(elegida) {
    setObjectName("fila");
    setToolTip("Clic: previsualizar · arrastra esta fila a una carpeta, un correo o un chat "
               "para soltar el archivo");
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab (a click does not take the focus from a field).
    setFocusPolicy(Qt::TabFocus);
    resalte_ = elegida ? 1 : 0;
    anim_ = new QVariantAnimation(this);
    connect(anim_, &QVariantAnimation::valueChanged, this, [this](const QVariant& x) {
        resalte_ = x.toReal();
        update();
    });
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(8, 4, 8, 4);
    h->setSpacing(10);
    marca_ = new QLabel(this);
    marca_->setPixmap(elegida ? pixmapIcono("checkmark.circle.fill", Estilo::acento, 17, 2)
                              : pixmapIcono("circle", Estilo::terciario, 17, 2));
    h->addWidget(marca_);
    auto* izq = new QVBoxLayout;
    izq->setSpacing(0);
    auto* nombre = new QLabel(QString::fromStdString(v.nombre), this);
    nombre->setObjectName("nombreFila");
    auto* detalle = new QLabel(QString::fromStdString(v.detalle), this);
    detalle->setObjectName("detalleFila");
    izq->addWidget(nombre);
    izq->addWidget(detalle);
    h->addLayout(izq, 1);
    auto* der = new QVBoxLayout;
    der->setSpacing(0);
    const QString tamano = QString::fromStdString(formatoBytes(v.bytes));
    auto* tam = new QLabel(tamano, this);
    tam->setAlignment(Qt::AlignRight);
    auto* aho = new QLabel(ahorro, this);
    aho->setObjectName("ahorro");
    aho->setProperty("verde", verde);
    aho->setAlignment(Qt::AlignRight);
    der->addWidget(tam);
    der->addWidget(aho);
    h->addLayout(der);
    QStringList partes{QString::fromStdString(v.nombre), QString::fromStdString(v.detalle), tamano,
                       ahorro};
    partes.removeAll(QString());
    setAccessibleName(partes.join(", "));
}

void FilaVariante::setElegida(bool si, Transicion t) {
    if (si == elegida_) return;
    elegida_ = si;
    marca_->setPixmap(si ? pixmapIcono("checkmark.circle.fill", Estilo::acento, 17, 2)
                         : pixmapIcono("circle", Estilo::terciario, 17, 2));
    anim_->stop();
    configurar(anim_, t);
    anim_->setStartValue(resalte_);
    anim_->setEndValue(si ? 1.0 : 0.0);
    anim_->start();
}

void FilaVariante::retirar() {
    if (retirada_) return;
    retirada_ = true;
    hide();
    if (ocupada_ == 0) deleteLater();
}

void FilaVariante::paintEvent(QPaintEvent* e) {
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        if (resalte_ > 0.001) {
            QColor fondo = Estilo::acento;
            fondo.setAlphaF(0.14 * std::clamp(resalte_, 0.0, 1.2));
            p.setPen(Qt::NoPen);
            p.setBrush(fondo);
            p.drawRoundedRect(r, 8, 8);
        }
        if (hasFocus()) {
            p.setPen(QPen(Estilo::acento, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        }
    }
    QFrame::paintEvent(e);
}

void FilaVariante::elegir() {
    Q_EMIT elegida(id_);
}

void FilaVariante::keyPressEvent(QKeyEvent* e) {
    EnManejador g(this);
    if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        elegir();
    else
        QFrame::keyPressEvent(e);
}

void FilaVariante::mousePressEvent(QMouseEvent* e) {
    inicio_ = e->position().toPoint();
    arrastre_ = false;
}

void FilaVariante::mouseMoveEvent(QMouseEvent* e) {
    EnManejador g(this);
    if (!(e->buttons() & Qt::LeftButton) || arrastre_) return;
    if ((e->position().toPoint() - inicio_).manhattanLength() < QApplication::startDragDistance())
        return;
    arrastre_ = true;
    // Dropped elsewhere, the file must outlive the window's cleaning.
    entregarTemporal(archivo_);
    auto* datos = new QMimeData;
    // An unreadable file still starts a drag, just an empty one.
    if (std::error_code ec; std::filesystem::is_regular_file(archivo_, ec))
        datos->setUrls({QUrl::fromLocalFile(QString::fromStdString(archivo_.string()))});
    auto* drag = new QDrag(this);
    drag->setMimeData(datos);
    drag->setPixmap(grab().scaledToWidth(220, Qt::SmoothTransformation));
    drag->exec(Qt::CopyAction);
}

void FilaVariante::mouseReleaseEvent(QMouseEvent*) {
    EnManejador g(this);
    if (!arrastre_) elegir();
}

// ---- Inspector ------------------------------------------------------------------------------

Inspector::Inspector(VistaPrincipal& vista, QWidget* padre) : QWidget(padre), vista_(vista) {
    setObjectName("inspector");
    setAttribute(Qt::WA_StyledBackground);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* scroll = new QScrollArea(this);
    // Tab goes to the controls inside, not to the scrolling frame around them.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    formulario_ = new QWidget(scroll);
    formulario_->setObjectName("formulario");
    formulario_->setStyleSheet("QWidget#formulario { background: transparent; }");
    auto* f = new QVBoxLayout(formulario_);
    f->setContentsMargins(14, 10, 14, 10);
    f->setSpacing(6);

    // Untitled section: the metadata switch.
    metadatos_ = new FilaMetadatos(formulario_);
    f->addWidget(metadatos_);

    // "Salidas".
    salidas_ = new QWidget(formulario_);
    auto* sv = new QVBoxLayout(salidas_);
    sv->setContentsMargins(0, 0, 0, 0);
    sv->setSpacing(4);
    sv->addWidget(Estilo::tituloSeccion("Salidas", salidas_));
    auto* filas = Estilo::tarjeta(salidas_);
    filasLayout_ = new QVBoxLayout(filas);
    filasLayout_->setContentsMargins(4, 4, 4, 4);
    filasLayout_->setSpacing(2);
    sv->addWidget(filas);
    filaObjetivo_ = new FilaObjetivo(salidas_);
    sv->addWidget(filaObjetivo_);
    f->addWidget(salidas_);

    // "Personalizada".
    personalizada_ = new QWidget(formulario_);
    auto* pv = new QVBoxLayout(personalizada_);
    pv->setContentsMargins(0, 0, 0, 0);
    pv->addWidget(Estilo::tituloSeccion("Personalizada", personalizada_));
    controles_ = new ControlesPersonalizada(personalizada_);
    pv->addWidget(controles_);
    f->addWidget(personalizada_);

    seccionesPDF_ = new SeccionesPDF(formulario_);
    f->addWidget(seccionesPDF_);
    connect(seccionesPDF_, &SeccionesPDF::borradorCambiado, this,
            [this](const OpcionesPDF& b) { vista_.setOpcionesBorrador(b); });
    connect(seccionesPDF_, &SeccionesPDF::aplicar, this, [this] { vista_.aplicarOpcionesPDF(); });
    connect(seccionesPDF_, &SeccionesPDF::descartar, this,
            [this] { vista_.descartarOpcionesPDF(); });
    connect(seccionesPDF_, &SeccionesPDF::restaurar, this, [this] { vista_.restaurarPaginas(); });
    connect(seccionesPDF_, &SeccionesPDF::organizar, this, [this] { vista_.abrirPaginas(); });
    f->addStretch(1);
    scroll->setWidget(formulario_);
    v->addWidget(scroll, 1);

    // Save buttons pinned below.
    auto* pie = new QVBoxLayout;
    pie->setContentsMargins(14, 14, 14, 14);
    pie->setSpacing(8);
    guardar_ = new QPushButton("Guardar", this);
    guardar_->setProperty("prominente", true);
    guardar_->setMinimumHeight(32);
    lote_ = new QPushButton("Guardar todas", this);
    pie->addWidget(guardar_);
    pie->addWidget(lote_);
    v->addLayout(pie);

    connect(guardar_, &QPushButton::clicked, this, [this] { vista_.guardar(false); });
    connect(lote_, &QPushButton::clicked, this, [this] { vista_.guardar(true); });
    connect(metadatos_, &FilaMetadatos::quitarMetadatosCambiado, this,
            [this](bool si) { vista_.setQuitarMetadatos(si); });
    connect(metadatos_, &FilaMetadatos::mostrarInfoCambiado, this,
            [this](bool si) { vista_.setMostrarInfoMetadatos(si); });
    connect(filaObjetivo_, &FilaObjetivo::textoCambiado, this,
            [this](const QString& t) { vista_.setObjetivoTexto(t.toStdString()); });
    // The window reads the size from its own text, which the row has just written.
    connect(filaObjetivo_, &FilaObjetivo::ajustar, this,
            [this](qint64) { vista_.ajustarObjetivo(); });
    connect(controles_, &ControlesPersonalizada::ajustesCambiados, this,
            [this](const AjustesImagen& a) {
                vista_.setAjustesCustom(a.calidadCustom, a.anchoCustom, a.altoCustom,
                                        a.proporcionBloqueada);
            });
    connect(controles_, &ControlesPersonalizada::regeneracionPedida, this,
            [this] { vista_.programarRegeneracionCustom(); });
}

QList<FilaVariante*> Inspector::filas() const {
    QList<FilaVariante*> r;
    for (FilaVariante* f : formulario_->findChildren<FilaVariante*>())
        if (!f->retirada()) r << f;
    return r;
}

void Inspector::reconstruirFilas(const EstadoVentana& e) {
    while (auto* it = filasLayout_->takeAt(0)) {
        if (auto* fila = qobject_cast<FilaVariante*>(it->widget()))
            fila->retirar();
        else
            delete it->widget();
        delete it;
    }
    const ArchivoEstado* a = e.archivoActivo();
    if (!a) return;
    for (const auto& v : a->variantes) {
        auto* fila = new FilaVariante(v, QString::fromStdString(ahorroActivo(e, v)),
                                      esAhorro(v.bytes, a->bytesOriginal), a->seleccionada == v.id,
                                      formulario_);
        connect(fila, &FilaVariante::elegida, this,
                [this](const Uuid& id) { vista_.elegirVariante(id); });
        filasLayout_->addWidget(fila);
    }
    if (a->variantes.empty()) {
        auto* l = new QLabel(e.procesando ? "Procesando…" : "Sin salidas", formulario_);
        l->setStyleSheet("color: #6e6e73; padding: 8px;");
        filasLayout_->addWidget(l);
    }
}

void Inspector::mostrar(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    formulario_->setVisible(a != nullptr);
    const BotonesGuardar b = botonesGuardar(e);
    guardar_->setText(QString::fromStdString(b.principal));
    guardar_->setEnabled(b.principalActivo);
    guardar_->setToolTip("Ctrl+S");
    lote_->setVisible(b.hayLote);
    lote_->setText(QString::fromStdString(b.lote));
    lote_->setToolTip(QString::fromStdString(b.ayudaLote));
    if (!a) {
        firma_.clear();
        return;
    }
    // Rows are rebuilt only when the alternatives changed; a new choice moves between them.
    // Whether anything is still being worked on only shows while there are none yet.
    std::string firma = a->id.texto() + (e.procesando && a->variantes.empty() ? "p" : "");
    for (const auto& v : a->variantes)
        firma += v.id.texto();
    if (firma != firma_) {
        firma_ = firma;
        reconstruirFilas(e);
    } else {
        for (FilaVariante* f : filas())
            f->setElegida(a->seleccionada == f->id(), vista_.transicion());
    }
    metadatos_->setVisible(a->esImagen);
    metadatos_->setQuitarMetadatos(e.ajustes.quitarMetadatos);
    metadatos_->setArchivo(QString::fromStdString(a->url.filename().string()), a->resumenMetadatos);
    metadatos_->setMostrarInfo(a->esImagen && e.mostrarInfoMetadatos);
    filaObjetivo_->setVisible(a->esImagen);
    filaObjetivo_->setTexto(QString::fromStdString(e.objetivoTexto));
    const Variante* v = e.varianteActiva();
    personalizada_->setVisible(a->esImagen && v && v->sufijo == "personalizada");
    if (a->fuente)
        controles_->setFuente(TamanoFuente{a->fuente->ancho, a->fuente->alto});
    else
        controles_->setFuente(std::nullopt);
    controles_->setAjustes(e.ajustes);
    seccionesPDF_->setVisible(!a->esImagen);
    if (!a->esImagen) seccionesPDF_->mostrar(*a, e.opcionesBorrador, e.procesando);
}

} // namespace Livora
