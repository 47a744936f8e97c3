#include "editores/vista_capas.h"

#include "motor/capas.h"
#include "vistas/estilo.h"
#include "vistas/imagen_qt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Livora {

namespace {

constexpr int altoEtiqueta = 44;
const char* textoEtiqueta = "Arrastra para mover · doble clic para escribir";

std::optional<std::size_t> indice(const std::vector<CapaTexto>& capas,
                                  const std::optional<Uuid>& id) {
    if (!id) return std::nullopt;
    for (std::size_t i = 0; i < capas.size(); ++i)
        if (capas[i].id == *id) return i;
    return std::nullopt;
}

QColor colorQt(const Color& c) {
    return QColor::fromRgbF(float(std::clamp(c.r, 0.0, 1.0)), float(std::clamp(c.g, 0.0, 1.0)),
                            float(std::clamp(c.b, 0.0, 1.0)), float(std::clamp(c.a, 0.0, 1.0)));
}

} // namespace

VistaCapas::VistaCapas(QWidget* padre) : LienzoEditor(padre) {
    setMargenes(altoEtiqueta, 0);
    campo_ = new QLineEdit(this);
    campo_->setPlaceholderText("Escribe…");
    campo_->setFrame(false);
    campo_->setAlignment(Qt::AlignCenter);
    campo_->hide();
    connect(campo_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
        const auto i = indice(capas, editando_.leer ? editando_.leer() : std::nullopt);
        if (!i) return;
        CapaTexto c = capas[*i];
        c.texto = t.toStdString();
        escribirCapa(c);
    });
    connect(campo_, &QLineEdit::returnPressed, this, [this] { terminarEdicion(); });
}

void VistaCapas::setEnlaces(Enlace<std::vector<CapaTexto>> capas,
                            Enlace<std::optional<Uuid>> seleccion,
                            Enlace<std::optional<Uuid>> editando) {
    capas_ = std::move(capas);
    seleccion_ = std::move(seleccion);
    editando_ = std::move(editando);
    refrescar();
}

void VistaCapas::escribirCapa(const CapaTexto& c) {
    if (!capas_.leer || !capas_.escribir) return;
    auto capas = capas_.leer();
    for (auto& x : capas)
        if (x.id == c.id) x = c;
    capas_.escribir(capas);
}

void VistaCapas::terminarEdicion() {
    foco_.reset();
    if (editando_.escribir) editando_.escribir(std::nullopt);
    refrescar();
}

const VistaCapas::Dibujo& VistaCapas::dibujo(const CapaTexto& c) {
    const Tam t = tamMarco();
    const double dpr = devicePixelRatioF();
    const int W = std::max(1, int(std::lround(t.ancho * dpr)));
    const int H = std::max(1, int(std::lround(t.alto * dpr)));
    const double tamano = tamanoEfectivo(c.tamano, t.alto);
    const QString clave =
        QString::fromStdString(c.texto) + QStringLiteral("|%1|%2|%3|%4,%5,%6,%7|%8")
                                              .arg(tamano, 0, 'g', 12)
                                              .arg(W)
                                              .arg(H)
                                              .arg(c.color.r)
                                              .arg(c.color.g)
                                              .arg(c.color.b)
                                              .arg(c.color.a)
                                              .arg(c.sombra ? 1 : 0);
    Dibujo& d = dibujos_[c.id];
    if (d.clave == clave) return d;
    // Drawn on its own with the anchor in the middle of a picture of the shown size: only
    // the offsets from the anchor matter, the layer is placed wherever it is when painted.
    CapaTexto sola = c;
    sola.tamano = tamano;
    sola.posX = sola.posY = 0.5;
    const CapaSuelta s = dibujarCapa(sola, W, H);
    d.clave = clave;
    d.imagen = s.pixeles ? imagenQt(*s.pixeles) : QImage();
    d.imagen.setDevicePixelRatio(dpr);
    d.desplazamiento = QPointF((s.x - 0.5 * W) / dpr, (s.y - 0.5 * H) / dpr);
    d.bloque = QSizeF(s.bloqueAncho / dpr, s.bloqueAlto / dpr);
    return d;
}

std::vector<RectDoble> VistaCapas::cajas() {
    std::vector<RectDoble> r;
    const Tam t = tamMarco();
    for (const auto& c : capas_.leer ? capas_.leer() : std::vector<CapaTexto>{}) {
        const QSizeF b = dibujo(c).bloque;
        r.push_back(cajaCapa(centroCapa(c, t), {b.width(), b.height()}));
    }
    return r;
}

QRectF VistaCapas::cajaEnVista(std::size_t i) {
    const auto cs = cajas();
    if (i >= cs.size()) return {};
    const QPointF o = desdeMarco({cs[i].x, cs[i].y});
    return {o, QSizeF(cs[i].ancho, cs[i].alto)};
}

void VistaCapas::refrescar() {
    const auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
    // Drawings of layers that are gone go with them.
    std::erase_if(dibujos_, [&](const auto& par) { return !indice(capas, par.first); });
    colocarCampo();
    update();
}

