#include "vistas/panel_filtros.h"

#include "vistas/estilo.h"
#include "vistas/panel_filtros_celdas.h"
#include "vistas/simbolos.h"

#if __has_include("motor/filtros.h")
#include "motor/filtros.h"
#define LIVORA_HAY_FILTROS 1
#endif

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace Livora {

std::vector<EntradaPresetFiltro> presetsPanelFiltros() {
#ifdef LIVORA_HAY_FILTROS
    std::vector<EntradaPresetFiltro> v;
    for (const auto& p : presetsFiltro())
        v.push_back({p.clave, p.nombre});
    return v;
#else
    return {{"ninguno", "Ninguno"},  {"mono", "Mono"},     {"noir", "Noir"},
            {"sepia", "Sepia"},      {"fade", "Desvaído"}, {"chrome", "Chrome"},
            {"invertir", "Invertir"}};
#endif
}

bool difiereDeNeutro(double valor, double neutro) {
    return std::fabs(valor - neutro) >= 0.001;
}

namespace {

// A strip without scroll bars still scrolls with an ordinary (vertical) mouse wheel.
class FranjaHorizontal : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    void wheelEvent(QWheelEvent* e) override {
        const QPoint d = e->angleDelta();
        const int paso = std::abs(d.x()) > std::abs(d.y()) ? d.x() : d.y();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - paso / 2);
        e->accept();
    }
};

} // namespace

PanelFiltros::PanelFiltros(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panelFiltros"));
    auto* pila = new QVBoxLayout(this);
    pila->setContentsMargins(12, 12, 12, 12);
    pila->setSpacing(10);

    auto* franja = new FranjaHorizontal(this);
    franja->setFrameShape(QFrame::NoFrame);
    franja->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    franja->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    franja->setWidgetResizable(true);
    // The strip sits on the panel's glass: nothing of it may paint a background.
    QPalette transparente = franja->palette();
    transparente.setColor(QPalette::Window, Qt::transparent);
    transparente.setColor(QPalette::Base, Qt::transparent);
    franja->setPalette(transparente);
    franja->viewport()->setAutoFillBackground(false);
    auto* contenido = new QWidget(franja);
    contenido->setPalette(transparente);
    contenido->setAutoFillBackground(false);
    auto* celdas = new QHBoxLayout(contenido);
    celdas->setContentsMargins(0, 0, 0, 0);
    celdas->setSpacing(14);
    for (const auto& p : presetsPanelFiltros()) {
        auto* c = new CeldaPreset(QString::fromStdString(p.clave), QString::fromStdString(p.nombre),
                                  contenido);
        connect(c, &CeldaPreset::clicked, this, [this, clave = p.clave] {
            FiltroAjustes f = filtros_;
            f.preset = clave;
            cambiar(f);
        });
        celdas->addWidget(c);
        celdas_.push_back(c);
    }
    celdas->addStretch(1);
    franja->setWidget(contenido);
    franja->setFixedHeight(contenido->sizeHint().height());
    pila->addWidget(franja);

    auto* filas = new QHBoxLayout;
    filas->setSpacing(14);
    brillo_ =
        new Deslizador(QStringLiteral("sun.max"), QStringLiteral("Brillo"), -0.3, 0.3, 0.0, this);
    contraste_ = new Deslizador(QStringLiteral("circle.lefthalf.filled"),
                                QStringLiteral("Contraste"), 0.7, 1.4, 1.0, this);
    saturacion_ = new Deslizador(QStringLiteral("drop.halffull"), QStringLiteral("Saturación"), 0.0,
                                 2.0, 1.0, this);
    brillo_->setObjectName(QStringLiteral("brillo"));
    contraste_->setObjectName(QStringLiteral("contraste"));
    saturacion_->setObjectName(QStringLiteral("saturacion"));
    for (auto* d : {brillo_, contraste_, saturacion_})
        filas->addWidget(d, 1);
    connect(brillo_, &Deslizador::valorCambiado, this, [this](double v) {
        FiltroAjustes f = filtros_;
        f.brillo = v;
        cambiar(f);
    });
    connect(contraste_, &Deslizador::valorCambiado, this, [this](double v) {
        FiltroAjustes f = filtros_;
        f.contraste = v;
        cambiar(f);
    });
    connect(saturacion_, &Deslizador::valorCambiado, this, [this](double v) {
        FiltroAjustes f = filtros_;
        f.saturacion = v;
        cambiar(f);
    });

    restablecer_ = new QToolButton(this);
    restablecer_->setObjectName(QStringLiteral("restablecer"));
    restablecer_->setAutoRaise(true);
    restablecer_->setIcon(simbolo(QStringLiteral("arrow.counterclockwise")));
    restablecer_->setToolTip(QStringLiteral("Restablecer filtros"));
    restablecer_->setAccessibleName(QStringLiteral("Restablecer filtros"));
    // Keeps its place when hidden, so the sliders do not jump as it comes and goes.
    QSizePolicy sp = restablecer_->sizePolicy();
    sp.setRetainSizeWhenHidden(true);
    restablecer_->setSizePolicy(sp);
    connect(restablecer_, &QToolButton::clicked, this, [this] { cambiar(FiltroAjustes{}); });
    filas->addWidget(restablecer_);
    pila->addLayout(filas);

    refrescar();
}

void PanelFiltros::setFiltros(const FiltroAjustes& filtros) {
    filtros_ = filtros;
    refrescar();
}

void PanelFiltros::setMiniaturas(const std::map<std::string, QImage>& miniaturas) {
    for (auto* c : celdas_) {
        auto it = miniaturas.find(c->clave().toStdString());
        c->setMiniatura(it != miniaturas.end() ? it->second : QImage());
    }
}

void PanelFiltros::cambiar(const FiltroAjustes& nuevo) {
    filtros_ = nuevo;
    refrescar();
    Q_EMIT filtrosCambiados(filtros_);
}

void PanelFiltros::refrescar() {
    for (auto* c : celdas_)
        c->setActiva(c->clave().toStdString() == filtros_.preset);
    brillo_->setValor(filtros_.brillo);
    contraste_->setValor(filtros_.contraste);
    saturacion_->setValor(filtros_.saturacion);
    restablecer_->setVisible(!filtros_.esNeutro());
}

void PanelFiltros::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPainterPath forma;
    forma.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
    pintarVidrio(p, forma);
}

} // namespace Livora
