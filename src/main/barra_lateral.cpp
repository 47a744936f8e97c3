#include "main/barra_lateral.h"

#include "main/estilo.h"
#include "main/filas_archivos.h"
#include "main/iconos.h"
#include "main/previas.h"
#include "main/textos.h"
#include "main/vista_principal.h"

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QSet>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <map>

namespace Livora {

namespace {

QPixmap redondeada(const QImage& img, int lado, qreal dpr) {
    const int px = qRound(lado * dpr);
    QPixmap p(px, px);
    p.fill(Qt::transparent);
    QPainter pintor(&p);
    pintor.setRenderHint(QPainter::Antialiasing);
    pintor.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath c;
    c.addRoundedRect(QRectF(0, 0, px, px), 7 * dpr, 7 * dpr);
    pintor.setClipPath(c);
    // Scaled to fill, centred.
    const QImage e = img.scaled(px, px, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    pintor.drawImage(QPointF((px - e.width()) / 2.0, (px - e.height()) / 2.0), e);
    pintor.end();
    p.setDevicePixelRatio(dpr);
    return p;
}

QString claveMiniatura(const ArchivoEstado& a) {
    return QString::fromStdString(a.id.texto()) + (a.recortado ? "-r" : "-o");
}

// The record's before picture, or its kind's symbol while there is none (or it is still
// being scaled).
QPixmap miniatura(const ArchivoEstado& a, qreal dpr) {
    QImage img;
    if (a.previewAntes)
        img = CachePrevias::global().deFuente(claveMiniatura(a), *a.previewAntes,
                                              kLadoMiniaturaFila * 3);
    if (!img.isNull()) return redondeada(img, kLadoMiniaturaFila, dpr);
    return pixmapIcono(a.esImagen ? "photo" : "doc.richtext", Estilo::secundario, 22, dpr);
}

// What a row shows: it is drawn again only when this changes.
QString firmaFila(const ArchivoEstado& a, const std::string& carpeta) {
    std::string f =
        carpeta + lineaFila(a) + (a.previewAntes ? "p" : "-") + (a.recortado ? "r" : "o");
    for (const auto& i : insignias(a))
        f += i.simbolo;
    return QString::fromStdString(f);
}

// Fills a row with what the record shows (`firma` is firmaFila's); pure presentation.
void llenarFila(QListWidgetItem* it, const ArchivoEstado& a, const std::string& carpeta,
                const QString& firma, qreal dpr) {
    it->setData(kRolFirma, firma);
    it->setText(QString::fromStdString(a.url.filename().string()));
    it->setToolTip(a.esCombinado ? QString() : QString::fromStdString(a.url.string()));
    it->setData(kRolLinea,
                QString::fromStdString((carpeta.empty() ? "" : carpeta + " · ") + lineaFila(a)));
    QStringList simbolos, ayudas;
    for (const auto& i : insignias(a)) {
        simbolos << QString::fromStdString(i.simbolo);
        ayudas << QString::fromStdString(i.ayuda);
    }
    it->setData(kRolInsignias, simbolos);
    it->setData(Qt::AccessibleDescriptionRole, ayudas.join('\n'));
    it->setData(Qt::DecorationRole, miniatura(a, dpr));
}

const int kFilasAnimadas = 40;

QString clave(const Uuid& id) {
    return QString::fromStdString(id.texto());
}

} // namespace

BarraLateral::BarraLateral(VistaPrincipal& vista, QWidget* padre) : QWidget(padre), vista_(vista) {
    setObjectName("lateral");
    setAttribute(Qt::WA_StyledBackground);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 8, 0, 0);
    v->setSpacing(0);
    auto* titulo = new QLabel("Archivos", this);
    titulo->setObjectName("seccion");
    titulo->setContentsMargins(12, 0, 0, 4);
    v->addWidget(titulo);
    lista_ = new QListWidget(this);
    lista_->setObjectName("barraLateral");
    lista_->setAccessibleName("Archivos");
    lista_->setContextMenuPolicy(Qt::CustomContextMenu);
    lista_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lista_->setItemDelegate(new DelegadoFilas(lista_));
    v->addWidget(lista_, 1);
    auto* pie = new QVBoxLayout;
    pie->setContentsMargins(12, 12, 12, 12);
    pie->setSpacing(8);
    unir_ = new QPushButton(icono("doc.on.doc", Estilo::texto), "Unir todo en un PDF", this);
    unir_->setToolTip("Crea un PDF con todos los archivos, en este orden");
    anadir_ = new QPushButton(icono("plus", Estilo::texto), "Añadir archivos", this);
    pie->addWidget(unir_);
    pie->addWidget(anadir_);
    v->addLayout(pie);

