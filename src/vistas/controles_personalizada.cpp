#include "vistas/controles_personalizada.h"

#include "modelo/presets.h"
#include "vistas/estilo.h"
#include "vistas/simbolos.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace Livora {

namespace {

QLineEdit* campo(QWidget* padre, const char* nombre) {
    auto* c = new QLineEdit(padre);
    c->setObjectName(nombre);
    c->setFixedWidth(60);
    c->setAlignment(Qt::AlignRight);
    return c;
}

// Menu texts treat "&" as a mnemonic marker; preset names use it literally.
QString textoMenu(const std::string& s) {
    return QString::fromStdString(s).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

ControlesPersonalizada::ControlesPersonalizada(QWidget* parent) : QWidget(parent) {
    auto* pila = new QVBoxLayout(this);
    pila->setContentsMargins(10, 10, 10, 10);
    pila->setSpacing(8);

    auto* filaCalidad = new QHBoxLayout;
    filaCalidad->addWidget(rotulo(QStringLiteral("Calidad"), this));
    calidad_ = new QSlider(Qt::Horizontal, this);
    calidad_->setObjectName(QStringLiteral("calidad"));
    // Steps of 5 from 10 to 100.
    calidad_->setRange(2, 20);
    calidad_->setPageStep(2);
    calidad_->setAccessibleName(QStringLiteral("Calidad"));
    filaCalidad->addWidget(calidad_, 1);
    textoCalidad_ = new QLabel(this);
    textoCalidad_->setObjectName(QStringLiteral("textoCalidad"));
    textoCalidad_->setFont(conCifrasFijas(fuenteCaption(font())));
    textoCalidad_->setFixedWidth(40);
    textoCalidad_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    filaCalidad->addWidget(textoCalidad_);
    pila->addLayout(filaCalidad);

    auto* cabecera = new QHBoxLayout;
    cabecera->addWidget(rotulo(QStringLiteral("Resolución"), this));
    cabecera->addStretch(1);
    original_ = new QToolButton(this);
    original_->setObjectName(QStringLiteral("original"));
    original_->setText(QStringLiteral("Original"));
    original_->setAutoRaise(true);
    original_->setFont(fuenteCaption(font()));
    cabecera->addWidget(original_);
    pila->addLayout(cabecera);

    auto* filaTamano = new QHBoxLayout;
    filaTamano->setSpacing(4);
    ancho_ = campo(this, "ancho");
    ancho_->setAccessibleName(QStringLiteral("Ancho"));
    candado_ = new QToolButton(this);
    candado_->setObjectName(QStringLiteral("candado"));
    candado_->setAutoRaise(true);
    candado_->setToolTip(QStringLiteral("Mantener proporción"));
    candado_->setAccessibleName(QStringLiteral("Mantener proporción"));
    alto_ = campo(this, "alto");
    alto_->setAccessibleName(QStringLiteral("Alto"));
    filaTamano->addWidget(ancho_);
    filaTamano->addWidget(candado_);
    filaTamano->addWidget(alto_);
    filaTamano->addWidget(rotulo(QStringLiteral("px"), this));
    filaTamano->addStretch(1);

    presets_ = new QToolButton(this);
    presets_->setObjectName(QStringLiteral("presets"));
    presets_->setAutoRaise(true);
    presets_->setPopupMode(QToolButton::InstantPopup);
    presets_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    presets_->setIcon(simbolo(QStringLiteral("rectangle.on.rectangle")));
    presets_->setText(QStringLiteral("Predefinida"));
    presets_->setToolTip(QStringLiteral("Elegir resolución predefinida"));
    auto* menu = new QMenu(presets_);
    menu->setObjectName(QStringLiteral("menuPresetsResolucion"));
    for (const auto& grupo : gruposPresetsResolucion()) {
        menu->addSection(QString::fromStdString(grupo.nombre));
        for (const auto& preset : grupo.presets) {
            auto* accion = menu->addAction(textoMenu(etiquetaPreset(preset)));
            connect(accion, &QAction::triggered, this, [this, preset] {
                elegirPreset(ajustes_, preset);
                cambiar(true);
            });
        }
    }
    presets_->setMenu(menu);
    filaTamano->addWidget(presets_);
    pila->addLayout(filaTamano);

    connect(calidad_, &QSlider::valueChanged, this, [this](int v) {
        if (refrescando_) return;
        ajustes_.calidadCustom = v * 5.0;
        cambiar(true);
    });
    connect(ancho_, &QLineEdit::textEdited, this,
            [this](const QString& t) { tamanoEscrito(true, t); });
    connect(alto_, &QLineEdit::textEdited, this,
            [this](const QString& t) { tamanoEscrito(false, t); });
    // Once editing ends the field shows what was stored: letters vanish, the placeholder
    // comes back.
    connect(ancho_, &QLineEdit::editingFinished, this, &ControlesPersonalizada::refrescar);
    connect(alto_, &QLineEdit::editingFinished, this, &ControlesPersonalizada::refrescar);
    connect(candado_, &QToolButton::clicked, this, [this] {
        ajustes_.proporcionBloqueada = !ajustes_.proporcionBloqueada;
        cambiar(false);
    });
    connect(original_, &QToolButton::clicked, this, [this] {
        tamanoOriginal(ajustes_);
        cambiar(true);
    });

    setFuente(std::nullopt);
    refrescar();
}

void ControlesPersonalizada::setAjustes(const AjustesImagen& ajustes) {
    ajustes_ = ajustes;
    refrescar();
}

void ControlesPersonalizada::setFuente(const std::optional<TamanoFuente>& fuente) {
    fuente_ = fuente;
    ancho_->setPlaceholderText(fuente ? QString::number(fuente->ancho) : QStringLiteral("Ancho"));
    alto_->setPlaceholderText(fuente ? QString::number(fuente->alto) : QStringLiteral("Alto"));
}

void ControlesPersonalizada::tamanoEscrito(bool ancho, const QString& texto) {
    const double v = leerTamano(texto.toStdString());
    const AjustesImagen antes = ajustes_;
    if (ancho)
        escribirAncho(ajustes_, v, fuente_);
    else
        escribirAlto(ajustes_, v, fuente_);
    // Only a real change of size regenerates: "1000" → "1000." or "abc" on an empty
    // field changes nothing.
    cambiar(ajustes_.anchoCustom != antes.anchoCustom || ajustes_.altoCustom != antes.altoCustom);
}

void ControlesPersonalizada::cambiar(bool regenerar) {
    refrescar();
    Q_EMIT ajustesCambiados(ajustes_);
    if (regenerar) Q_EMIT regeneracionPedida();
}

void ControlesPersonalizada::refrescar() {
    refrescando_ = true;
    calidad_->setValue(static_cast<int>(calidadEnPaso(ajustes_.calidadCustom) / 5));
    textoCalidad_->setText(QString::fromStdString(textoCalidad(ajustes_.calidadCustom)));
    // A field being typed in keeps its text while it still means the stored value
    // ("1." stays "1." rather than jumping to "1").
    const auto mostrar = [](QLineEdit* c, double valor) {
        const QString texto = QString::fromStdString(textoTamano(valor));
        if (c->hasFocus() && leerTamano(c->text().toStdString()) == valor) return;
        if (c->text() != texto) c->setText(texto);
    };
    mostrar(ancho_, ajustes_.anchoCustom);
    mostrar(alto_, ajustes_.altoCustom);
    candado_->setIcon(simbolo(ajustes_.proporcionBloqueada ? QStringLiteral("lock.fill")
                                                           : QStringLiteral("lock.open.fill")));
    candado_->setChecked(ajustes_.proporcionBloqueada);
    original_->setVisible(hayTamanoCustom(ajustes_));
    refrescando_ = false;
}

void ControlesPersonalizada::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath fondo;
    fondo.addRoundedRect(QRectF(rect()), 10, 10);
    p.fillPath(fondo, colorPrimario(palette(), 0.05));
}

} // namespace Livora
