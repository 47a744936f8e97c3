#include "vistas/metadatos_vista.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Livora;

namespace {

std::vector<ItemMetadato> conGps() {
    ItemMetadato camara;
    camara.icono = "camera.fill";
    camara.titulo = "Cámara";
    camara.valor = "Canon EOS 400D";
    ItemMetadato gps;
    gps.icono = "location.fill";
    gps.titulo = "Ubicación GPS";
    gps.valor = "40.4168, -3.7038";
    gps.sensible = true;
    return {camara, gps};
}

QStringList textos(QWidget* w, const char* nombre) {
    QStringList r;
    for (auto* l : w->findChildren<QLabel*>(nombre))
        r << l->text();
    return r;
}

} // namespace

TEST(ContenidoMetadatos, TextosSegunElEstado) {
    const auto vacio = contenidoPopoverMetadatos("foto.png", {}, true);
    EXPECT_EQ(vacio.titulo, "Metadatos de foto.png");
    EXPECT_TRUE(vacio.vacio);
    EXPECT_EQ(vacio.textoVacio, "Esta imagen no contiene metadatos EXIF, GPS ni IPTC.");
    EXPECT_EQ(vacio.simboloVacio, "checkmark.seal");
    EXPECT_TRUE(vacio.nota.empty());

    const auto quitar = contenidoPopoverMetadatos("foto_exif.jpg", conGps(), true);
    EXPECT_FALSE(quitar.vacio);
    EXPECT_EQ(quitar.lineas.size(), 2u);
    EXPECT_EQ(quitar.etiqueta,
              "Con el interruptor activado, todos estos datos se eliminan de las salidas.");
    EXPECT_EQ(quitar.simboloEtiqueta, "shield.checkered");
    EXPECT_FALSE(quitar.etiquetaAviso);
    EXPECT_EQ(quitar.nota,
              "WebP los gestiona cwebp con el mismo criterio. El PDF no se ve afectado.");

    const auto conservar = contenidoPopoverMetadatos("foto_exif.jpg", conGps(), false);
    EXPECT_EQ(conservar.etiqueta,
              "Interruptor desactivado: estos datos se copiarán tal cual a las salidas.");
    EXPECT_EQ(conservar.simboloEtiqueta, "exclamationmark.shield");
    EXPECT_TRUE(conservar.etiquetaAviso);
}

TEST(ContenidoMetadatos, ElBotonAvisaSoloConUnaLineaSensible) {
    EXPECT_EQ(simboloInfoMetadatos({}), "info.circle");
    auto lineas = conGps();
    EXPECT_EQ(simboloInfoMetadatos(lineas), "exclamationmark.triangle.fill");
    lineas.pop_back();
    EXPECT_EQ(simboloInfoMetadatos(lineas), "info.circle");
}

TEST(FilaMetadatosVista, ElInterruptorAvisaYElPopoverMuestraSusTextos) {
    FilaMetadatos fila;
    fila.setArchivo("foto_exif.jpg", conGps());
    fila.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fila));
    auto* info = fila.findChild<QToolButton*>("infoMetadatos");
    EXPECT_EQ(info->toolTip(), "Ver qué metadatos contiene este archivo");
    EXPECT_TRUE(fila.quitarMetadatos());

    QSignalSpy mostrar(&fila, &FilaMetadatos::mostrarInfoCambiado);
    info->click();
    EXPECT_TRUE(fila.mostrandoInfo());
    ASSERT_EQ(mostrar.count(), 1);
    EXPECT_TRUE(mostrar.last().at(0).toBool());
    PopoverMetadatos* p = fila.popover();
    EXPECT_EQ(p->width(), 340);
    EXPECT_EQ(textos(p, "titulo"), QStringList{"Metadatos de foto_exif.jpg"});
    EXPECT_EQ(textos(p, "sensible"), QStringList{"SENSIBLE"});
    EXPECT_EQ(textos(p, "valor"), (QStringList{"Canon EOS 400D", "40.4168, -3.7038"}));
    EXPECT_EQ(textos(p, "etiqueta").value(0),
              "Con el interruptor activado, todos estos datos se eliminan de las salidas.");

    QSignalSpy quitar(&fila, &FilaMetadatos::quitarMetadatosCambiado);
    fila.findChild<QAbstractButton*>("quitarMetadatos")->click();
    ASSERT_EQ(quitar.count(), 1);
    EXPECT_FALSE(quitar.last().at(0).toBool());
    EXPECT_EQ(textos(p, "etiqueta").value(0),
              "Interruptor desactivado: estos datos se copiarán tal cual a las salidas.");

    // Turned on by the window: no signal back, so it cannot loop.
    fila.setQuitarMetadatos(true);
    EXPECT_EQ(quitar.count(), 1);

    info->click();
    EXPECT_FALSE(fila.mostrandoInfo());
    EXPECT_FALSE(mostrar.last().at(0).toBool());
}

TEST(FilaMetadatosVista, CerrarElPopoverDesdeFueraSeNotifica) {
    FilaMetadatos fila;
    fila.setArchivo("sin.png", {});
    fila.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fila));
    fila.setMostrarInfo(true);
    EXPECT_EQ(textos(fila.popover(), "sinMetadatos"),
              QStringList{"Esta imagen no contiene metadatos EXIF, GPS ni IPTC."});
    QSignalSpy mostrar(&fila, &FilaMetadatos::mostrarInfoCambiado);
    fila.setMostrarInfo(false); // the window closing it says nothing back
    EXPECT_EQ(mostrar.count(), 0);
    fila.setMostrarInfo(true);
    fila.popover()->close(); // as a click outside would
    ASSERT_EQ(mostrar.count(), 1);
    EXPECT_FALSE(mostrar.last().at(0).toBool());
}
