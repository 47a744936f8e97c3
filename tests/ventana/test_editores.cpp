// The editors' window operations: the crop on a real 12 MP photo (accumulating, the 8-pixel
// floor, the undo), the text layers and their bindings, and outputs without a deleted layer.
#include "motor/codec.h"
#include "motor/fuente.h"
#include "motor/recorte.h"
#include "soporte.h"

#include <atomic>

using namespace Livora;
using namespace prueba;
using vips::VImage;

namespace {

// A 4000 × 3000 camera-like JPEG made from the small test photo.
Ruta fotoGrande(const Ruta& carpeta) {
    iniciarMotor();
    Imagen base = cargarImagen(datos("foto_exif.jpg"))->imagen;
    const Ruta r = carpeta / "grande.jpg";
    base.resize(4000.0 / base.width(), VImage::option()->set("vscale", 3000.0 / base.height()))
        .jpegsave(r.c_str(), VImage::option()->set("Q", 90));
    return r;
}

// The real intake; the chain decodes the record's picture for real but, instead of encoding,
// reports the size it got, so the crop is checked without minutes of encoding.
class Editores : public ConVentana {
protected:
    std::shared_ptr<std::atomic<int>> cadenas = std::make_shared<std::atomic<int>>(0);

    void SetUp() override {
        MotorVentana m = MotorVentana::real();
        auto n = cadenas;
        m.cadenaImagen = [n](const EntradaCadena& e) -> Resultado<std::vector<Variante>> {
            ++*n;
            auto img = decodificarFuente(e.fuente);
            if (!img) return error("No se pudo abrir la imagen");
            Variante v;
            v.sufijo = "alta";
            v.detalle = std::to_string(img->width()) + "×" + std::to_string(img->height());
            return std::vector<Variante>{v};
        };
        crear(m);
    }
    const ArchivoEstado& activo() const { return *e().archivoActivo(); }
    std::string tamanoSalida() const { return activo().variantes.at(0).detalle; }
};

} // namespace

TEST_F(Editores, RecorteSobreUnaFotoRealSeAcumulaYSeDeshace) {
    abrirRuta(fotoGrande(tmp.ruta()));
    const auto miniaturasAntes = activo().miniaturasFiltros.at("mono").get_image();

    vista->abrirRecorte();
    vista->aplicarRecorte({0.25, 0.25, 0.5, 0.5});
    EXPECT_FALSE(e().modoRecorte);
    EXPECT_TRUE(activo().recortado);
    EXPECT_EQ(activo().fuente->ancho, 2000);
    EXPECT_EQ(activo().fuente->alto, 1500);
    EXPECT_EQ(activo().previewAntes->clave(), activo().fuente->clave());
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(tamanoSalida(), "2000×1500");
    EXPECT_NE(activo().miniaturasFiltros.at("mono").get_image(), miniaturasAntes);

    // A second crop cuts the cut: the top-left quarter of the centre.
    vista->abrirRecorte();
    vista->aplicarRecorte({0, 0, 0.5, 0.5});
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(activo().fuente->recorte, (RectPixeles{1000, 750, 1000, 750}));
    EXPECT_EQ(tamanoSalida(), "1000×750");
    // The cut is the very pixels of the original there.
    const Imagen entera = cargarImagen(activo().url)->imagen;
    const Imagen cortada = *decodificarFuente(*activo().fuente);
    EXPECT_EQ((entera.extract_area(1000, 750, 1000, 750) - cortada).abs().max(), 0);

    // Under 8 pixels nothing happens and the editor stays open.
    vista->abrirRecorte();
    const int antes = cadenas->load();
    vista->aplicarRecorte({0.5, 0.5, 7.0 / 1000, 0.5});
    vista->aplicarRecorte({0.5, 0.5, 0, 0});
    EXPECT_TRUE(e().modoRecorte);
    EXPECT_EQ(activo().fuente->ancho, 1000);
    EXPECT_EQ(cadenas->load(), antes);
    vista->salirDeModo();

    vista->restaurarRecorte();
    EXPECT_FALSE(activo().recortado);
    EXPECT_EQ(activo().fuente->ancho, 4000);
    EXPECT_FALSE(activo().fuente->recorte);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(tamanoSalida(), "4000×3000");
}

