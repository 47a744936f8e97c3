#include "vistas/comparador.h"
#include "vistas/imagen_perezosa.h"

#include <QApplication>
#include <QLabel>
#include <QMutex>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

using namespace Livora;

namespace {

QImage lleno(QSize s, QColor c) {
    QImage img(s, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// A 4 × 2 chessboard: at 400 × 200 each source pixel covers 100 points.
QImage tablero() {
    QImage img(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            img.setPixel(x, y, (x + y) % 2 ? 0xffffffff : 0xff000000);
    return img;
}

struct Fixture : ::testing::Test {
    Comparador c;
    void SetUp() override {
        c.resize(400, 200);
        c.setAntes(lleno({800, 400}, Qt::red));
        c.setDespues(lleno({800, 400}, Qt::blue));
        c.setIdentidad("a-false");
        c.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
    }
    QToolButton* boton(const char* nombre) { return c.findChild<QToolButton*>(nombre); }
    QString porcentaje() { return c.findChild<QLabel*>("porcentajeZoom")->text(); }
};

using ComparadorVista = Fixture;

} // namespace

TEST_F(ComparadorVista, LaBarraDeZoomSigueLosLimites) {
    EXPECT_EQ(porcentaje(), "100 %");
    EXPECT_FALSE(boton("alejar")->isEnabled());
    EXPECT_TRUE(boton("acercar")->isEnabled());
    EXPECT_FALSE(boton("tamanoReal")->isVisibleTo(&c));
    for (int i = 0; i < 6; ++i)
        boton("acercar")->click();
    EXPECT_EQ(porcentaje(), "800 %");
    EXPECT_FALSE(boton("acercar")->isEnabled());
    EXPECT_TRUE(boton("alejar")->isEnabled());
    EXPECT_TRUE(boton("tamanoReal")->isVisibleTo(&c));
    EXPECT_EQ(boton("tamanoReal")->toolTip(), "Tamaño real");
    boton("tamanoReal")->click();
    EXPECT_EQ(c.estado().escala, 1);
    EXPECT_EQ(porcentaje(), "100 %");
}

// Clicking "+" twice in a row must zoom twice: "Tamaño real" appearing after the first
// click must not slide into the place "+" was.
TEST_F(ComparadorVista, MasNoSeMueveAlAparecerTamanoReal) {
    const auto sitio = [&](const char* n) { return boton(n)->mapTo(&c, QPoint(0, 0)); };
    const QPoint mas = sitio("acercar"), menos = sitio("alejar");
    boton("acercar")->click();
    ASSERT_TRUE(boton("tamanoReal")->isVisibleTo(&c));
    EXPECT_EQ(sitio("acercar"), mas);
    EXPECT_EQ(sitio("alejar"), menos);
    const QRect real(sitio("tamanoReal"), boton("tamanoReal")->size());
    EXPECT_FALSE(real.contains(mas + QPoint(4, 4)));
    EXPECT_LE(real.right(), int(c.width()));
    boton("tamanoReal")->click();
    EXPECT_EQ(sitio("acercar"), mas);
}

TEST_F(ComparadorVista, LaIdentidadDecideSiSeConservaElEstado) {
    boton("acercar")->click();
    c.alternarLado();
    c.setIdentidad("a-false"); // another alternative of the same record
    c.setDespues(lleno({100, 50}, Qt::green));
    EXPECT_EQ(c.estado().escala, 1.5);
    EXPECT_EQ(c.estado().pos, 1);
    c.setIdentidad("a-true"); // the record was cropped
    EXPECT_EQ(c.estado().escala, 1);
    EXPECT_EQ(c.estado().pos, 0.5);
    EXPECT_EQ(porcentaje(), "100 %");
    boton("acercar")->click();
    c.setIdentidad("b-true");
    EXPECT_EQ(c.estado().escala, 1);
}

TEST_F(ComparadorVista, ArrastrarMueveElDivisorYConZoomPanea) {
    QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_DOUBLE_EQ(c.estado().pos, 0.25);
    QTest::mouseMove(&c, QPoint(300, 120));
    EXPECT_DOUBLE_EQ(c.estado().pos, 0.75);
    QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(300, 120));
    EXPECT_FALSE(c.estado().arrastrandoDivisor);

    c.acercar(); // 150 %: pan limit 100 × 50
    QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(c.estado().arrastrandoDivisor, false);
    QTest::mouseMove(&c, QPoint(160, 90));
    EXPECT_EQ(c.estado().despl, (Desp{60, -10}));
    QTest::mouseMove(&c, QPoint(399, 199));
    EXPECT_EQ(c.estado().despl, (Desp{100, 50}));
    QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(399, 199));
    EXPECT_DOUBLE_EQ(c.estado().pos, 0.75);
}

TEST_F(ComparadorVista, DobleClicEspacioYPellizco) {
    QTest::mouseDClick(&c, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_EQ(c.estado().escala, 2.5);
    QTest::mouseDClick(&c, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_EQ(c.estado().escala, 1);

    c.setFocus();
    const double antes = c.estado().pos;
    QTest::keyClick(&c, Qt::Key_Space);
    EXPECT_EQ(c.estado().pos, antes > 0.5 ? 0 : 1);

    const QPointingDevice* dev = QPointingDevice::primaryPointingDevice();
    auto gesto = [&](Qt::NativeGestureType t, double v) {
        QNativeGestureEvent e(t, dev, 2, QPointF(200, 100), QPointF(200, 100), QPointF(200, 100), v,
                              QPointF());
        QApplication::sendEvent(&c, &e);
    };
    gesto(Qt::BeginNativeGesture, 0);
    gesto(Qt::ZoomNativeGesture, 1.0); // ×2
    gesto(Qt::ZoomNativeGesture, 4.0); // ×5 → 10, stops at 8
    EXPECT_EQ(c.estado().escala, 8);
    gesto(Qt::EndNativeGesture, 0);
    gesto(Qt::BeginNativeGesture, 0);
    gesto(Qt::ZoomNativeGesture, -0.5);
    EXPECT_EQ(c.estado().escala, 4);
    gesto(Qt::EndNativeGesture, 0);
    EXPECT_EQ(c.estado().escalaBase, 4);
}

TEST_F(ComparadorVista, PasadoElDoscientosLosPixelesSeVenComoBloques) {
    c.setAntes(tablero());
    c.setDespues(tablero());
    // At 100 % the 4 × 2 picture is interpolated: near a pixel edge the colour is blended.
    QImage liso = c.grab().toImage();
    const QRgb borde = liso.pixel(105, 50);
    EXPECT_GT(qRed(borde), 10);
    EXPECT_LT(qRed(borde), 245);
    c.acercar();
    c.acercar();
    c.acercar();       // 337 %
    QTest::qWait(400); // let the zoom animation settle before grabbing
    QImage bloques = c.grab().toImage();
    for (int x = 120; x < 280; x += 7) {
        const int r = qRed(bloques.pixel(x, 60));
        EXPECT_TRUE(r < 3 || r > 252) << x << ": " << r;
    }
}

TEST_F(ComparadorVista, ElDespuesMasPequenoCubreElMismoMarco) {
    c.setDespues(lleno({8, 4}, Qt::blue));
    c.alternarLado(); // pos 1: before everywhere
    c.alternarLado(); // pos 0: after everywhere
    QTest::qWait(400);
    const QImage img = c.grab().toImage();
    // Away from the captions at the top and the zoom bar at the bottom right.
    for (QPoint p :
         {QPoint(20, 80), QPoint(385, 80), QPoint(20, 190), QPoint(200, 190), QPoint(200, 100)})
        EXPECT_EQ(img.pixelColor(p), QColor(Qt::blue)) << p.x() << "," << p.y();
}

TEST(ComparadorPerezoso, DecodificaFueraDelHiloYALaResolucionDelZoom) {
    Comparador c;
    c.resize(400, 200);
    c.setAntes(lleno({4000, 2000}, Qt::red));
    c.setIdentidad("x-false");
    QMutex m;
    std::vector<QSize> pedidos;
    std::atomic<bool> enHiloPrincipal{false};
    QThread* principal = QThread::currentThread();
    c.setDespues([&](QSize maximo) {
        if (QThread::currentThread() == principal) enHiloPrincipal = true;
        QMutexLocker l(&m);
        pedidos.push_back(maximo);
        return lleno(maximo.boundedTo({4000, 2000}), Qt::blue);
    });
    c.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
    auto ultimo = [&] {
        QMutexLocker l(&m);
        return pedidos.empty() ? QSize() : pedidos.back();
    };
    const qreal dpr = c.devicePixelRatioF();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ultimo() == QSize(400, 200) * dpr; }));
    for (int i = 0; i < 6; ++i)
        c.acercar();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ultimo() == QSize(3200, 1600) * dpr; }));
    EXPECT_FALSE(enHiloPrincipal);
}

