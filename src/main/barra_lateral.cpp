#include "main/barra_lateral.h"

#include "main/estilo.h"
#include "main/iconos.h"
#include "main/previas.h"
#include "main/textos.h"
#include "main/vista_principal.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <map>

namespace Livora {

namespace {

const int kLadoMiniatura = 34;

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
void pintarMiniatura(QLabel* mini, const ArchivoEstado& a, qreal dpr) {
    QImage img;
    if (a.previewAntes)
        img =
            CachePrevias::global().deFuente(claveMiniatura(a), *a.previewAntes, kLadoMiniatura * 3);
    if (!img.isNull())
        mini->setPixmap(redondeada(img, kLadoMiniatura, dpr));
    else
        mini->setPixmap(
            pixmapIcono(a.esImagen ? "photo" : "doc.richtext", Estilo::secundario, 22, dpr));
}

// One row of the list; pure presentation.
QWidget* filaArchivo(const ArchivoEstado& a, const std::string& carpeta, qreal dpr,
                     QWidget* padre) {
    auto* w = new QWidget(padre);
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(8, 5, 8, 5);
    h->setSpacing(9);
    auto* mini = new QLabel(w);
    mini->setObjectName("miniatura");
    mini->setFixedSize(kLadoMiniatura, kLadoMiniatura);
    mini->setAlignment(Qt::AlignCenter);
    pintarMiniatura(mini, a, dpr);
    h->addWidget(mini);
    auto* v = new QVBoxLayout;
    v->setSpacing(1);
    auto* nombre = new QLabel(QString::fromStdString(a.url.filename().string()), w);
    nombre->setObjectName("nombre");
    nombre->setMinimumWidth(40);
    if (!a.esCombinado) nombre->setToolTip(QString::fromStdString(a.url.string()));
    v->addWidget(nombre);
    auto* fila2 = new QHBoxLayout;
    fila2->setSpacing(4);
    auto* linea = new QLabel(
        QString::fromStdString((carpeta.empty() ? "" : carpeta + " · ") + lineaFila(a)), w);
    linea->setObjectName("linea");
    linea->setStyleSheet("color: #6e6e73; font-size: 11px;");
    fila2->addWidget(linea);
    for (const auto& i : insignias(a)) {
        auto* s = new QLabel(w);
        s->setObjectName("insignia");
        s->setPixmap(pixmapIcono(i.simbolo, Estilo::acento, 12, dpr));
        s->setToolTip(QString::fromStdString(i.ayuda));
        s->setAccessibleName(QString::fromStdString(i.ayuda));
        fila2->addWidget(s);
    }
    fila2->addStretch(1);
    v->addLayout(fila2);
    h->addLayout(v, 1);
    return w;
}

enum Datos { kId = Qt::UserRole, kFirma, kSaliendo };
const int kAltoFila = kLadoMiniatura + 12;
const int kFilasAnimadas = 40;

// Every layout of the list places every row's widget, and the stock delegate asks the style
// sheet where each one goes: hundreds of rows made that the slow part of adding one. The
// rows all sit alike, so the first answer's margins serve the rest.
class DelegadoFilas : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void updateEditorGeometry(QWidget* fila, const QStyleOptionViewItem& o,
                              const QModelIndex& i) const override {
        if (!margenes_) {
            QStyledItemDelegate::updateEditorGeometry(fila, o, i);
            if (o.rect.height() != kAltoFila) return; // a row still growing in
            const QRect g = fila->geometry();
            margenes_ = QMargins(g.left() - o.rect.left(), g.top() - o.rect.top(),
                                 o.rect.right() - g.right(), o.rect.bottom() - g.bottom());
            return;
        }
        fila->setGeometry(o.rect.marginsRemoved(*margenes_));
    }

private:
    mutable std::optional<QMargins> margenes_;
};

// What a row shows: it is drawn again only when this changes.
QString firmaFila(const ArchivoEstado& a, const std::string& carpeta) {
    std::string f =
        carpeta + lineaFila(a) + (a.previewAntes ? "p" : "-") + (a.recortado ? "r" : "o");
    for (const auto& i : insignias(a))
        f += i.simbolo;
    return QString::fromStdString(f);
}

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
            if (clave(a.id) == it->data(kId).toString()) vista_.activar(a.id);
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
        for (int i = 0; i < lista_->count(); ++i) {
            if (lista_->item(i)->data(kId).toString() != id) continue;
            QWidget* w = lista_->itemWidget(lista_->item(i));
            if (auto* mini = w ? w->findChild<QLabel*>("miniatura") : nullptr)
                pintarMiniatura(mini, *a, devicePixelRatioF());
        }
    });
}

QListWidgetItem* BarraLateral::nuevaFila(const ArchivoEstado& a, int fila) {
    auto* it = new QListWidgetItem;
    lista_->insertItem(fila, it);
    it->setData(kId, clave(a.id));
    it->setData(kFirma, firmaFila(a, carpetaDe(a)));
    it->setSizeHint(QSize(0, kAltoFila));
    QWidget* w = filaArchivo(a, carpetaDe(a), devicePixelRatioF(), lista_);
    w->setAccessibleName(QString::fromStdString(a.url.filename().string()));
    lista_->setItemWidget(it, w);
    return it;
}

