// The content area's editor pages: the text-layer editor with its panel, and the crop editor.
#include "editores/panel_capas.h"
#include "editores/selector_emoji.h"
#include "editores/vista_capas.h"
#include "editores/vista_recorte.h"
#include "main/estilo.h"
#include "main/iconos.h"
#include "main/panel_derecho.h"
#include "main/vista_principal.h"
#include "motor/recorte.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace Livora {

namespace {

// The picture an editor shows: the record's "before" picture, decoded at the shown size.
template <class Editor> void fijarImagen(Editor* editor, const ArchivoEstado& a) {
    const ImagenFuente& antes = *a.previewAntes;
    editor->setImagen(QSize(static_cast<int>(antes.ancho), static_cast<int>(antes.alto)),
                      proveedorFuente(antes), QString::fromStdString(a.id.texto() + antes.clave()));
}

} // namespace

QWidget* PanelDerecho::paginaTexto() {
    auto* w = new QWidget(this);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(14, 14, 14, 14);
    v->setSpacing(12);
    auto* fila = new QHBoxLayout;
    auto* t = new QLabel("Editando texto", w);
    t->setStyleSheet("font-weight: 600;");
    fila->addWidget(t);
    fila->addStretch(1);
    listo_ = new QPushButton(icono("checkmark", Qt::white), "Listo", w);
    listo_->setProperty("prominente", true);
    fila->addWidget(listo_);
    v->addLayout(fila);
    capas_ = new VistaCapas(w);
    v->addWidget(capas_, 1);
    panelCapas_ = new PanelCapas(w);
    v->addWidget(panelCapas_);
    selector_ = new SelectorEmoji(this);

    connect(listo_, &QPushButton::clicked, this, [this] { vista_.terminarTexto(); });
    connect(panelCapas_, &PanelCapas::emojiElegido, this,
            [this](const QString& e) { vista_.insertarEmoji(e.toStdString()); });
    connect(selector_, &SelectorEmoji::elegido, this,
            [this](const QString& e) { vista_.insertarEmoji(e.toStdString()); });
    connect(panelCapas_, &PanelCapas::selectorPulsado, this,
            [this] { selector_->abrirJunto(panelCapas_->botonEmojis()); });
    connect(panelCapas_, &PanelCapas::eliminarPulsado, this,
            [this] { vista_.eliminarCapaSeleccionada(); });
    connect(panelCapas_, &PanelCapas::anadirPulsado, this, [this] { vista_.agregarCapa(); });

    VistaPrincipal* vp = &vista_;
    capas_->setEnlaces(vista_.bindingCapas(),
                       {[vp] { return vp->estado().capaSeleccionada; },
                        [vp](const std::optional<Uuid>& id) { vp->setCapaSeleccionada(id); }},
                       {[vp] { return vp->estado().capaEditando; },
                        [vp](const std::optional<Uuid>& id) { vp->setCapaEditando(id); }});
    return w;
}

QWidget* PanelDerecho::paginaRecorte() {
    recorte_ = new VistaRecorte(this);
    connect(recorte_, &VistaRecorte::aceptado, this,
            [this](const RectFraccion& r) { vista_.aplicarRecorte(r); });
    connect(recorte_, &VistaRecorte::cancelado, this, [this] { vista_.salirDeModo(); });
    return recorte_;
}

void PanelDerecho::mostrarTexto(const EstadoVentana& e) {
    fijarImagen(capas_, *e.archivoActivo());
    capas_->refrescar();
    panelCapas_->mostrar(vista_.bindingCapaSeleccionada(), e.capaEditando.has_value());
}

void PanelDerecho::mostrarRecorte(const EstadoVentana& e, bool entrando) {
    // Each time the mode opens the editor starts fresh.
    if (entrando) recorte_->reiniciar();
    fijarImagen(recorte_, *e.archivoActivo());
}

} // namespace Livora
