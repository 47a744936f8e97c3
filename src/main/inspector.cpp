#include "main/inspector.h"

#include "main/estilo.h"
#include "main/iconos.h"
#include "main/secciones_pdf.h"
#include "main/textos.h"
#include "main/vista_principal.h"
#include "motor/formato.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>
#include <QUrl>

#include <cmath>

namespace Livora {

namespace {

QLabel* seccion(const QString& t, QWidget* padre) {
    auto* l = new QLabel(t, padre);
    l->setObjectName("seccion");
    return l;
}

QWidget* tarjeta(QWidget* padre) {
    auto* w = new QFrame(padre);
    w->setObjectName("tarjeta");
    w->setStyleSheet("QFrame#tarjeta { background: white; border-radius: 10px; "
                     "border: 1px solid #e3e3e8; }");
    return w;
}

// The size field's number: a decimal float; anything else (or a leading space) is 0.
double numeroDe(const QString& t) {
    if (t.isEmpty() || t.front().isSpace()) return 0;
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && std::isfinite(d) ? d : 0;
}

} // namespace

// ---- Alternative row ----------------------------------------------------------------------

FilaVariante::FilaVariante(const Variante& v, const QString& ahorro, bool verde, bool elegida,
                           QWidget* padre)
    : QFrame(padre), id_(v.id), archivo_(v.urlTemp) {
    setObjectName("fila");
    setToolTip("Clic: previsualizar · arrastra esta fila a una carpeta, un correo o un chat "
               "para soltar el archivo");
    setCursor(Qt::PointingHandCursor);
    setProperty("elegida", elegida);
    setStyleSheet(elegida ? "QFrame#fila { background: rgba(79,107,237,0.14); border-radius: 8px; }"
                          : "QFrame#fila { border-radius: 8px; }");
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(8, 4, 8, 4);
    h->setSpacing(10);
    auto* marca = new QLabel(this);
    marca->setPixmap(elegida ? pixmapIcono("checkmark.circle.fill", Estilo::acento, 17, 2)
                             : pixmapIcono("circle", Estilo::terciario, 17, 2));
    h->addWidget(marca);
    auto* izq = new QVBoxLayout;
    izq->setSpacing(0);
    auto* nombre = new QLabel(QString::fromStdString(v.nombre), this);
    nombre->setStyleSheet("font-weight: 500;");
    auto* detalle = new QLabel(QString::fromStdString(v.detalle), this);
    detalle->setStyleSheet("color: #6e6e73; font-size: 11px;");
    izq->addWidget(nombre);
    izq->addWidget(detalle);
    h->addLayout(izq, 1);
    auto* der = new QVBoxLayout;
    der->setSpacing(0);
    auto* tam = new QLabel(QString::fromStdString(formatoBytes(v.bytes)), this);
    tam->setAlignment(Qt::AlignRight);
    auto* aho = new QLabel(ahorro, this);
    aho->setObjectName("ahorro");
    aho->setAlignment(Qt::AlignRight);
    aho->setStyleSheet(QString("font-weight: 700; font-size: 11px; color: %1;")
                           .arg((verde ? Estilo::verde : Estilo::naranja).name()));
    der->addWidget(tam);
    der->addWidget(aho);
    h->addLayout(der);
}

void FilaVariante::mousePressEvent(QMouseEvent* e) {
    inicio_ = e->position().toPoint();
    arrastre_ = false;
}

void FilaVariante::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton) || arrastre_) return;
    if ((e->position().toPoint() - inicio_).manhattanLength() < QApplication::startDragDistance())
        return;
    arrastre_ = true;
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
    if (!arrastre_) Q_EMIT elegida(id_);
}

// ---- Inspector ------------------------------------------------------------------------------