void BarraLateral::animarFila(QListWidgetItem* it, bool entra, Transicion t) {
    QWidget* w = lista_->itemWidget(it);
    if (!w || !isVisible()) {
        if (!entra) delete it;
        return;
    }
    if (!entra) {
        it->setData(kSaliendo, true);
        it->setFlags(Qt::NoItemFlags);
    }
    // A row still growing in when it is removed: its entrance stops where it is.
    for (auto* anterior : w->findChildren<QVariantAnimation*>(Qt::FindDirectChildrenOnly))
        delete anterior;
    // The first frame already shows where the animation starts.
    const int alto = it->sizeHint().height();
    it->setSizeHint(QSize(0, entra ? 0 : alto));
    auto* opacidad = new QGraphicsOpacityEffect(w);
    opacidad->setOpacity(entra ? 0 : 1);
    w->setGraphicsEffect(opacidad);
    auto* anim = new QVariantAnimation(w);
    configurar(anim, t);
    anim->setStartValue(entra ? 0.0 : double(alto) / kAltoFila);
    anim->setEndValue(entra ? 1.0 : 0.0);
    // The item may go first (the list rebuilt): it is reached through its index.
    const QPersistentModelIndex indice(lista_->indexFromItem(it));
    const QPointer<QGraphicsOpacityEffect> efecto(opacidad);
    connect(anim, &QVariantAnimation::valueChanged, w, [this, indice, efecto](const QVariant& v) {
        const qreal x = v.toReal();
        if (efecto) efecto->setOpacity(std::clamp(x, 0.0, 1.0));
        if (QListWidgetItem* i = indice.isValid() ? lista_->itemFromIndex(indice) : nullptr)
            i->setSizeHint(QSize(0, std::max(0, int(std::lround(kAltoFila * x)))));
    });
    connect(anim, &QVariantAnimation::finished, w, [this, indice, w, entra] {
        if (entra) {
            w->setGraphicsEffect(nullptr);
            return;
        }
        if (!indice.isValid()) return;
        actualizando_ = true;
        delete lista_->itemFromIndex(indice);
        seleccionarActivo(vista_.estado());
        actualizando_ = false;
    });
    anim->start();
}

int BarraLateral::filasSaliendo() const {
    int n = 0;
    for (int i = 0; i < lista_->count(); ++i)
        n += lista_->item(i)->data(kSaliendo).toBool() ? 1 : 0;
    return n;
}

std::string BarraLateral::carpetaDe(const ArchivoEstado& a) const {
    const auto c = carpetas_.find(clave(a.id));
    return c == carpetas_.end() ? std::string() : c->second;
}

void BarraLateral::reconstruir(const EstadoVentana& e) {
    lista_->clear();
    for (const auto& a : e.archivos)
        nuevaFila(a, lista_->count());
}

void BarraLateral::seleccionarActivo(const EstadoVentana& e) {
    QListWidgetItem* activo = nullptr;
    for (int i = 0; i < lista_->count(); ++i) {
        auto* it = lista_->item(i);
        if (e.archivoActivoID && !it->data(kSaliendo).toBool() &&
            it->data(kId).toString() == clave(*e.archivoActivoID))
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
    carpetas_.clear();
    const auto carpetas = carpetasDistintivas(e);
    for (std::size_t i = 0; i < e.archivos.size(); ++i)
        if (!carpetas[i].empty()) carpetas_[claves[i]] = carpetas[i];
    actualizando_ = true;
    const Transicion t = vista_.transicion();
    // Rows of records that are gone leave; the others keep their place (records are only
    // appended or removed), so new ones slide in between them.
    std::map<QString, QListWidgetItem*> filas;
    std::vector<QString> quedan;
    std::vector<QListWidgetItem*> salen;
    for (int i = 0; i < lista_->count(); ++i) {
        auto* it = lista_->item(i);
        if (it->data(kSaliendo).toBool()) continue;
        const QString id = it->data(kId).toString();
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
        reconstruir(e);
    } else {
        QListWidgetItem* anterior = nullptr;
        for (std::size_t i = 0; i < e.archivos.size(); ++i) {
            const ArchivoEstado& a = e.archivos[i];
            auto f = filas.find(claves[i]);
            if (f == filas.end()) {
                const int fila = anterior ? lista_->row(anterior) + 1 : 0;
                anterior = nuevaFila(a, fila);
                // Each frame of a row's entrance lays out every row: in a long list (a folder
                // being taken in) it just appears.
                if (lista_->count() <= kFilasAnimadas) animarFila(anterior, true, t);
                continue;
            }
            anterior = f->second;
            if (const QString firma = firmaFila(a, carpetas[i]);
                anterior->data(kFirma).toString() != firma) {
                anterior->setData(kFirma, firma);
                QWidget* w = filaArchivo(a, carpetas[i], devicePixelRatioF(), lista_);
                w->setAccessibleName(QString::fromStdString(a.url.filename().string()));
                lista_->setItemWidget(anterior, w);
            }
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
    if (!it || it->data(kSaliendo).toBool()) return;
    const QString elegida = it->data(kId).toString();
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
