// The editors as a user drives them in the real window, offscreen: the crop editor's drags,
// chips and keys; the text editor's typing, dragging and panel; the picker; and that a
// layer is shown where the renderer puts it.
#include "editores/panel_capas.h"
#include "editores/selector_emoji.h"
#include "editores/vista_capas.h"
#include "editores/vista_recorte.h"
#include "main/panel_derecho.h"
#include "main/ventana.h"
#include "motor/capas.h"
#include "soporte.h"
#include "vistas/comparador.h"
#include "vistas/imagen_qt.h"

#include <QListWidget>
#include <QMouseEvent>

using namespace Livora;
using namespace prueba;

namespace {

void raton(QWidget* w, QEvent::Type tipo, QPointF p) {
    const Qt::MouseButton boton = tipo == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons botones =
        tipo == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(tipo, p, w->mapToGlobal(p), boton, botones, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void arrastrar(QWidget* w, QPointF desde, std::initializer_list<QPointF> puntos) {
    raton(w, QEvent::MouseButtonPress, desde);
    for (QPointF p : puntos)
        raton(w, QEvent::MouseMove, p);
    raton(w, QEvent::MouseButtonRelease, puntos.size() ? *(puntos.end() - 1) : desde);
}

// Bounding box of the light opaque pixels of a picture (the text over a dark one).
QRect claros(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) == 255 && qGray(p) > 160) r |= QRect(x, y, 1, 1);
        }
    return r;
}

// A dark grey picture, as the renderer's own test picture below.
Imagen fondoGris(int ancho, int alto) {
    return (vips::VImage::black(ancho, alto, vips::VImage::option()->set("bands", 3)) + 30)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .copy_memory();
}

class EditoresVista : public ConVentana {
protected:
    PanelDerecho* panel = nullptr;

    void SetUp() override {
        salidasPorDefecto = {{"alta", 400}, {"media", 300}};
        bytes = 100000;
        foto = ImagenFuente::enMemoria(fondoGris(400, 300));
        crear(motorRapido());
        mostrarVentana();
        panel = ventana->panel();
        abrir("foto.jpg");
    }
    const ArchivoEstado& activo() const { return *e().archivoActivo(); }
    // A point of the shown picture, by its fractions.
    QPointF en(LienzoEditor* v, double fx, double fy) const {
        const QRectF m = v->marco();
        return {m.left() + fx * m.width(), m.top() + fy * m.height()};
    }
};

} // namespace

TEST_F(EditoresVista, RecortarDibujandoConChipsYTeclas) {
    panel->comparador()->acercar();
    ASSERT_GT(panel->comparador()->estado().escala, 1);
    vista->abrirRecorte();
    ASSERT_EQ(panel->contenido(), Contenido::Recorte);
    VistaRecorte* r = panel->vistaRecorte();
    EXPECT_FALSE(r->botonRecortar()->isEnabled());
    EXPECT_TRUE(r->chip(0)->isChecked());

    // The drags' and chips' arithmetic is tested on its own; here, that the widget feeds
    // them: a drawn selection enables the button and a chip sets its ratio.
    arrastrar(r, en(r, 0.1, 0.1), {en(r, 0.3, 0.3), en(r, 0.5, 0.5)});
    EXPECT_TRUE(r->botonRecortar()->isEnabled());
    EXPECT_NEAR(r->estado().sel->ancho, 0.4 * r->tamMarco().ancho, 1);
    r->chip(4)->click(); // 16:9
    EXPECT_TRUE(r->chip(4)->isChecked());
    EXPECT_FALSE(r->chip(0)->isChecked());
    EXPECT_NEAR(r->estado().sel->ancho / r->estado().sel->alto, 16.0 / 9, 1e-9);

    // Escape cancels; coming back starts afresh.
    QTest::keyClick(r, Qt::Key_Escape);
    EXPECT_FALSE(e().modoRecorte);
    vista->abrirRecorte();
    EXPECT_FALSE(r->estado().sel);
    EXPECT_TRUE(r->chip(0)->isChecked());
    arrastrar(r, en(r, 0.5, 0.1), {en(r, 1.0, 0.9)});
    r->chip(2)->click();
    QTest::keyClick(r, Qt::Key_Return);
    EXPECT_FALSE(e().modoRecorte);
    EXPECT_TRUE(activo().recortado);
    EXPECT_NEAR(double(activo().fuente->ancho) / activo().fuente->alto, 0.8, 0.02);
    ASSERT_TRUE(esperarTrabajos(*vista));
    // The comparator is shown again, fresh, with the undo button.
    EXPECT_EQ(panel->contenido(), Contenido::Comparacion);
    EXPECT_EQ(panel->comparador()->estado().escala, 1);
    EXPECT_TRUE(panel->botonDeshacerRecorte()->isVisibleTo(panel));
    panel->botonDeshacerRecorte()->click();
    EXPECT_FALSE(activo().recortado);
    EXPECT_EQ(activo().fuente->ancho, 400);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_FALSE(panel->botonDeshacerRecorte()->isVisibleTo(panel));
}