void VistaCapas::colocarCampo() {
    const auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
    const std::optional<Uuid> editando = editando_.leer ? editando_.leer() : std::nullopt;
    const auto i = indice(capas, editando);
    if (!i) {
        foco_.reset();
        campo_->hide();
        return;
    }
    const CapaTexto& c = capas[*i];
    const Tam t = tamMarco();
    QFont f("Sans");
    f.setBold(true);
    f.setPixelSize(std::max(1, int(std::lround(tamanoMostrado(c.tamano, t.alto)))));
    if (campo_->font() != f) campo_->setFont(f);
    const QString texto = QString::fromStdString(c.texto);
    if (campo_->text() != texto) campo_->setText(texto);
    const QColor color = colorQt(c.color);
    campo_->setStyleSheet(QStringLiteral("QLineEdit { background: rgba(0,0,0,40); border: none;"
                                         " color: rgba(%1,%2,%3,%4); }")
                              .arg(color.red())
                              .arg(color.green())
                              .arg(color.blue())
                              .arg(color.alpha()));
    const QFontMetrics fm(f);
    const int ancho =
        std::max(fm.horizontalAdvance(texto.isEmpty() ? campo_->placeholderText() : texto),
                 fm.height()) +
        fm.height();
    const QPointF centro = desdeMarco(centroCapa(c, t));
    const int alto = fm.height() + 4;
    campo_->setGeometry(int(std::lround(centro.x() - ancho / 2.0)),
                        int(std::lround(centro.y() - alto / 2.0)), ancho, alto);
    campo_->show();
    campo_->raise();
    // Typing starts at once: the field of the layer being edited takes the keyboard.
    if (foco_ != editando) {
        foco_ = editando;
        campo_->setFocus(Qt::OtherFocusReason);
        campo_->selectAll();
    }
}

void VistaCapas::resizeEvent(QResizeEvent* e) {
    LienzoEditor::resizeEvent(e);
    colocarCampo();
}

void VistaCapas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    pintarImagen(p);
    const QRectF m = marco();
    const auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
    const std::optional<Uuid> sel = seleccion_.leer ? seleccion_.leer() : std::nullopt;
    const std::optional<Uuid> editando = editando_.leer ? editando_.leer() : std::nullopt;
    const Tam t = tamMarco();
    if (!m.isEmpty()) {
        p.save();
        QPainterPath forma;
        forma.addRoundedRect(m, radioEsquinasEditor, radioEsquinasEditor);
        p.setClipPath(forma);
        for (const auto& c : capas) {
            if (editando == c.id) continue;
            const Dibujo& d = dibujo(c);
            if (d.imagen.isNull()) continue;
            p.drawImage(desdeMarco(centroCapa(c, t)) + d.desplazamiento, d.imagen);
        }
        p.restore();
    }
    p.setRenderHint(QPainter::Antialiasing);
    if (const auto i = indice(capas, sel)) {
        QRectF caja = cajaEnVista(*i);
        if (editando == capas[*i].id && campo_->isVisible())
            caja = QRectF(campo_->geometry())
                       .adjusted(-rellenoCapa, -rellenoCapa, rellenoCapa, rellenoCapa);
        QPen pen(colorAcento(palette()), 1.5);
        // Dash lengths are in pen widths: 5 on, 4 off in points.
        pen.setDashPattern({5 / 1.5, 4 / 1.5});
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(caja, 6, 6);
    }
    pintarEtiquetaFlotante(p, QRectF(rect()), QString::fromUtf8(textoEtiqueta),
                           Qt::AlignTop | Qt::AlignHCenter, font());
}

void VistaCapas::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QRectF m = marco();
    const Punto p = enMarco(e->position());
    pulsada_ = capaEn(cajas(), p);
    inicio_ = p;
    arrastrando_ = false;
    // A click on the picture away from every layer ends typing; the selection stays.
    if (!pulsada_ && m.contains(e->position()) && editando_.leer && editando_.leer())
        terminarEdicion();
}

void VistaCapas::mouseMoveEvent(QMouseEvent* e) {
    if (!pulsada_) return;
    const Punto p = enMarco(e->position());
    if (!arrastrando_ && !superaUmbral(inicio_, p)) return;
    arrastrando_ = true;
    auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
    if (*pulsada_ >= capas.size()) return;
    CapaTexto c = capas[*pulsada_];
    // The layer being typed into stays where it is.
    if (editando_.leer && editando_.leer() == c.id) return;
    if (seleccion_.escribir) seleccion_.escribir(c.id);
    moverCapa(c, p, tamMarco());
    escribirCapa(c);
}

void VistaCapas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pulsada_) return;
    const auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
    if (!arrastrando_ && *pulsada_ < capas.size() && seleccion_.escribir)
        seleccion_.escribir(capas[*pulsada_].id);
    pulsada_.reset();
    arrastrando_ = false;
}

void VistaCapas::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const auto capas = capas_.leer ? capas_.leer() : std::vector<CapaTexto>{};
    const auto i = capaEn(cajas(), enMarco(e->position()));
    if (!i) return;
    if (seleccion_.escribir) seleccion_.escribir(capas[*i].id);
    if (editando_.escribir) editando_.escribir(capas[*i].id);
    refrescar();
}

} // namespace Livora
