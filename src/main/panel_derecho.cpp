#include "main/panel_derecho.h"

#include "main/aviso.h"
#include "main/estilo.h"
#include "main/iconos.h"
#include "main/textos.h"
#include "main/vista_principal.h"
#include "motor/formato.h"
#include "organizador/organizador_paginas.h"
#include "vistas/comparador.h"
#include "vistas/imagen_qt.h"
#include "vistas/panel_filtros.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace Livora {

Contenido contenidoPara(const EstadoVentana& e) {
    const ArchivoEstado* a = e.archivoActivo();
    if (!a) return Contenido::Vacio;
    if (e.modoPaginas && !a->esImagen) return Contenido::Organizador;
    if (e.modoTexto && a->previewAntes) return Contenido::Texto;
    if (e.modoRecorte && a->previewAntes) return Contenido::Recorte;
    const Variante* v = e.varianteActiva();
    if (a->previewAntes && v && v->preview) return Contenido::Comparacion;
    return Contenido::Vacio;
}

// ---- Size pill -------------------------------------------------------------------------------

PastillaPeso::PastillaPeso(QWidget* padre) : QWidget(padre) {
    setToolTip("Divisor para comparar · pellizca o doble clic para zoom · espacio alterna "
               "antes/después");
    setFixedHeight(44);
    anim_ = new QVariantAnimation(this);
    anim_->setStartValue(0.0);
    anim_->setEndValue(1.0);
    connect(anim_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        avance_ = v.toReal();
        update();
    });
}

void PastillaPeso::setValores(std::int64_t original, std::int64_t bytes, const QString& ahorro,
                              Transicion t) {
    const QString salida = QString::fromStdString(formatoBytes(bytes));
    original_ = QString::fromStdString(formatoBytes(original));
    verde_ = esAhorro(bytes, original);
    if (salida != salida_ || ahorro != ahorro_) {
        // The first values, or a pill nobody sees, just take their place.
        const bool animar = isVisible() && !salida_.isEmpty();
        salidaAntes_ = salida_;
        ahorroAntes_ = ahorro_;
        salida_ = salida;
        ahorro_ = ahorro;
        anim_->stop();
        avance_ = 1;
        if (animar) {
            configurar(anim_, t);
            avance_ = 0;
            anim_->start();
        }
    }
    setAccessibleName(original_ + " → " + salida_ + ", " + ahorro_);
    updateGeometry();
    update();
}

qreal PastillaPeso::anchoPara(const QString& salida, const QString& ahorro) const {
    QFont f = font();
    Estilo::escalar(f, 1.25);
    f.setWeight(QFont::Medium);
    const QFontMetricsF fm(f);
    QFont fb = font();
    fb.setBold(true);
    const QFontMetricsF fmb(fb);
    return 18 + fm.horizontalAdvance(original_) + 12 + 18 + 12 + fm.horizontalAdvance(salida) + 12 +
           fmb.horizontalAdvance(ahorro) + 20 + 18;
}

QSize PastillaPeso::sizeHint() const {
    return {int(std::ceil(
                std::max(anchoPara(salida_, ahorro_), anchoPara(salidaAntes_, ahorroAntes_)))),
            44};
}

void PastillaPeso::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal a = avance_;
    const qreal ancho =
        a >= 1 ? anchoPara(salida_, ahorro_)
               : anchoPara(salidaAntes_, ahorroAntes_) +
                     (anchoPara(salida_, ahorro_) - anchoPara(salidaAntes_, ahorroAntes_)) * a;
    QRectF r((width() - ancho) / 2.0, 2, ancho, 40);
    Estilo::pintarCristal(p, r, 20, 0.85);
    p.setClipRect(r);
    QFont f = font();
    Estilo::escalar(f, 1.25);
    f.setWeight(QFont::Medium);
    f.setStyleHint(QFont::Monospace);
    const QFontMetricsF fm(f);
    p.setFont(f);
    qreal x = r.left() + 18;
    p.setPen(Estilo::secundario);
    p.drawText(QRectF(x, r.top(), fm.horizontalAdvance(original_) + 2, r.height()),
               Qt::AlignVCenter, original_);
    x += fm.horizontalAdvance(original_) + 12;
    p.drawPixmap(QPointF(x, r.center().y() - 9),
                 pixmapIcono("arrow.right", Estilo::acento, 18, devicePixelRatioF()));
    x += 18 + 12;
    // The new number rises into place while the old one leaves upwards, fading.
    const qreal subida = r.height() * 0.6;
    auto rodar = [&](const QString& nuevo, const QString& viejo, const QRectF& caja, int alin) {
        const qreal entra = std::clamp(a, 0.0, 1.0);
        if (entra < 1 && !viejo.isEmpty()) {
            p.setOpacity(1 - entra);
            p.drawText(caja.translated(0, -subida * a), alin, viejo);
        }
        p.setOpacity(entra);
        p.drawText(caja.translated(0, subida * (1 - a)), alin, nuevo);
        p.setOpacity(1);
    };
    p.setPen(Estilo::texto);
    const qreal anchoSalida =
        std::max(fm.horizontalAdvance(salida_), fm.horizontalAdvance(salidaAntes_));
    rodar(salida_, salidaAntes_, QRectF(x, r.top(), anchoSalida + 2, r.height()),
          Qt::AlignVCenter | Qt::AlignLeft);
    x += fm.horizontalAdvance(salida_) +
         (fm.horizontalAdvance(salidaAntes_) - fm.horizontalAdvance(salida_)) *
             (1 - std::clamp(a, 0.0, 1.0)) +
         12;
    QFont fb = font();
    fb.setBold(true);
    const QFontMetricsF fmb(fb);
    const QColor color = verde_ ? Estilo::verde : Estilo::naranja;
    QRectF cap(x, r.center().y() - (fmb.height() + 8) / 2, fmb.horizontalAdvance(ahorro_) + 20,
               fmb.height() + 8);
    QColor relleno = color;
    relleno.setAlphaF(0.2);
    p.setPen(Qt::NoPen);
    p.setBrush(relleno);
    p.drawRoundedRect(cap, cap.height() / 2, cap.height() / 2);
    p.setFont(fb);
    p.setPen(color);
    p.setClipRect(cap);
    rodar(ahorro_, ahorroAntes_, cap, Qt::AlignCenter);
}