    connect(lista_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* it) {
        if (actualizando_ || !it) return;
        for (const auto& a : vista_.estado().archivos)
            if (clave(a.id) == it->data(kRolId).toString()) vista_.activar(a.id);
    });
    connect(lista_, &QWidget::customContextMenuRequested, this, &BarraLateral::menu);
    connect(unir_, &QPushButton::clicked, this,
            [this] { vista_.combinar(vista_.estado().archivos); });
    connect(anadir_, &QPushButton::clicked, this, [this] { vista_.elegirArchivos(); });
    connect(&CachePrevias::global(), &CachePrevias::lista, this, [this](const QString& c) {
        // A thumbnail is ready ("m:<id>-…"): only that row's picture changes, so rows keep
        // their animation.
        if (!c.startsWith("m:")) return;
        const QString id = c.mid(2).section('-', 0, -2);
        const auto& archivos = vista_.estado().archivos;
        const auto a = std::find_if(archivos.begin(), archivos.end(),
                                    [&](const ArchivoEstado& x) { return clave(x.id) == id; });
        if (a == archivos.end()) return;
        for (int i = 0; i < lista_->count(); ++i)
            if (lista_->item(i)->data(kRolId).toString() == id)
                lista_->item(i)->setData(Qt::DecorationRole, miniatura(*a, devicePixelRatioF()));
    });
}

QListWidgetItem* BarraLateral::nuevaFila(const ArchivoEstado& a, const std::string& carpeta,
                                         int fila) {
    auto* it = new QListWidgetItem;
    it->setData(kRolId, clave(a.id));
    it->setSizeHint(QSize(0, kAltoFila));
    llenarFila(it, a, carpeta, firmaFila(a, carpeta), devicePixelRatioF());
    lista_->insertItem(fila, it);
    return it;
}

void BarraLateral::animarFila(QListWidgetItem* it, bool entra, Transicion t) {
    const QString id = it->data(kRolId).toString();
    if (!isVisible()) {
        if (!entra) delete it;
        return;
    }
    if (!entra) {
        it->setData(kRolSaliendo, true);
        it->setFlags(Qt::NoItemFlags);
    }
    // A row still growing in when it is removed: its entrance stops where it is.
    if (auto anterior = animaciones_.take(id)) delete anterior;
    // The first frame already shows where the animation starts.
    const int alto = it->sizeHint().height();
    it->setSizeHint(QSize(0, entra ? 0 : alto));
    it->setData(kRolOpacidad, entra ? 0.0 : 1.0);
    auto* anim = new QVariantAnimation(lista_);
    animaciones_[id] = anim;
    configurar(anim, t);
    anim->setStartValue(entra ? 0.0 : double(alto) / kAltoFila);
    anim->setEndValue(entra ? 1.0 : 0.0);
    // The item may go first (the list rebuilt): it is reached through its index.
    const QPersistentModelIndex indice(lista_->indexFromItem(it));
    connect(anim, &QVariantAnimation::valueChanged, this, [this, indice](const QVariant& v) {
        const qreal x = v.toReal();
        if (QListWidgetItem* i = indice.isValid() ? lista_->itemFromIndex(indice) : nullptr) {
            i->setData(kRolOpacidad, std::clamp(x, 0.0, 1.0));
            i->setSizeHint(QSize(0, std::max(0, int(std::lround(kAltoFila * x)))));
        }
    });
    connect(anim, &QVariantAnimation::finished, this, [this, indice, id, anim, entra] {
        if (animaciones_.value(id) == anim) animaciones_.remove(id);
        anim->deleteLater();
        QListWidgetItem* i = indice.isValid() ? lista_->itemFromIndex(indice) : nullptr;
        if (!i) return;
        if (entra) {
            i->setData(kRolOpacidad, QVariant());
            return;
        }
        actualizando_ = true;
        delete i;
        seleccionarActivo(vista_.estado());
        actualizando_ = false;
    });
    anim->start();
}

int BarraLateral::filasSaliendo() const {
    int n = 0;
    for (int i = 0; i < lista_->count(); ++i)
        n += lista_->item(i)->data(kRolSaliendo).toBool() ? 1 : 0;
    return n;
}