TEST_F(Editores, EnlacesDeCapasYEnlaceCaducado) {
    // Without an active record nothing happens.
    vista->agregarCapa();
    vista->insertarEmoji("🔥");
    vista->eliminarCapaSeleccionada();
    EXPECT_FALSE(e().capaSeleccionada);
    EXPECT_TRUE(vista->bindingCapas().leer().empty());
    vista->bindingCapas().escribir({CapaTexto{}}); // not written
    EXPECT_FALSE(vista->bindingCapaSeleccionada());
    abrirRuta(datos("foto_exif.jpg"));
    EXPECT_FALSE(vista->bindingCapaSeleccionada()); // nothing selected

    vista->agregarCapa();
    vista->agregarCapa();
    auto enlace = vista->bindingCapaSeleccionada();
    ASSERT_TRUE(enlace);
    CapaTexto c = enlace->leer();
    EXPECT_EQ(c.id, activo().capas[1].id);
    c.tamano = 0.2;
    c.color = Color{1, 0, 0, 0.5};
    enlace->escribir(c);
    EXPECT_EQ(activo().capas[1].tamano, 0.2);
    EXPECT_EQ(activo().capas[1].color, (Color{1, 0, 0, 0.5}));

    auto capas = vista->bindingCapas();
    auto lista = capas.leer();
    lista[0].texto = "Hola";
    capas.escribir(lista);
    EXPECT_EQ(activo().capas[0].texto, "Hola");

    // The layer goes and another takes its place in the list: the old binding reads a
    // default layer and writes nothing.
    vista->eliminarCapaSeleccionada();
    vista->agregarCapa();
    const CapaTexto viejo = enlace->leer();
    CapaTexto porDefecto;
    porDefecto.id = viejo.id;
    porDefecto.posY = 0.5;
    EXPECT_EQ(viejo, porDefecto);
    CapaTexto intento = viejo;
    intento.texto = "no debe llegar";
    enlace->escribir(intento);
    for (const auto& x : activo().capas)
        EXPECT_NE(x.texto, "no debe llegar");
    // Selecting a layer that is not there gives no binding; deleting with nothing selected
    // does nothing.
    vista->setCapaSeleccionada(Uuid::nuevo());
    EXPECT_FALSE(vista->bindingCapaSeleccionada());
    const auto capasAntes = activo().capas.size();
    vista->setCapaSeleccionada(std::nullopt);
    vista->eliminarCapaSeleccionada();
    EXPECT_EQ(activo().capas.size(), capasAntes);
}

class EditoresReal : public ConVentana {};

TEST_F(EditoresReal, UnaCapaBorradaNoLlegaALasSalidas) {
    // "Texto", delete its only layer, "Listo": the outputs carry no text at all.
    crear();
    abrirRuta(datos("foto_exif.jpg"));
    auto sinPerdida = [&] {
        for (const auto& v : e().archivoActivo()->variantes)
            if (v.sufijo == "sin-perdida") return cargarImagen(v.urlTemp)->imagen;
        ADD_FAILURE() << "sin salida sin pérdida";
        return Imagen();
    };
    const Imagen original = cargarImagen(datos("foto_exif.jpg"))->imagen;

    vista->abrirTexto();
    vista->terminarTexto();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_GT((sinPerdida() - original).abs().max(), 50); // the layer is drawn

    vista->abrirTexto();
    vista->eliminarCapaSeleccionada();
    vista->terminarTexto();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivoActivo()->capas.empty());
    EXPECT_EQ((sinPerdida() - original).abs().max(), 0);
}
