// Renders each widget with a real photo, as a user would see it. With LIVORA_CAPTURAS set
// to a folder the pictures are saved there; LIVORA_ICONOS_RCC may name a compiled icon
// set to draw the symbols with.
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/filtros.h"
#include "motor/metadatos.h"
#include "vistas/comparador.h"
#include "vistas/controles_personalizada.h"
#include "vistas/fila_objetivo.h"
#include "vistas/imagen_qt.h"
#include "vistas/metadatos_vista.h"
#include "vistas/panel_filtros.h"

#include <QDir>
#include <QPainter>
#include <QResource>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <set>

using namespace Livora;

namespace {

const Ruta foto = Ruta(LIVORA_DATOS_TEST) / "foto_exif.jpg";

class Capturas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QByteArray rcc = qgetenv("LIVORA_ICONOS_RCC");
        if (!rcc.isEmpty()) QResource::registerResource(QString::fromLocal8Bit(rcc));
    }

    void guardar(const QImage& img, const char* nombre) {
        const QByteArray dir = qgetenv("LIVORA_CAPTURAS");
        if (dir.isEmpty()) return;
        QDir().mkpath(QString::fromLocal8Bit(dir));
        EXPECT_TRUE(img.save(QString::fromLocal8Bit(dir) + "/" + nombre));
    }

    // A picture that is all one colour would mean nothing was drawn.
    static std::size_t colores(const QImage& img) {
        std::set<QRgb> c;
        for (int y = 0; y < img.height(); y += 3)
            for (int x = 0; x < img.width(); x += 3)
                c.insert(img.pixel(x, y));
        return c.size();
    }
};

} // namespace

TEST_F(Capturas, ComparadorConZoomEnUnaEsquina) {
    auto cargada = cargarImagen(foto);
    ASSERT_TRUE(cargada);
    // The after picture: a heavily compressed JPEG, so the zoom shows its blocks.
    auto bytes = codificar(cargada->imagen, Formato::JPEG, 0.08, nullptr);
    ASSERT_TRUE(bytes);
    auto dir = dirTemporal();
    ASSERT_TRUE(dir.ok());
    const Ruta baja = *dir / "baja.jpg";
    ASSERT_TRUE(escribirArchivo(baja, *bytes).ok());

    Comparador c;
    c.resize(720, 500);
    c.setAntes(imagenQt(cargada->imagen));
    c.setDespues(proveedorArchivo(baja));
    c.setIdentidad("foto-false");
    c.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
    // The after picture is decoded in the background; wait until it is drawn.
    const QPoint derecha = (c.marco().center() + QPointF(c.marco().width() / 4, 0)).toPoint();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return c.grab().toImage().pixelColor(derecha) != Qt::white; }));
    guardar(c.grab().toImage(), "comparador.png");

    for (int i = 0; i < 3; ++i)
        c.acercar(); // 337 %
    // Pan to the top-left corner, starting far from the divider.
    const QRectF m = c.marco();
    const QPoint inicio = (m.topLeft() + QPointF(m.width() * 0.8, m.height() * 0.5)).toPoint();
    QTest::mousePress(&c, Qt::LeftButton, {}, inicio);
    QTest::mouseMove(&c, inicio + QPoint(3000, 3000));
    QTest::mouseRelease(&c, Qt::LeftButton, {}, inicio + QPoint(3000, 3000));
    EXPECT_EQ(c.estado().arrastrandoDivisor, std::nullopt);
    const double lx = (c.estado().escala - 1) * m.width() / 2;
    EXPECT_DOUBLE_EQ(c.estado().despl.x, lx);
    QTest::qWait(450);
    const QImage img = c.grab().toImage();
    EXPECT_GT(colores(img), 200u);
    guardar(img, "comparador_zoom.png");
}

TEST_F(Capturas, Personalizada) {
    QWidget marco;
    auto* pila = new QVBoxLayout(&marco);
    auto* c = new ControlesPersonalizada(&marco);
    c->setFuente(TamanoFuente{480, 320});
    AjustesImagen a;
    a.calidadCustom = 65;
    a.anchoCustom = 402;
    a.altoCustom = 874;
    c->setAjustes(a);
    pila->addWidget(c);
    auto* objetivo = new FilaObjetivo(&marco);
    objetivo->setTexto("300");
    pila->addWidget(objetivo);
    marco.resize(340, marco.sizeHint().height());
    marco.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&marco));
    const QImage img = marco.grab().toImage();
    EXPECT_GT(colores(img), 10u);
    guardar(img, "personalizada.png");
}

TEST_F(Capturas, PopoverDeMetadatosConGps) {
    auto props = leerPropiedades(foto);
    ASSERT_TRUE(props);
    const auto resumen = resumenMetadatos(props);
    FilaMetadatos fila;
    fila.setArchivo("foto_exif.jpg", resumen);
    fila.resize(320, fila.sizeHint().height());
    fila.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fila));
    fila.setMostrarInfo(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fila.popover()));
    const QImage pop = fila.popover()->grab().toImage();
    EXPECT_EQ(pop.width(), 340 * int(fila.popover()->devicePixelRatioF()));
    EXPECT_GT(colores(pop), 10u);
    guardar(fila.grab().toImage(), "metadatos_fila.png");
    guardar(pop, "metadatos_popover.png");
}

TEST_F(Capturas, PanelDeFiltros) {
    auto cargada = cargarImagen(foto);
    ASSERT_TRUE(cargada);
    std::map<std::string, QImage> miniaturas;
    for (const auto& [clave, img] : miniaturasFiltros(cargada->imagen))
        miniaturas[clave] = imagenQt(img);
    PanelFiltros p;
    p.setMiniaturas(miniaturas);
    FiltroAjustes f;
    f.preset = "ninguno";
    f.contraste = 1.2;
    p.setFiltros(f);
    p.resize(640, p.sizeHint().height());
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    QImage fondo(p.size() * p.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    fondo.setDevicePixelRatio(p.devicePixelRatioF());
    fondo.fill(QColor(90, 110, 130));
    {
        QPainter pintor(&fondo);
        p.render(&pintor, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    EXPECT_GT(colores(fondo), 100u);
    guardar(fondo, "filtros.png");
}