void BarraLateral::reconstruir(const EstadoVentana& e, const std::vector<std::string>& carpetas) {
    for (const auto& anim : std::as_const(animaciones_))
        delete anim;
    animaciones_.clear();
    lista_->clear();
    for (std::size_t i = 0; i < e.archivos.size(); ++i)
        nuevaFila(e.archivos[i], carpetas[i], lista_->count());
}

void BarraLateral::seleccionarActivo(const EstadoVentana& e) {
    QListWidgetItem* activo = nullptr;
    for (int i = 0; i < lista_->count(); ++i) {
        auto* it = lista_->item(i);
        if (e.archivoActivoID && !it->data(kRolSaliendo).toBool() &&
            it->data(kRolId).toString() == clave(*e.archivoActivoID))
            activo = it;
    }
    if (lista_->currentItem() != activo) lista_->setCurrentItem(activo);
}

void BarraLateral::mostrar(const EstadoVentana& e) {
    unir_->setVisible(e.archivos.size() >= 2);
    unir_->setEnabled(!e.procesando);
    anadir_->setEnabled(!e.procesando);

    // Each record's key once: a folder of photos means hundreds of rows, and this runs on
    // every change of any of them.
    std::vector<QString> claves;
    claves.reserve(e.archivos.size());
    QSet<QString> abiertos;
    for (const auto& a : e.archivos)
        abiertos.insert(claves.emplace_back(clave(a.id)));
    const auto carpetas = carpetasDistintivas(e);
    actualizando_ = true;
    const Transicion t = vista_.transicion();
    // Rows of records that are gone leave; the others keep their place (records are only
    // appended or removed), so new ones slide in between them.
    std::map<QString, QListWidgetItem*> filas;
    std::vector<QString> quedan;
    std::vector<QListWidgetItem*> salen;
    for (int i = 0; i < lista_->count(); ++i) {
        auto* it = lista_->item(i);
        if (it->data(kRolSaliendo).toBool()) continue;
        const QString id = it->data(kRolId).toString();
        if (!abiertos.contains(id)) {
            salen.push_back(it);
        } else {
            filas[id] = it;
            quedan.push_back(id);
        }
    }
    // After the walk: a row that leaves at once is deleted, which would shift the next one
    // into its index.
    for (auto* it : salen)
        animarFila(it, false, t);
    std::vector<QString> orden;
    for (const QString& c : claves)
        if (filas.count(c)) orden.push_back(c);
    if (e.archivos.empty() || orden != quedan) {
        reconstruir(e, carpetas);
    } else {
        QListWidgetItem* anterior = nullptr;
        for (std::size_t i = 0; i < e.archivos.size(); ++i) {
            const ArchivoEstado& a = e.archivos[i];
            auto f = filas.find(claves[i]);
            if (f == filas.end()) {
                const int fila = anterior ? lista_->row(anterior) + 1 : 0;
                anterior = nuevaFila(a, carpetas[i], fila);
                // Each frame of a row's entrance lays out every row: in a long list (a folder
                // being taken in) it just appears.
                if (lista_->count() <= kFilasAnimadas) animarFila(anterior, true, t);
                continue;
            }
            anterior = f->second;
            if (const QString firma = firmaFila(a, carpetas[i]);
                anterior->data(kRolFirma).toString() != firma)
                llenarFila(anterior, a, carpetas[i], firma, devicePixelRatioF());
        }
    }
    seleccionarActivo(e);
    actualizando_ = false;
}

QStringList BarraLateral::entradasMenu(const Uuid& id) const {
    QStringList r;
    for (const auto& a : vista_.estado().archivos)
        if (a.id == id) {
            if (!a.esCombinado) r << "Mostrar en la carpeta";
            r << "Quitar de la lista";
        }
    return r;
}

void BarraLateral::menu(const QPoint& punto) {
    QListWidgetItem* it = lista_->itemAt(punto);
    if (!it || it->data(kRolSaliendo).toBool()) return;
    const QString elegida = it->data(kRolId).toString();
    std::optional<Uuid> id;
    for (const auto& a : vista_.estado().archivos)
        if (clave(a.id) == elegida) id = a.id;
    if (!id) return;
    QMenu m(this);
    for (const QString& entrada : entradasMenu(*id)) {
        if (entrada == "Mostrar en la carpeta")
            m.addAction(icono("folder", Estilo::texto), entrada,
                        [this, id] { vista_.revelarOriginal(*id); });
        else
            m.addAction(icono("xmark", QColor(0xd7, 0x30, 0x2a)), entrada,
                        [this, id] { vista_.quitar(*id); });
    }
    m.exec(lista_->viewport()->mapToGlobal(punto));
}

} // namespace Livora
