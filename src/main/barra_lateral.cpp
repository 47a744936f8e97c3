#include "main/barra_lateral.h"

#include "main/estilo.h"
#include "main/iconos.h"
#include "main/previas.h"
#include "main/textos.h"
#include "main/vista_principal.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <set>

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
    QImage img;
    if (a.previewAntes)
        img =
            CachePrevias::global().deFuente(claveMiniatura(a), *a.previewAntes, kLadoMiniatura * 3);
    if (!img.isNull())
        mini->setPixmap(redondeada(img, kLadoMiniatura, dpr));
    else
        mini->setPixmap(
            pixmapIcono(a.esImagen ? "photo" : "doc.richtext", Estilo::secundario, 22, dpr));
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
    lista_->setContextMenuPolicy(Qt::CustomContextMenu);
    lista_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
            if (QString::fromStdString(a.id.texto()) == it->data(Qt::UserRole).toString())
                vista_.activar(a.id);
    });
    connect(lista_, &QWidget::customContextMenuRequested, this, &BarraLateral::menu);
    connect(unir_, &QPushButton::clicked, this,
            [this] { vista_.combinar(vista_.estado().archivos); });
    connect(anadir_, &QPushButton::clicked, this, [this] { vista_.elegirArchivos(); });
    // A thumbnail arrived ("m:<id>-…"): only its row is made again.
    connect(&CachePrevias::global(), &CachePrevias::lista, this, [this](const QString& c) {
        if (!c.startsWith("m:")) return;
        const QString id = c.mid(2).section('-', 0, -2);
        if (firmas_.erase(id)) mostrar(vista_.estado());
    });
}

void BarraLateral::mostrar(const EstadoVentana& e) {
    unir_->setVisible(e.archivos.size() >= 2);
    unir_->setEnabled(!e.procesando);
    anadir_->setEnabled(!e.procesando);

    // Rows are made only for records that are new or whose row changed, and put in place
    // without touching the others: a folder adds hundreds of records, one at a time, and
    // rebuilding every row for each would stall the window.
    const auto carpetas = carpetasDistintivas(e);
    actualizando_ = true;
    std::set<QString> vigentes;
    for (const auto& a : e.archivos)
        vigentes.insert(QString::fromStdString(a.id.texto()));
    for (int i = lista_->count() - 1; i >= 0; --i)
        if (!vigentes.count(lista_->item(i)->data(Qt::UserRole).toString())) {
            firmas_.erase(lista_->item(i)->data(Qt::UserRole).toString());
            delete lista_->takeItem(i);
        }
    for (std::size_t i = 0; i < e.archivos.size(); ++i) {
        const auto& a = e.archivos[i];
        const QString id = QString::fromStdString(a.id.texto());
        std::string firma =
            carpetas[i] + lineaFila(a) + (a.previewAntes ? "p" : "-") + (a.recortado ? "r" : "o");
        for (const auto& x : insignias(a))
            firma += x.simbolo;
        const int fila = static_cast<int>(i);
        QListWidgetItem* it = lista_->item(fila);
        if (!it || it->data(Qt::UserRole).toString() != id) {
            // Not in this place: a new record (or, never in practice, one that moved).
            for (int j = fila + 1; j < lista_->count(); ++j)
                if (lista_->item(j)->data(Qt::UserRole).toString() == id) {
                    delete lista_->takeItem(j);
                    break;
                }
            it = new QListWidgetItem;
            it->setData(Qt::UserRole, id);
            it->setSizeHint(QSize(0, kLadoMiniatura + 12));
            lista_->insertItem(fila, it);
            firmas_.erase(id);
        }
        if (auto f = firmas_.find(id); f != firmas_.end() && f->second == firma) continue;
        firmas_[id] = firma;
        lista_->setItemWidget(it, filaArchivo(a, carpetas[i], devicePixelRatioF(), lista_));
    }
    for (int i = 0; i < lista_->count(); ++i) {
        auto* it = lista_->item(i);
        const bool activo =
            e.archivoActivoID &&
            it->data(Qt::UserRole).toString() == QString::fromStdString(e.archivoActivoID->texto());
        if (activo && lista_->currentItem() != it) lista_->setCurrentItem(it);
    }
    if (!e.archivoActivoID) lista_->setCurrentItem(nullptr);
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
    if (!it) return;
    const QString clave = it->data(Qt::UserRole).toString();
    std::optional<Uuid> id;
    for (const auto& a : vista_.estado().archivos)
        if (QString::fromStdString(a.id.texto()) == clave) id = a.id;
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