// ---- Content area ------------------------------------------------------------------------------

QWidget* PanelDerecho::paginaModo(const QString& titulo, const QString& nota, QLabel** etiqueta,
                                  QPushButton** listo, QPushButton** volver) {
    auto* w = new QWidget(this);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(14, 14, 14, 14);
    auto* fila = new QHBoxLayout;
    auto* t = new QLabel(titulo, w);
    t->setStyleSheet("font-weight: 600;");
    fila->addWidget(t);
    fila->addStretch(1);
    if (volver) {
        *volver = new QPushButton("Cancelar", w);
        fila->addWidget(*volver);
    }
    if (listo) {
        *listo = new QPushButton(icono("checkmark", Qt::white), "Listo", w);
        (*listo)->setProperty("prominente", true);
        fila->addWidget(*listo);
    }
    v->addLayout(fila);
    auto* n = new QLabel(nota, w);
    n->setAlignment(Qt::AlignCenter);
    n->setWordWrap(true);
    n->setStyleSheet("color: #6e6e73;");
    v->addWidget(n, 1);
    if (etiqueta) *etiqueta = n;
    return w;
}

PanelDerecho::PanelDerecho(VistaPrincipal& vista, QWidget* padre) : QWidget(padre), vista_(vista) {
    setMinimumSize(480, 420);
    pila_ = new QStackedLayout(this);
    // A stacked layout gives its pages the whole rectangle, margins or not: the padding
    // belongs to the widget.
    setContentsMargins(16, 16, 16, 16);

    // Comparison: the comparator over the pill.
    comparacion_ = new QWidget(this);
    auto* cv = new QVBoxLayout(comparacion_);
    cv->setContentsMargins(0, 0, 0, 0);
    cv->setSpacing(14);
    auto* zona = new QWidget(comparacion_);
    auto* zl = new QGridLayout(zona);
    zl->setContentsMargins(0, 0, 0, 0);
    comparador_ = new Comparador(zona);
    zl->addWidget(comparador_, 0, 0);
    deshacerRecorte_ =
        new QPushButton(icono("arrow.uturn.backward", Estilo::texto), "Deshacer recorte", zona);
    zl->addWidget(deshacerRecorte_, 0, 0, Qt::AlignTop | Qt::AlignRight);
    filtros_ = new PanelFiltros(zona);
    zl->addWidget(filtros_, 0, 0, Qt::AlignBottom | Qt::AlignLeft);
    connect(filtros_, &PanelFiltros::filtrosCambiados, this,
            [this](const FiltroAjustes& f) { vista_.setFiltros(f); });
    cv->addWidget(zona, 1);
    pastilla_ = new PastillaPeso(comparacion_);
    cv->addWidget(pastilla_);
    pila_->addWidget(comparacion_);

    // Empty state.
    vacio_ = new QWidget(this);
    auto* vv = new QVBoxLayout(vacio_);
    vv->addStretch(1);
    auto* vs = new QLabel(vacio_);
    vs->setPixmap(pixmapIcono("photo.on.rectangle.angled", Estilo::terciario, 44, 2));
    vs->setAlignment(Qt::AlignCenter);
    vv->addWidget(vs);
    vacioTitulo_ = new QLabel("Sin vista previa", vacio_);
    vacioTitulo_->setAlignment(Qt::AlignCenter);
    vacioTitulo_->setStyleSheet("font-size: 17px; font-weight: 600;");
    vv->addWidget(vacioTitulo_);
    auto* vd = new QLabel("La comparación antes / después aparecerá aquí", vacio_);
    vd->setAlignment(Qt::AlignCenter);
    vd->setStyleSheet("color: #6e6e73;");
    vv->addWidget(vd);
    vv->addStretch(1);
    pila_->addWidget(vacio_);

    // Editor modes. Each offers its way back.
    modoTexto_ = paginaTexto();
    modoRecorte_ = paginaRecorte();
    pila_->addWidget(modoTexto_);
    pila_->addWidget(modoRecorte_);
    connect(deshacerRecorte_, &QPushButton::clicked, this, [this] { vista_.restaurarRecorte(); });

    aviso_ = new BannerAviso(this);
    connect(aviso_, &BannerAviso::pulsado, this, [this] { vista_.descartarAviso(); });
}

