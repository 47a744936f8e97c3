#include "editores/panel_capas.h"

#include "editores/calculo_capas.h"
#include "editores/selector_emoji.h"
#include "vistas/estilo.h"
#include "vistas/simbolos.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace Livora {

namespace {

// The slider works in ten-thousandths of the picture's height.
constexpr int escalaTamano = 10000;

QColor colorQt(const Color& c) {
    return QColor::fromRgbF(float(std::clamp(c.r, 0.0, 1.0)), float(std::clamp(c.g, 0.0, 1.0)),
                            float(std::clamp(c.b, 0.0, 1.0)), float(std::clamp(c.a, 0.0, 1.0)));
}

} // namespace

PanelCapas::PanelCapas(QWidget* padre) : QWidget(padre) {
    pedirColor = [this](const QColor& inicial) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(inicial, this, "Color del texto",
                                                QColorDialog::ShowAlphaChannel);
        if (!c.isValid()) return std::nullopt;
        return c;
    };
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(10);

    controles_ = new QWidget(this);
    auto* fila = new QHBoxLayout(controles_);
    fila->setContentsMargins(0, 0, 0, 0);
    fila->setSpacing(10);
    auto* icono = new QLabel(controles_);
    icono->setPixmap(simbolo("textformat.size", colorSecundario(palette())).pixmap(16, 16));
    fila->addWidget(icono);
    tamano_ = new QSlider(Qt::Horizontal, controles_);
    tamano_->setRange(int(tamanoCapaMinimo * escalaTamano), int(tamanoCapaMaximo * escalaTamano));
    tamano_->setMaximumWidth(160);
    tamano_->setMinimumWidth(100);
    fila->addWidget(tamano_);
    connect(tamano_, &QSlider::valueChanged, this, [this](int valor) {
        escribir([valor](CapaTexto& c) { c.tamano = double(valor) / escalaTamano; });
    });
    color_ = new QPushButton(controles_);
    color_->setFixedSize(38, 24);
    color_->setToolTip("Color");
    fila->addWidget(color_);
    connect(color_, &QPushButton::clicked, this, [this] {
        if (!capa_ || !pedirColor) return;
        const auto c = pedirColor(colorQt(capa_->leer().color));
        if (!c) return;
        const Color nuevo{c->redF(), c->greenF(), c->blueF(), c->alphaF()};
        escribir([nuevo](CapaTexto& x) { x.color = nuevo; });
    });
    sombra_ = new QCheckBox("Sombra", controles_);
    fila->addWidget(sombra_);
    connect(sombra_, &QCheckBox::toggled, this,
            [this](bool si) { escribir([si](CapaTexto& c) { c.sombra = si; }); });
    fila->addStretch(1);
    emojis_ = new QPushButton(simbolo("face.smiling"), QString(), controles_);
    emojis_->setToolTip("Abrir el selector de emojis del sistema");
    emojis_->setFocusPolicy(Qt::NoFocus);
    fila->addWidget(emojis_);
    connect(emojis_, &QPushButton::clicked, this, [this] { Q_EMIT selectorPulsado(); });
    eliminar_ = new QPushButton(simbolo("trash", QColor(0xd7, 0x2c, 0x2c)), QString(), controles_);
    eliminar_->setToolTip("Eliminar este texto");
    eliminar_->setStyleSheet("QPushButton { border-color: rgba(215,44,44,0.45); }");
    fila->addWidget(eliminar_);
    connect(eliminar_, &QPushButton::clicked, this, [this] { Q_EMIT eliminarPulsado(); });
    v->addWidget(controles_);

    pista_ = new QLabel("Añade un texto, toca uno existente, o suelta un emoji como sticker", this);
    pista_->setFont(fuenteCaption(font()));
    QPalette pp = pista_->palette();
    pp.setColor(QPalette::WindowText, colorSecundario(palette()));
    pista_->setPalette(pp);
    // Both take the same room, so the picture above does not jump when the selection goes.
    pista_->setMinimumHeight(controles_->sizeHint().height());
    v->addWidget(pista_);

    auto* filaEmoji = new QHBoxLayout;
    filaEmoji->setSpacing(2);
    QFont grande = fuenteEmoji(font(), 18);
    for (const auto& e : emojisRapidos()) {
        const QString emoji = QString::fromStdString(e);
        auto* b = new QPushButton(emoji, this);
        b->setFlat(true);
        b->setFont(grande);
        b->setCursor(Qt::PointingHandCursor);
        // Clicking one while typing must leave the keyboard in the text field.
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet("QPushButton { border: none; background: transparent; padding: 2px; }"
                         "QPushButton:hover { background: rgba(0,0,0,0.06); }");
        connect(b, &QPushButton::clicked, this, [this, emoji] { Q_EMIT emojiElegido(emoji); });
        filaEmoji->addWidget(b);
        rapidos_.push_back(b);
    }
    pistaRapidos_ = new QLabel(this);
    pistaRapidos_->setFont(fuenteCaption(font()));
    QPalette pt = pistaRapidos_->palette();
    pt.setColor(QPalette::WindowText, colorTerciario(palette()));
    pistaRapidos_->setPalette(pt);
    filaEmoji->addWidget(pistaRapidos_);
    filaEmoji->addStretch(1);
    v->addLayout(filaEmoji);

    anadir_ = new QPushButton(simbolo("plus"), "Añadir texto", this);
    connect(anadir_, &QPushButton::clicked, this, [this] { Q_EMIT anadirPulsado(); });
    auto* filaAnadir = new QHBoxLayout;
    filaAnadir->addWidget(anadir_);
    filaAnadir->addStretch(1);
    v->addLayout(filaAnadir);
    mostrar(std::nullopt, false);
}

void PanelCapas::escribir(const std::function<void(CapaTexto&)>& cambio) {
    if (!capa_) return;
    CapaTexto c = capa_->leer();
    cambio(c);
    capa_->escribir(c);
}

void PanelCapas::pintarMuestra(const Color& c) {
    // The swatch shows the colour over a checkerboard, so transparency is visible.
    QPixmap pm(26, 14);
    pm.fill(Qt::white);
    QPainter p(&pm);
    for (int y = 0; y < 14; y += 7)
        for (int x = 0; x < 26; x += 7)
            if (((x + y) / 7) % 2) p.fillRect(x, y, 7, 7, QColor(200, 200, 204));
    p.fillRect(pm.rect(), colorQt(c));
    p.setPen(QColor(0, 0, 0, 60));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    p.end();
    color_->setIcon(QIcon(pm));
    color_->setIconSize(pm.size());
}

void PanelCapas::mostrar(std::optional<Enlace<CapaTexto>> seleccionada, bool editando) {
    capa_ = std::move(seleccionada);
    controles_->setVisible(capa_.has_value());
    pista_->setVisible(!capa_.has_value());
    if (capa_) {
        const CapaTexto c = capa_->leer();
        const QSignalBlocker b1(tamano_), b2(sombra_);
        tamano_->setValue(int(std::lround(c.tamano * escalaTamano)));
        sombra_->setChecked(c.sombra);
        pintarMuestra(c.color);
    }
    pistaRapidos_->setText(editando ? "→ se añade al texto" : "→ se suelta como sticker");
}

} // namespace Livora