TEST_F(EditoresVista, TextoEscribirArrastrarYPanel) {
    vista->abrirTexto();
    ASSERT_EQ(panel->contenido(), Contenido::Texto);
    VistaCapas* v = panel->vistaCapas();
    PanelCapas* p = panel->panelCapas();
    // The new layer is being typed into at once; the tools are off inside the editor.
    ASSERT_EQ(activo().capas.size(), 1u);
    EXPECT_EQ(e().capaSeleccionada, activo().capas[0].id);
    ASSERT_TRUE(v->campo()->isVisible());
    EXPECT_TRUE(v->campo()->hasFocus());
    vista->alternarSinFondo();
    EXPECT_FALSE(activo().sinFondo);
    EXPECT_EQ(p->pistaRapidos()->text(), "→ se añade al texto");
    QTest::keyClicks(v->campo(), "Hola");
    EXPECT_EQ(activo().capas[0].texto, "Hola");
    p->botonesRapidos()[3]->click(); // 🔥 goes into the text
    EXPECT_EQ(activo().capas[0].texto, "Hola🔥");
    EXPECT_EQ(v->campo()->text(), "Hola🔥");
    QTest::keyClick(v->campo(), Qt::Key_Return);
    EXPECT_FALSE(e().capaEditando);
    EXPECT_FALSE(v->campo()->isVisible());
    EXPECT_EQ(p->pistaRapidos()->text(), "→ se suelta como sticker");

    // Drag it to the lower third: the centre follows the pointer.
    const QPointF centro = v->cajaEnVista(0).center();
    arrastrar(v, centro, {centro + QPointF(1, 1), en(v, 0.5, 0.8)});
    EXPECT_NEAR(activo().capas[0].posX, 0.5, 1e-9);
    EXPECT_NEAR(activo().capas[0].posY, 0.8, 1e-9);

    // Double click types again; the layer being typed into does not move; a click on the
    // picture away from it ends typing.
    QTest::mouseDClick(v, Qt::LeftButton, Qt::NoModifier, v->cajaEnVista(0).center().toPoint());
    EXPECT_EQ(e().capaEditando, activo().capas[0].id);
    EXPECT_TRUE(v->campo()->isVisible());
    raton(v, QEvent::MouseButtonPress, en(v, 0.5, 0.5));
    EXPECT_FALSE(e().capaEditando);
    EXPECT_EQ(e().capaSeleccionada, activo().capas[0].id);

    // The panel: size, colour with alpha, shadow.
    ASSERT_TRUE(p->filaControles()->isVisibleTo(p));
    p->deslizadorTamano()->setValue(1200);
    EXPECT_NEAR(activo().capas[0].tamano, 0.12, 1e-9);
    p->pedirColor = [](const QColor&) { return std::optional<QColor>(QColor(255, 200, 0, 128)); };
    p->botonColor()->click();
    EXPECT_NEAR(activo().capas[0].color.g, 200 / 255.0, 1e-3);
    EXPECT_NEAR(activo().capas[0].color.a, 128 / 255.0, 1e-3);
    p->casillaSombra()->click();
    EXPECT_FALSE(activo().capas[0].sombra);

    // A quick emoji as a sticker where the sticker cycle puts it, then the picker, then
    // delete and add.
    p->botonesRapidos()[6]->click();
    ASSERT_EQ(activo().capas.size(), 2u);
    EXPECT_EQ(activo().capas[1].texto, "🎉");
    EXPECT_DOUBLE_EQ(activo().capas[1].posY, 0.45);
    EXPECT_EQ(e().capaSeleccionada, activo().capas[1].id);
    p->botonEmojis()->click();
    SelectorEmoji* s = panel->selectorEmoji();
    EXPECT_TRUE(s->isVisible());
    QTest::keyClicks(s->busqueda(), listaEmojis().emojis.size() > 100 ? "cohete" : "");
    ASSERT_GT(s->rejilla()->count(), 0);
    const QString elegido = s->rejilla()->item(0)->text();
    Q_EMIT s->rejilla()->itemClicked(s->rejilla()->item(0));
    EXPECT_FALSE(s->isVisible());
    ASSERT_EQ(activo().capas.size(), 3u);
    EXPECT_EQ(QString::fromStdString(activo().capas[2].texto), elegido);
    p->botonEliminar()->click();
    EXPECT_EQ(activo().capas.size(), 2u);
    EXPECT_EQ(e().capaSeleccionada, activo().capas[1].id);
    p->botonEliminar()->click();
    p->botonEliminar()->click();
    EXPECT_TRUE(activo().capas.empty());
    EXPECT_TRUE(p->pista()->isVisibleTo(p));
    EXPECT_FALSE(p->filaControles()->isVisibleTo(p));
    p->botonAnadir()->click();
    EXPECT_EQ(activo().capas.size(), 1u);
    EXPECT_TRUE(v->campo()->isVisible());
    // Deleting the layer being typed into: the stale typing state makes a sticker instead.
    p->botonEliminar()->click();
    EXPECT_TRUE(e().capaEditando);
    p->botonesRapidos()[3]->click();
    ASSERT_EQ(activo().capas.size(), 1u);
    EXPECT_EQ(activo().capas[0].texto, "🔥");

    panel->botonListo()->click();
    EXPECT_FALSE(e().modoTexto);
    EXPECT_FALSE(e().capaEditando);
    ASSERT_TRUE(esperarTrabajos(*vista));
    // Entering again on a record with layers selects the first without adding one.
    vista->abrirTexto();
    EXPECT_EQ(activo().capas.size(), 1u);
    EXPECT_EQ(e().capaSeleccionada, activo().capas[0].id);
}