TEST(ImagenPerezosaCache, AlejarseReusaLaImagenAjustadaSinDecodificarOtraVez) {
    ImagenPerezosa img;
    std::atomic<int> llamadas{0};
    img.fijar([&](QSize maximo) {
        ++llamadas;
        return lleno(maximo.boundedTo({4000, 3000}), Qt::blue);
    });
    QSignalSpy llegada(&img, &ImagenPerezosa::cambiada);
    img.pedir({400, 300});
    ASSERT_TRUE(llegada.wait(5000));
    EXPECT_EQ(img.actual().size(), QSize(400, 300));
    img.pedir({3200, 2400});
    ASSERT_TRUE(llegada.wait(5000));
    EXPECT_EQ(img.actual().size(), QSize(3200, 2400));
    // Back to the fitted size: the first picture is still there.
    img.pedir({400, 300});
    EXPECT_EQ(img.actual().size(), QSize(400, 300));
    EXPECT_FALSE(img.decodificando());
    // A source with fewer pixels than asked is complete: nothing more is asked of it.
    img.pedir({8000, 6000});
    ASSERT_TRUE(llegada.wait(5000));
    EXPECT_EQ(img.actual().size(), QSize(4000, 3000));
    img.pedir({9000, 6750});
    EXPECT_FALSE(img.decodificando());
    EXPECT_EQ(llamadas, 3);
}