Inspector::Inspector(VistaPrincipal& vista, QWidget* padre) : QWidget(padre), vista_(vista) {
    setObjectName("inspector");
    setAttribute(Qt::WA_StyledBackground);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    formulario_ = new QWidget(scroll);
    formulario_->setObjectName("formulario");
    formulario_->setStyleSheet("QWidget#formulario { background: transparent; }");
    auto* f = new QVBoxLayout(formulario_);
    f->setContentsMargins(14, 10, 14, 10);
    f->setSpacing(6);

    // Untitled section: the metadata switch.
    metadatos_ = new QCheckBox("Quitar metadatos de las salidas", formulario_);
    metadatos_->setToolTip("Ver qué metadatos contiene este archivo");
    f->addWidget(metadatos_);

    // "Salidas".
    salidas_ = new QWidget(formulario_);
    auto* sv = new QVBoxLayout(salidas_);
    sv->setContentsMargins(0, 0, 0, 0);
    sv->setSpacing(4);
    sv->addWidget(seccion("Salidas", salidas_));
    auto* filas = tarjeta(salidas_);
    filasLayout_ = new QVBoxLayout(filas);
    filasLayout_->setContentsMargins(4, 4, 4, 4);
    filasLayout_->setSpacing(2);
    sv->addWidget(filas);
    filaObjetivo_ = new QWidget(salidas_);
    auto* ob = new QHBoxLayout(filaObjetivo_);
    ob->setContentsMargins(6, 6, 6, 0);
    auto* obSim = new QLabel(filaObjetivo_);
    obSim->setPixmap(pixmapIcono("scope", Estilo::secundario, 14, 2));
    ob->addWidget(obSim);
    auto* obT = new QLabel("Peso objetivo", filaObjetivo_);
    obT->setStyleSheet("color: #6e6e73; font-size: 11px;");
    ob->addWidget(obT);
    ob->addStretch(1);
    objetivo_ = new QLineEdit(filaObjetivo_);
    objetivo_->setPlaceholderText("500");
    objetivo_->setFixedWidth(64);
    ob->addWidget(objetivo_);
    auto* kb = new QLabel("KB", filaObjetivo_);
    kb->setStyleSheet("color: #6e6e73; font-size: 11px;");
    ob->addWidget(kb);
    ajustar_ = new QPushButton("Ajustar", filaObjetivo_);
    ob->addWidget(ajustar_);
    sv->addWidget(filaObjetivo_);
    f->addWidget(salidas_);

    // "Personalizada".
    personalizada_ = new QWidget(formulario_);
    auto* pv = new QVBoxLayout(personalizada_);
    pv->setContentsMargins(0, 0, 0, 0);
    pv->addWidget(seccion("Personalizada", personalizada_));
    auto* pt = tarjeta(personalizada_);
    auto* ptv = new QVBoxLayout(pt);
    ptv->setContentsMargins(10, 10, 10, 10);
    ptv->setSpacing(8);
    auto* fq = new QHBoxLayout;
    auto* lq = new QLabel("Calidad", pt);
    lq->setStyleSheet("color: #6e6e73; font-size: 11px;");
    fq->addWidget(lq);
    calidad_ = new QSlider(Qt::Horizontal, pt);
    calidad_->setRange(2, 20); // ×5: 10 … 100 in steps of 5
    fq->addWidget(calidad_, 1);
    calidadTexto_ = new QLabel(pt);
    calidadTexto_->setFixedWidth(40);
    calidadTexto_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fq->addWidget(calidadTexto_);
    ptv->addLayout(fq);
    auto* fr = new QHBoxLayout;
    auto* lr = new QLabel("Resolución", pt);
    lr->setStyleSheet("color: #6e6e73; font-size: 11px;");
    fr->addWidget(lr);
    ancho_ = new QLineEdit(pt);
    ancho_->setFixedWidth(60);
    alto_ = new QLineEdit(pt);
    alto_->setFixedWidth(60);
    candado_ = new QPushButton(pt);
    candado_->setFlat(true);
    candado_->setToolTip("Mantener proporción");
    fr->addWidget(ancho_);
    fr->addWidget(candado_);
    fr->addWidget(alto_);
    fr->addWidget(new QLabel("px", pt));
    original_ = new QPushButton("Original", pt);
    original_->setFlat(true);
    fr->addWidget(original_);
    fr->addStretch(1);
    ptv->addLayout(fr);
    pv->addWidget(pt);
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
    connect(metadatos_, &QCheckBox::toggled, this,
            [this](bool si) { vista_.setQuitarMetadatos(si); });
    connect(objetivo_, &QLineEdit::textEdited, this,
            [this](const QString& t) { vista_.setObjetivoTexto(t.toStdString()); });
    connect(ajustar_, &QPushButton::clicked, this, [this] { vista_.ajustarObjetivo(); });
    auto custom = [this](double q, double w, double h, bool lock) {
        vista_.setAjustesCustom(q, w, h, lock);
    };
    connect(calidad_, &QSlider::valueChanged, this, [this, custom](int v) {
        const auto& a = vista_.estado().ajustes;
        custom(v * 5.0, a.anchoCustom, a.altoCustom, a.proporcionBloqueada);
    });
    auto lado = [this, custom](bool esAncho, const QString& t) {
        const auto& a = vista_.estado().ajustes;
        const double valor = numeroDe(t);
        double w = a.anchoCustom, h = a.altoCustom;
        const ArchivoEstado* x = vista_.estado().archivoActivo();
        const bool hayFuente = x && x->fuente;
        if (esAncho) {
            if (a.proporcionBloqueada && valor > 0 && hayFuente && x->fuente->width() >= 1)
                h = std::round(valor * x->fuente->height() / x->fuente->width());
            w = valor;
        } else {
            if (a.proporcionBloqueada && valor > 0 && hayFuente && x->fuente->height() >= 1)
                w = std::round(valor * x->fuente->width() / x->fuente->height());
            h = valor;
        }
        custom(a.calidadCustom, w, h, a.proporcionBloqueada);
    };
    connect(ancho_, &QLineEdit::textEdited, this, [lado](const QString& t) { lado(true, t); });
    connect(alto_, &QLineEdit::textEdited, this, [lado](const QString& t) { lado(false, t); });
    connect(candado_, &QPushButton::clicked, this, [this, custom] {
        const auto& a = vista_.estado().ajustes;
        custom(a.calidadCustom, a.anchoCustom, a.altoCustom, !a.proporcionBloqueada);
    });
    connect(original_, &QPushButton::clicked, this, [this, custom] {
        const auto& a = vista_.estado().ajustes;
        custom(a.calidadCustom, 0, 0, a.proporcionBloqueada);
    });
}