TEST_F(EditoresVista, LaCapaSeVeDondeLaDibujaElRenderizador) {
    vista->abrirTexto();
    CapaTexto c = activo().capas[0];
    c.texto = "HOLA";
    c.posX = 0.3;
    c.posY = 0.7;
    c.tamano = 0.15;
    c.sombra = false;
    vista->bindingCapas().escribir({c});
    vista->setCapaEditando(std::nullopt);
    vista->setCapaSeleccionada(std::nullopt);
    VistaCapas* v = panel->vistaCapas();
    // Inside the rounded corners, where only the picture shows.
    const QRect m = v->marco().toAlignedRect().adjusted(16, 16, -16, -16);
    // Wait for the picture itself, decoded off the interface thread.
    ASSERT_TRUE(QTest::qWaitFor([&] { return qGray(v->grab().toImage().pixel(m.center())) < 60; }));
    const QImage vista = v->grab(m).toImage();
    // The renderer on a picture of the shown size.
    const double dpr = v->devicePixelRatioF();
    const QImage salida = imagenQt(renderizarCapas(
        fondoGris(int(v->marco().width() * dpr), int(v->marco().height() * dpr)), {c}));
    const QRect a = claros(vista),
                b = claros(salida).translated(-(m.topLeft() - v->marco().topLeft().toPoint()));
    ASSERT_FALSE(a.isEmpty());
    EXPECT_NEAR(a.center().x(), b.center().x(), 2);
    EXPECT_NEAR(a.center().y(), b.center().y(), 2);
    EXPECT_NEAR(a.height(), b.height(), 2);
    EXPECT_NEAR(a.width(), b.width(), 2);
}