TEST(ImagenPerezosaCache, UnResultadoSuperadoSeDescarta) {
    ImagenPerezosa img;
    auto soltar = std::make_shared<QSemaphore>();
    img.fijar([soltar](QSize m) {
        soltar->acquire();
        return lleno(m, Qt::red);
    });
    img.pedir({100, 100});
    img.fijar([](QSize m) { return lleno(m, Qt::green); }); // another alternative chosen
    QSignalSpy llegada(&img, &ImagenPerezosa::cambiada);
    img.pedir({100, 100});
    ASSERT_TRUE(llegada.wait(5000));
    soltar->release(); // the old decode finishes last
    QTest::qWait(100);
    EXPECT_EQ(img.actual().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(llegada.count(), 1);
}

// Switching records never shows the previous record's pictures; coming back to a record
// draws its own before/after at once from the store of previews,
// before any decode: sharp when the frame is the one they were decoded for, a preview
// capped in size (sharpened in the background) in a frame beyond that cap.
TEST(ComparadorPrevias, VolverAUnRegistroLoMuestraSinEsperarAlDecodificador) {
    const QSize foto(4000, 3000);
    struct Caso {
        QSize ventana;
        const char* alVolver;
    };
    for (const Caso& caso : {Caso{{700, 525}, "antes=nitida despues=nitida"},
                             Caso{{2000, 1500}, "antes=previa despues=previa"}}) {
        SCOPED_TRACE(caso.ventana.width());
        Comparador c;
        c.resize(caso.ventana);
        c.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
        auto abrir = [&](const QString& id, QColor antes, QColor despues,
                         const std::shared_ptr<QSemaphore>& espera = {}) {
            auto decodificar = [foto, espera](QColor color) {
                return [foto, espera, color](QSize maximo) {
                    if (espera) espera->acquire();
                    return lleno(foto.scaled(maximo.boundedTo(foto), Qt::KeepAspectRatio), color);
                };
            };
            c.setIdentidad(id);
            c.setAntes(foto, decodificar(antes), id + ":antes");
            c.setDespues(decodificar(despues), id + ":despues");
        };
        auto nitido = [&] { return c.pintura() == "antes=nitida despues=nitida"; };
        abrir("a", Qt::red, Qt::blue);
        ASSERT_TRUE(QTest::qWaitFor(nitido, 20000));
        abrir("b", Qt::green, Qt::yellow);
        ASSERT_TRUE(QTest::qWaitFor(nitido, 20000));

        // A record not seen yet: nothing of the previous one stays while it decodes.
        auto retenido = std::make_shared<QSemaphore>();
        abrir("c", Qt::black, Qt::white, retenido);
        EXPECT_EQ(c.pintura(), "antes=vacia despues=vacia");
        retenido->release(2);

        auto decodificador = std::make_shared<QSemaphore>();
        abrir("a", Qt::darkRed, Qt::darkBlue, decodificador); // held until released below
        EXPECT_EQ(c.pintura(), caso.alVolver);
        const QImage vista = c.grab().toImage();
        const QRectF m = c.marco();
        const qreal dpr = vista.devicePixelRatio();
        EXPECT_EQ(vista.pixelColor((QPointF(m.left() + 40, m.center().y()) * dpr).toPoint()),
                  QColor(Qt::red));
        EXPECT_EQ(vista.pixelColor((QPointF(m.right() - 40, m.center().y()) * dpr).toPoint()),
                  QColor(Qt::blue));

        // Four previews kept, each at most the cap on its long side, within the budget.
        EXPECT_EQ(c.previas().cuantas(), 4u);
        const qint64 lado = std::min<qint64>(ImagenPerezosa::ladoPrevia,
                                             std::ceil(m.width() * c.devicePixelRatioF()));
        EXPECT_LE(c.previas().bytes(), std::size_t(4 * lado * (lado * 3 / 4 + 1) * 4));
        decodificador->release(2);
        EXPECT_TRUE(QTest::qWaitFor(nitido, 20000));
    }
}
