#include "organizador/rejilla_paginas.h"

#include "main/estilo.h"
#include "motor/pdf.h"
#include "organizador/miniaturas_organizador.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Livora {

namespace {

constexpr double opacidadArrastrada = 0.35;
constexpr int bordeDesplazamiento = 48; // px from the edge where a drag scrolls
constexpr int espacioBarra = 60;        // below the grid, for the floating selection bar

// How far from the visible band a cell still glides instead of jumping to its place.
bool cerca(double y, double arriba, double alto) {
    return y > arriba - 2 * alto && y < arriba + 3 * alto;
}

} // namespace

RejillaPaginas::RejillaPaginas(MiniaturasOrganizador& miniaturas, QWidget* padre)
    : QAbstractItemView(padre), miniaturas_(miniaturas) {
    setSelectionMode(NoSelection);
    setEditTriggers(NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(48);
    tic_.setInterval(16);
    tic_.setTimerType(Qt::PreciseTimer);
    connect(&tic_, &QTimer::timeout, this, &RejillaPaginas::avanzar);
    desplazamiento_.setInterval(16);
    connect(&desplazamiento_, &QTimer::timeout, this, &RejillaPaginas::desplazarArrastre);
    connect(&miniaturas_, &MiniaturasOrganizador::dibujada, this, &RejillaPaginas::llegada);
    reloj_.start();
}

ModeloPaginas* RejillaPaginas::modelo() const {
    return qobject_cast<ModeloPaginas*>(model());
}

void RejillaPaginas::setModel(QAbstractItemModel* m) {
    QAbstractItemView::setModel(m);
    recolocar(false, muelle);
}

void RejillaPaginas::setTamano(double tamano) {
    if (tamano == rejilla_.tamano) return;
    // The cell under the top edge stays in view while the grid grows or shrinks.
    const auto arriba = rejilla_.visibles(verticalOffset(), verticalOffset()).first;
    rejilla_.tamano = tamano;
    recolocar(false, muelle);
    if (arriba < rejilla_.paginas)
        verticalScrollBar()->setValue(int(rejilla_.celda(arriba).y - Rejilla::margen));
}

void RejillaPaginas::animarCambio(const Muelle& m) {
    muelleCambio_ = m;
}

void RejillaPaginas::reset() {
    QAbstractItemView::reset();
    recolocar(true, muelleCambio_);
}

int RejillaPaginas::verticalOffset() const {
    return verticalScrollBar()->value();
}

void RejillaPaginas::updateGeometries() {
    const int alto = viewport()->height();
    verticalScrollBar()->setPageStep(alto);
    // Room under the last row, so the floating bar never hides it.
    const int fin = int(std::ceil(rejilla_.altoContenido())) + espacioBarra;
    verticalScrollBar()->setRange(0, std::max(0, fin - alto));
    QAbstractItemView::updateGeometries();
}

void RejillaPaginas::resizeEvent(QResizeEvent* e) {
    QAbstractItemView::resizeEvent(e);
    recolocar(false, muelle);
}

void RejillaPaginas::recolocar(bool animar, const Muelle& m) {
    ModeloPaginas* mod = modelo();
    const int n = mod ? mod->rowCount() : 0;
    rejilla_ = Rejilla(viewport()->width(), rejilla_.tamano, std::size_t(n));
    updateGeometries();
    const double arriba = verticalOffset(), alto = viewport()->height();
    std::unordered_map<Uuid, Celda> nuevas;
    nuevas.reserve(std::size_t(n));
    for (int fila = 0; fila < n; ++fila) {
        const PaginaPDF& p = mod->pagina(fila);
        const Rectangulo destino = rejilla_.marco(std::size_t(fila));
        Celda c;
        auto vieja = celdas_.find(p.id);
        const bool conocida = vieja != celdas_.end();
        if (conocida) c = vieja->second;
        if (conocida && animar &&
            (cerca(c.y.valor, arriba, alto) || cerca(destino.y, arriba, alto))) {
            for (MuelleEnCurso* x : {&c.x, &c.y}) {
                x->respuesta = m.respuesta;
                x->amortiguacion = m.amortiguamiento;
                x->destino = x == &c.x ? destino.x : destino.y;
            }
        } else {
            c.x.fijar(destino.x);
            c.y.fijar(destino.y);
        }
        c.giro.respuesta = muelleVivo.respuesta;
        c.giro.amortiguacion = muelleVivo.amortiguamiento;
        if (conocida)
            c.giro.destino = double(p.rotacion);
        else
            c.giro.fijar(double(p.rotacion));
        nuevas.emplace(p.id, c);
    }
    celdas_ = std::move(nuevas);
    ultimoTic_ = reloj_.elapsed();
    if (!tic_.isActive()) tic_.start();
    viewport()->update();
}

void RejillaPaginas::avanzar() {
    const qint64 ahora = reloj_.elapsed();
    const double dt = std::clamp(double(ahora - ultimoTic_) / 1000.0, 0.0, 0.05);
    ultimoTic_ = ahora;
    bool moviendo = false;
    for (auto& [id, c] : celdas_)
        for (MuelleEnCurso* x : {&c.x, &c.y, &c.giro})
            if (!x->enReposo()) {
                x->avanzar(dt);
                moviendo = true;
            }
    if (moviendo) {
        viewport()->update();
        return;
    }
    if (esperando_.empty()) {
        tic_.stop();
        return;
    }
    // Only the progress indicators turn, at half the frame rate.
    if ((ahora / 16) % 2 == 0)
        for (const QRect& r : esperando_)
            viewport()->update(r);
}

QRectF RejillaPaginas::marcoVisible(int fila) const {
    ModeloPaginas* mod = modelo();
    if (!mod || fila < 0 || fila >= mod->rowCount()) return {};
    auto it = celdas_.find(mod->pagina(fila).id);
    if (it == celdas_.end()) return {};
    return QRectF(it->second.x.valor, it->second.y.valor - verticalOffset(), rejilla_.tamano,
                  1.25 * rejilla_.tamano);
}

QRect RejillaPaginas::visualRect(const QModelIndex& indice) const {
    if (!indice.isValid()) return {};
    const Rectangulo c = rejilla_.celda(std::size_t(indice.row()));
    return QRectF(c.x, c.y - verticalOffset(), c.ancho, c.alto).toAlignedRect();
}

void RejillaPaginas::scrollTo(const QModelIndex& indice, ScrollHint) {
    if (!indice.isValid()) return;
    const Rectangulo c = rejilla_.celda(std::size_t(indice.row()));
    const int arriba = verticalOffset(), alto = viewport()->height();
    if (c.y < arriba)
        verticalScrollBar()->setValue(int(c.y - Rejilla::margen));
    else if (c.y + c.alto > arriba + alto)
        verticalScrollBar()->setValue(int(c.y + c.alto + Rejilla::margen) - alto);
}

QModelIndex RejillaPaginas::indexAt(const QPoint& punto) const {
    if (!model()) return {};
    auto i = rejilla_.celdaEn(punto.x(), punto.y() + verticalOffset());
    return i ? model()->index(int(*i), 0) : QModelIndex();
}

int RejillaPaginas::ladoMiniatura() const {
    // Drawn for a square box as tall as the frame, so a turned page needs no other
    // picture; in steps, so the size slider does not redraw every page at each notch.
    const double px = 1.25 * rejilla_.tamano * devicePixelRatioF();
    return int(std::ceil(px / 32.0)) * 32;
}

// ---- Painting ------------------------------------------------------------------------------

// Only the cells showing the page that arrived are painted again.
void RejillaPaginas::llegada(const QString& clave) {
    ModeloPaginas* mod = modelo();
    if (!mod) return;
    const std::string c = clave.toStdString();
    const double arriba = verticalOffset();
    const auto [desde, hasta] = rejilla_.visibles(arriba, arriba + viewport()->height());
    for (auto i = desde; i < hasta; ++i)
        if (claveMiniatura(mod->pagina(int(i))) == c)
            viewport()->update(marcoVisible(int(i)).toAlignedRect().adjusted(-4, -4, 4, 4));
}

const QImage& RejillaPaginas::preparada(const Uuid& id, const QImage& img, QSize tamano,
                                        int cuartos) {
    Preparada& p = preparadas_[id];
    p.cuadro = cuadro_;
    if (p.fuente == img.cacheKey() && p.tamano == tamano && p.cuartos == cuartos) return p.imagen;
    const QSize antesDeGirar = cuartos % 2 ? tamano.transposed() : tamano;
    QImage r = img.size() == antesDeGirar
                   ? img
                   : img.scaled(antesDeGirar, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (cuartos) r = r.transformed(QTransform().rotate(90.0 * cuartos));
    r.setDevicePixelRatio(devicePixelRatioF());
    p = Preparada{img.cacheKey(), tamano, cuartos, std::move(r), cuadro_};
    return p.imagen;
}

void RejillaPaginas::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRegion(e->region());
    ModeloPaginas* mod = modelo();
    ++cuadro_;
    miniaturas_.empezarCuadro();
    esperando_.clear();
    if (mod) {
        const double arriba = verticalOffset(), alto = viewport()->height();
        const auto [desde, hasta] = rejilla_.visibles(arriba, arriba + alto);
        std::vector<int> filas;
        for (auto i = desde; i < hasta; ++i)
            filas.push_back(int(i));
        // Cells gliding in from off screen are drawn too, over the others.
        if (tic_.isActive())
            for (int fila = 0; fila < mod->rowCount(); ++fila) {
                if (std::size_t(fila) >= desde && std::size_t(fila) < hasta) continue;
                auto it = celdas_.find(mod->pagina(fila).id);
                if (it == celdas_.end() || it->second.y.enReposo()) continue;
                const double y = it->second.y.valor - arriba;
                if (y + rejilla_.altoCelda > 0 && y < alto) filas.push_back(fila);
            }
        // Scattered small updates (turning progress indicators) paint only their cells.
        const QRegion& zona = e->region();
        const int lado = ladoMiniatura();
        for (int fila : filas) {
            const QRectF marco = marcoVisible(fila);
            const double margen = (rejilla_.anchoColumna - rejilla_.tamano) / 2;
            if (zona.intersects(marco
                                    .adjusted(-margen, -Rejilla::relleno, margen,
                                              Rejilla::separacionNumero + Rejilla::altoNumero +
                                                  Rejilla::relleno)
                                    .toAlignedRect()))
                pintarCelda(p, fila, marco);
            else // a partial repaint still keeps every visible page asked for
                miniaturas_.imagen(mod->pagina(fila), lado);
        }
        // The next screenful above and below is drawn ahead, after the visible cells.
        const auto [antes, despues] = rejilla_.visibles(arriba - alto, arriba + 2 * alto);
        for (auto i = antes; i < despues; ++i)
            if (i < desde || i >= hasta) miniaturas_.imagen(mod->pagina(int(i)), lado, false);
    }
    miniaturas_.terminarCuadro();
    // Prepared pictures of cells long gone from the screen are let go.
    if (preparadas_.size() > 256)
        std::erase_if(preparadas_, [this](const auto& x) { return x.second.cuadro + 8 < cuadro_; });
    if (!esperando_.empty() && !tic_.isActive()) {
        ultimoTic_ = reloj_.elapsed();
        tic_.start();
    }
    Q_EMIT pintada();
}

void RejillaPaginas::pintarCelda(QPainter& p, int fila, const QRectF& marco) {
    ModeloPaginas* mod = modelo();
    const PaginaPDF& pagina = mod->pagina(fila);
    const QModelIndex indice = mod->index(fila);
    const bool seleccionada = indice.data(ModeloPaginas::RolSeleccionada).toBool();
    const bool arrastrada = indice.data(ModeloPaginas::RolArrastrada).toBool();
    const auto celda = celdas_.find(pagina.id);
    const double giro = celda != celdas_.end() ? celda->second.giro.valor : double(pagina.rotacion);

    p.save();
    if (arrastrada) p.setOpacity(opacidadArrastrada);
    const double anchoCelda = rejilla_.anchoColumna;
    const QRectF fondo(marco.center().x() - anchoCelda / 2, marco.top() - Rejilla::relleno,
                       anchoCelda, rejilla_.altoCelda);
    if (seleccionada) {
        QColor c = Estilo::acento;
        c.setAlphaF(0.14);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(fondo, 10, 10);
    }

    const QImage img = miniaturas_.imagen(pagina, ladoMiniatura());
    if (img.isNull()) {
        // Until the thumbnail arrives: a blank sheet with a turning arc.
        p.setPen(QPen(QColor(0, 0, 0, 20), 1));
        p.setBrush(QColor(0xfa, 0xfa, 0xfc));
        p.drawRoundedRect(marco.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        const double r = std::min(11.0, marco.width() / 6);
        const QRectF arco(marco.center() - QPointF(r, r), QSizeF(2 * r, 2 * r));
        p.setPen(QPen(Estilo::terciario, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        const int inicio = -int((reloj_.elapsed() % 1000) * 360 / 1000) * 16;
        p.drawArc(arco, inicio, 270 * 16);
        esperando_.push_back(arco.toAlignedRect().adjusted(-3, -3, 3, 3));
    } else if (celda != celdas_.end() && celda->second.giro.enReposo() &&
               std::fmod(giro, 90.0) == 0) {
        // At rest on a quarter turn: a copy of a picture made to measure, on whole pixels.
        const int cuartos = int(((std::llround(giro / 90) % 4) + 4) % 4);
        const double dpr = devicePixelRatioF();
        const QSizeF girada = cuartos % 2 ? QSizeF(img.height(), img.width()) : QSizeF(img.size());
        const double escala =
            std::min(marco.width() / girada.width(), marco.height() / girada.height()) * dpr;
        const QSize px(std::max(1, int(std::lround(girada.width() * escala))),
                       std::max(1, int(std::lround(girada.height() * escala))));
        const QImage& lista = preparada(pagina.id, img, px, cuartos);
        const QSizeF logico = QSizeF(px) / dpr;
        const QPointF esquina(std::round((marco.center().x() - logico.width() / 2) * dpr) / dpr,
                              std::round((marco.center().y() - logico.height() / 2) * dpr) / dpr);
        const QRectF hoja(esquina, logico);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 26));
        p.drawRoundedRect(hoja.translated(0, 1.5).adjusted(-1, -1, 1, 1), 2, 2);
        p.drawImage(esquina, lista);
        if (seleccionada) {
            p.setPen(QPen(Estilo::acento, 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(hoja.adjusted(-2, -2, 2, 2), 3, 3);
        }
    } else {
        // Turning: fitted into the frame at every angle of the way.
        const double rad = giro * std::numbers::pi / 180.0;
        const double w = img.width(), h = img.height();
        const double cw = std::abs(std::cos(rad)), sw = std::abs(std::sin(rad));
        const double escala =
            std::min(marco.width() / (w * cw + h * sw), marco.height() / (w * sw + h * cw));
        const QRectF hoja(-w * escala / 2, -h * escala / 2, w * escala, h * escala);
        p.translate(marco.center());
        p.rotate(giro);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 26));
        p.drawRoundedRect(hoja.translated(0, 1.5).adjusted(-1, -1, 1, 1), 2, 2);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(hoja, img);
        if (seleccionada) {
            p.setPen(QPen(Estilo::acento, 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(hoja.adjusted(-2, -2, 2, 2), 3, 3);
        }
        p.resetTransform();
    }

    const QRectF numero(fondo.left(), marco.bottom() + Rejilla::separacionNumero, anchoCelda,
                        Rejilla::altoNumero);
    const QString texto = QString::number(fila + 1);
    QFont f = font();
    f.setWeight(QFont::DemiBold);
    Estilo::escalar(f, 0.92);
    p.setFont(f);
    if (seleccionada) {
        const double ancho = QFontMetricsF(f).horizontalAdvance(texto) + 14;
        const QRectF capsula(numero.center().x() - ancho / 2, numero.top(), ancho, numero.height());
        p.setPen(Qt::NoPen);
        p.setBrush(Estilo::acento);
        p.drawRoundedRect(capsula, numero.height() / 2, numero.height() / 2);
        p.setPen(Qt::white);
    } else {
        p.setPen(Estilo::secundario);
    }
    p.drawText(numero, Qt::AlignCenter, texto);
    p.restore();
}

// ---- Mouse ---------------------------------------------------------------------------------

void RejillaPaginas::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    presionada_ = -1;
    if (e->button() != Qt::LeftButton) return;
    const QModelIndex i = indexAt(e->position().toPoint());
    presionada_ = i.isValid() ? i.row() : -1;
    puntoPresion_ = e->position().toPoint();
}

void RejillaPaginas::mouseMoveEvent(QMouseEvent* e) {
    if (presionada_ < 0 || !(e->buttons() & Qt::LeftButton)) return;
    if ((e->position().toPoint() - puntoPresion_).manhattanLength() <
        QApplication::startDragDistance())
        return;
    startDrag(Qt::MoveAction);
}

void RejillaPaginas::mouseReleaseEvent(QMouseEvent* e) {
    const int fila = presionada_;
    presionada_ = -1;
    if (fila < 0 || e->button() != Qt::LeftButton) return;
    const QModelIndex i = indexAt(e->position().toPoint());
    if (!i.isValid() || i.row() != fila) return;
    const auto m = e->modifiers();
    Q_EMIT pulsada(fila, m.testFlag(Qt::ControlModifier), m.testFlag(Qt::ShiftModifier));
}

void RejillaPaginas::contextMenuEvent(QContextMenuEvent* e) {
    const QModelIndex i = indexAt(e->pos());
    if (i.isValid()) Q_EMIT menuPedido(i.row(), e->globalPos());
}

// ---- Dragging ------------------------------------------------------------------------------

void RejillaPaginas::startDrag(Qt::DropActions) {
    ModeloPaginas* mod = modelo();
    const int fila = presionada_;
    presionada_ = -1;
    if (!mod || fila < 0 || fila >= mod->rowCount()) return;
    const QString id = mod->index(fila).data(ModeloPaginas::RolId).toString();
    // The picture under the pointer is the cell as it looks now.
    const QRectF marco = marcoVisible(fila);
    const QRect zona = marco
                           .adjusted(-Rejilla::relleno, -Rejilla::relleno, Rejilla::relleno,
                                     Rejilla::relleno + Rejilla::altoNumero)
                           .toAlignedRect();
    // Slightly see-through, so the cells it passes over stay readable.
    const QPixmap celda = viewport()->grab(zona);
    QPixmap imagen(celda.size());
    imagen.setDevicePixelRatio(celda.devicePixelRatio());
    imagen.fill(Qt::transparent);
    {
        QPainter p(&imagen);
        p.setOpacity(0.85);
        p.drawPixmap(0, 0, celda);
    }
    Q_EMIT arrastreEmpezado(fila);

    auto* datos = new QMimeData;
    datos->setText(id);
    datos->setData(tipoPagina, id.toUtf8());
    QDrag arrastre(this);
    arrastre.setMimeData(datos);
    arrastre.setPixmap(imagen);
    arrastre.setHotSpot(puntoPresion_ - zona.topLeft());
    arrastrando_ = true;
    arrastre.exec(Qt::MoveAction, Qt::MoveAction);
    arrastrando_ = false;
    desplazamiento_.stop();
    // However it ended (dropped, cancelled, released outside), the page is no longer
    // dragged.
    Q_EMIT arrastreTerminado();
}

void RejillaPaginas::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasFormat(tipoPagina)) {
        e->setDropAction(Qt::MoveAction);
        e->accept();
    } else if (e->mimeData()->hasUrls() || e->mimeData()->hasText()) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void RejillaPaginas::dragMoveEvent(QDragMoveEvent* e) {
    if (!e->mimeData()->hasFormat(tipoPagina)) {
        e->acceptProposedAction();
        return;
    }
    e->setDropAction(Qt::MoveAction);
    e->accept();
    puntoArrastre_ = e->position().toPoint();
    seguirArrastre(puntoArrastre_);
    const int y = puntoArrastre_.y(), alto = viewport()->height();
    if (y < bordeDesplazamiento || y > alto - bordeDesplazamiento) {
        if (!desplazamiento_.isActive()) desplazamiento_.start();
    } else {
        desplazamiento_.stop();
    }
}

void RejillaPaginas::seguirArrastre(QPoint punto) {
    const QModelIndex i = indexAt(punto);
    if (i.isValid()) Q_EMIT arrastreSobre(i.row());
}

void RejillaPaginas::desplazarArrastre() {
    const int y = puntoArrastre_.y(), alto = viewport()->height();
    // Faster the nearer the edge, up to about a screen per second.
    int paso = 0;
    if (y < bordeDesplazamiento) paso = -(bordeDesplazamiento - std::max(0, y));
    if (y > alto - bordeDesplazamiento)
        paso = std::min(bordeDesplazamiento, y - (alto - bordeDesplazamiento));
    QScrollBar* barra = verticalScrollBar();
    const int antes = barra->value();
    barra->setValue(antes + paso / 2);
    if (barra->value() == antes) {
        desplazamiento_.stop();
        return;
    }
    // Cells pass under a still pointer: the dragged page follows them.
    seguirArrastre(puntoArrastre_);
}

void RejillaPaginas::dragLeaveEvent(QDragLeaveEvent*) {
    desplazamiento_.stop();
}

void RejillaPaginas::dropEvent(QDropEvent* e) {
    desplazamiento_.stop();
    const QMimeData* d = e->mimeData();
    if (d->hasFormat(tipoPagina)) {
        e->setDropAction(Qt::MoveAction);
        e->accept();
        return;
    }
    e->acceptProposedAction();
    if (d->hasUrls()) Q_EMIT archivosSoltados(d->urls());
}

} // namespace Livora