void PanelDerecho::mostrar(const EstadoVentana& e) {
    const Contenido antes = contenido_;
    contenido_ = contenidoPara(e);
    const ArchivoEstado* a = e.archivoActivo();
    if (contenido_ != Contenido::Organizador && organizador_) {
        // Closed by "Aplicar", "Cancelar" or another file: its work goes with it.
        pila_->removeWidget(organizador_);
        organizador_->deleteLater();
        organizador_ = nullptr;
    }
    switch (contenido_) {
    case Contenido::Organizador:
        if (!organizador_) {
            organizador_ = new OrganizadorPaginas(
                vista_.serviciosOrganizador(), a->url.stem().string(), a->paginas, a->miniaturas,
                [this](std::vector<PaginaPDF> paginas, std::map<std::string, Imagen> miniaturas) {
                    vista_.aplicarOrganizador(std::move(paginas), std::move(miniaturas));
                },
                [this] { vista_.salirDeModo(); }, this);
            pila_->addWidget(organizador_);
        }
        pila_->setCurrentWidget(organizador_);
        break;
    case Contenido::Texto:
        pila_->setCurrentWidget(modoTexto_);
        mostrarTexto(e);
        break;
    case Contenido::Recorte:
        mostrarRecorte(e, antes != Contenido::Recorte);
        pila_->setCurrentWidget(modoRecorte_);
        break;
    case Contenido::Comparacion: {
        pila_->setCurrentWidget(comparacion_);
        const Variante* v = e.varianteActiva();
        const QString id =
            QString::fromStdString(a->id.texto()) + (a->recortado ? "-true" : "-false");
        // Back from an editor the comparator starts afresh, as a new view would.
        if (antes == Contenido::Texto || antes == Contenido::Recorte) comparador_->reiniciar();
        comparador_->setIdentidad(id);
        comparador_->setAccessibleDescription(QString::fromStdString(a->url.filename().string()));
        // The before picture changes with the record, a crop or a new source bitmap.
        const QString claveAntes = id + QString::fromStdString(a->previewAntes->clave());
        if (claveAntes != claveAntes_) {
            claveAntes_ = claveAntes;
            // Decoded off the interface thread at the size the frame needs: converting a
            // 12 MP picture here stalled the window for a quarter of a second or more.
            const ImagenFuente& antes = *a->previewAntes;
            comparador_->setAntes(
                QSize(static_cast<int>(antes.ancho), static_cast<int>(antes.alto)),
                proveedorFuente(antes), claveAntes);
        }
        const QString claveDespues =
            QString::fromStdString(v->id.texto() + v->urlTemp.string()) + QString::number(v->bytes);
        if (claveDespues != claveDespues_) {
            claveDespues_ = claveDespues;
            std::optional<std::string> contrasena;
            if (!a->esImagen && a->opcionesPDF.proteger && !a->opcionesPDF.contrasena.empty())
                contrasena = a->opcionesPDF.contrasena;
            comparador_->setDespues(proveedorArchivo(v->urlTemp, contrasena), claveDespues);
        }
        pastilla_->setValores(a->bytesOriginal, v->bytes,
                              QString::fromStdString(ahorroActivo(e, *v)), vista_.transicion());
        deshacerRecorte_->setVisible(a->esImagen && a->recortado);
        filtros_->setVisible(e.mostrarFiltros && a->esImagen);
        if (filtros_->isVisibleTo(this)) {
            if (!(filtros_->filtros() == a->filtros)) filtros_->setFiltros(a->filtros);
            QString clave = QString::fromStdString(a->id.texto());
            for (const auto& [nombre, img] : a->miniaturasFiltros)
                clave +=
                    QString::fromStdString(nombre) + QString::number(quintptr(img.get_image()), 16);
            if (clave != claveMiniaturas_) {
                claveMiniaturas_ = clave;
                std::map<std::string, QImage> miniaturas;
                for (const auto& [nombre, img] : a->miniaturasFiltros)
                    miniaturas[nombre] = imagenQt(img);
                filtros_->setMiniaturas(miniaturas);
            }
        }
        break;
    }
    case Contenido::Vacio:
        pila_->setCurrentWidget(vacio_);
        vacioTitulo_->setText(e.procesando ? "Procesando…" : "Sin vista previa");
        break;
    }
    aviso_->setTexto(QString::fromStdString(e.mensaje));
    aviso_->raise();
}

void PanelDerecho::resizeEvent(QResizeEvent*) {
    aviso_->recolocar();
}

} // namespace Livora