QList<FilaVariante*> Inspector::filas() const {
    return formulario_->findChildren<FilaVariante*>();
}

void Inspector::reconstruirFilas(const EstadoVentana& e) {
    while (auto* it = filasLayout_->takeAt(0)) {
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
    // Rows are rebuilt only when the alternatives or the choice changed.
    std::string firma = a->id.texto() + (a->seleccionada ? a->seleccionada->texto() : "-") +
                        (e.procesando ? "p" : "");
    for (const auto& v : a->variantes)
        firma += v.id.texto();
    if (firma != firma_) {
        firma_ = firma;
        reconstruirFilas(e);
    }
    metadatos_->setVisible(a->esImagen);
    {
        const QSignalBlocker b1(metadatos_);
        metadatos_->setChecked(e.ajustes.quitarMetadatos);
    }
    filaObjetivo_->setVisible(a->esImagen);
    if (!objetivo_->hasFocus()) objetivo_->setText(QString::fromStdString(e.objetivoTexto));
    ajustar_->setEnabled(objetivoDeTexto(e.objetivoTexto).has_value());
    const Variante* v = e.varianteActiva();
    personalizada_->setVisible(a->esImagen && v && v->sufijo == "personalizada");
    {
        const QSignalBlocker b2(calidad_);
        calidad_->setValue(int(e.ajustes.calidadCustom / 5));
    }
    calidadTexto_->setText(QString::number(int(e.ajustes.calidadCustom)) + " %");
    auto texto = [](double d) { return d > 0 ? QString::number(qint64(d)) : QString(); };
    if (!ancho_->hasFocus()) ancho_->setText(texto(e.ajustes.anchoCustom));
    if (!alto_->hasFocus()) alto_->setText(texto(e.ajustes.altoCustom));
    ancho_->setPlaceholderText(a->fuente ? QString::number(a->fuente->width()) : "Ancho");
    alto_->setPlaceholderText(a->fuente ? QString::number(a->fuente->height()) : "Alto");
    candado_->setIcon(
        icono(e.ajustes.proporcionBloqueada ? "lock.fill" : "lock.open.fill", Estilo::secundario));
    original_->setVisible(e.ajustes.anchoCustom > 0 || e.ajustes.altoCustom > 0);
    seccionesPDF_->setVisible(!a->esImagen);
    if (!a->esImagen) seccionesPDF_->mostrar(*a, e.opcionesBorrador, e.procesando);
}

} // namespace Livora
