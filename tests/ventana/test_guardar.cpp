// Saving next to the original, batch saving, the merged-PDF dialog path, failures that
// must not destroy earlier outputs, and the sharing doors.
#include "main/textos.h"
#include "soporte.h"

#include <fstream>
#include <sstream>

using namespace Livora;
using namespace prueba;

namespace {

std::string leer(const Ruta& r) {
    std::ifstream f(r, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class Guardar : public ConVentana {
protected:
    void SetUp() override { crear(motorRapido()); }
};

// The real intake of a photo, then every output saved next to it.
TEST_F(Guardar, GuardarTodasConUnaFotoRealCopiaCadaSalidaJuntoAlOriginal) {
    crear();
    const Ruta foto = tmp.copiar(datos("foto_exif.jpg"), "foto.jpg");
    vista->procesar(foto);
    EXPECT_TRUE(e().procesando);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 1u) << e().mensaje;
    EXPECT_FALSE(e().procesando);
    const auto variantes = e().archivos[0].variantes;
    ASSERT_GE(variantes.size(), 4u);
    vista->guardar(true);
    EXPECT_EQ(e().mensaje,
              "✓ Guardadas " + std::to_string(variantes.size()) + " junto al original");
    ASSERT_EQ(escritorio.revelados.size(), 1u);
    ASSERT_EQ(escritorio.revelados[0].size(), variantes.size());
    for (std::size_t i = 0; i < variantes.size(); ++i) {
        const Ruta esperado = tmp.ruta() / ("foto." + variantes[i].sufijo + "." + variantes[i].ext);
        EXPECT_EQ(escritorio.revelados[0][i], esperado);
        EXPECT_EQ(leer(esperado), leer(variantes[i].urlTemp)) << esperado;
    }
    EXPECT_EQ(leer(foto), leer(datos("foto_exif.jpg"))) << "the original is never touched";
}

TEST_F(Guardar, GuardarUnaSalidaYVolverAGuardarLaReemplaza) {
    salidas["foto.png"] = {{"sin-perdida", 2000}, {"alta", 300}};
    abrir("foto.png");
    vista->guardar(false);
    EXPECT_EQ(e().mensaje, "✓ Guardada 1 junto al original");
    const Ruta destino = tmp.ruta() / "foto.alta.jpg";
    EXPECT_EQ(std::filesystem::file_size(destino), 300u);
    std::ofstream(e().varianteActiva()->urlTemp, std::ios::binary) << "nuevo";
    vista->guardar(false);
    EXPECT_EQ(leer(destino), "nuevo");
    EXPECT_EQ(escritorio.revelados.back(), std::vector<Ruta>{destino});
}

TEST_F(Guardar, LoteGuardaLaElegidaDeCadaArchivoYSaltaLosSinEleccion) {
    salidas["a.jpg"] = {{"alta", 100}, {"media", 50}};
    salidas["b.png"] = {};
    salidas["c.jpg"] = {{"alta", 2000}, {"webp", 10}};
    salidas["c.png"] = {{"webp", 20}}; // the same base name: both count
    for (const char* n : {"a.jpg", "b.png", "c.jpg", "c.png"})
        vista->procesar(tmp.ruta() / n);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 4u);
    const auto b = botonesGuardar(e());
    EXPECT_EQ(b.lote, "Guardar lote"); // not "Guardar todas": several files
    vista->guardar(true);
    EXPECT_EQ(e().mensaje, "✓ Guardadas 3 junto al original");
    std::vector<std::string> nombres;
    for (const auto& r : escritorio.revelados.at(0))
        nombres.push_back(r.filename().string());
    std::vector<std::string> esperado;
    for (const auto& a : e().archivos)
        for (const auto& v : a.variantes)
            if (a.seleccionada == v.id)
                esperado.push_back(a.url.stem().string() + "." + v.sufijo + "." + v.ext);
    EXPECT_EQ(nombres, esperado);
}

TEST_F(Guardar, UnaCopiaFallidaAvisaNoBorraLaSalidaAnteriorYSigueConLasDemas) {
    salidas["a.jpg"] = {{"alta", 100}};
    salidas["b.jpg"] = {{"alta", 100}};
    abrir("a.jpg");
    vista->guardar(false);
    const Ruta anterior = tmp.ruta() / "a.alta.jpg";
    const std::string contenido = leer(anterior);
    abrir("b.jpg");
    // The first job's temporary file vanished: its copy fails.
    std::filesystem::remove(e().archivos[0].variantes[0].urlTemp);
    escritorio.revelados.clear();
    vista->guardar(true);
    EXPECT_EQ(e().mensaje.rfind("✓ Guardada 1 de 2 · ❌ ", 0), 0u) << e().mensaje;
    EXPECT_NE(e().mensaje.find("(a.alta.jpg)"), std::string::npos) << e().mensaje;
    EXPECT_EQ(leer(anterior), contenido);
    EXPECT_TRUE(std::filesystem::exists(tmp.ruta() / "b.alta.jpg"));
    ASSERT_EQ(escritorio.revelados.size(), 1u);
}

TEST_F(Guardar, LoteDeUnaCarpetaGuardaJuntoACadaOriginalYMuestraLaCarpeta) {
    const Ruta raiz = tmp.ruta() / "Vacaciones";
    for (const char* n : {"a.jpg", "Día 1/b.jpg", "Día 2/c.jpg", "Día 2/d.png"}) {
        std::filesystem::create_directories((raiz / n).parent_path());
        std::ofstream(raiz / n) << "original";
        salidas[Ruta(n).filename().string()] = {{"alta", 10}};
    }
    soltar(raiz);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 4u);
    vista->guardar(true);
    EXPECT_EQ(e().mensaje, "✓ Guardadas 4 junto al original, en 3 carpetas");
    EXPECT_EQ(escritorio.revelados.back(), std::vector<Ruta>{raiz});
    for (const char* n : {"a.alta.jpg", "Día 1/b.alta.jpg", "Día 2/c.alta.jpg", "Día 2/d.alta.jpg"})
        EXPECT_EQ(std::filesystem::file_size(raiz / n), 10u) << n;
    // One folder's worth still selects the files themselves.
    vista->quitar(e().archivos[0].id);
    vista->quitar(e().archivos[0].id);
    vista->guardar(true);
    EXPECT_EQ(e().mensaje, "✓ Guardadas 2 junto al original");
    EXPECT_EQ(escritorio.revelados.back(),
              (std::vector<Ruta>{raiz / "Día 2/c.alta.jpg", raiz / "Día 2/d.alta.jpg"}));
}

// A merged PDF arrives through the PDF door with esCombinado.
TEST_F(Guardar, UnPDFCombinadoSoloMuestraGuardarConPuntosYUsaElDialogo) {
    vista->abrirPDF(tmp.ruta() / "Combinado.pdf", tmp.ruta() / "Combinado.pdf", true, 4000);
    ASSERT_TRUE(esperarTrabajos(*vista));
    const auto b = botonesGuardar(e());
    EXPECT_EQ(b.principal, "Guardar…");
    EXPECT_FALSE(b.hayLote);
    EXPECT_EQ(e().archivos[0].bytesOriginal, 4000);
    vista->avisar("antes");
    vista->guardar(false); // the dialog cancelled: nothing happens
    EXPECT_EQ(e().mensaje, "antes");
    EXPECT_TRUE(escritorio.revelados.empty());
    const Ruta destino = tmp.ruta() / "elegido" / "unido.pdf";
    std::filesystem::create_directory(destino.parent_path());
    dialogos.destino = destino;
    vista->guardar(false);
    EXPECT_EQ(dialogos.propuestos, (std::vector<std::string>{"Combinado.pdf", "Combinado.pdf"}));
    EXPECT_EQ(e().mensaje, "✓ Guardado");
    EXPECT_EQ(std::filesystem::file_size(destino), 800u);
    EXPECT_EQ(escritorio.revelados.back(), std::vector<Ruta>{destino});
    // The merged file has no folder of its own to show.
    vista->revelarOriginal(e().archivos[0].id);
    EXPECT_EQ(escritorio.revelados.size(), 1u);
}

TEST_F(Guardar, CompartirUsaElArchivoTemporalDeLaSalidaActiva) {
    vista->copiarSalida();
    EXPECT_TRUE(escritorio.copiados.empty());
    salidas["a.jpg"] = {{"alta", 100}};
    abrir("a.jpg");
    vista->copiarSalida();
    vista->abrirSalidaCon();
    vista->enviarSalidaPorCorreo();
    const Ruta t = e().varianteActiva()->urlTemp;
    EXPECT_EQ(escritorio.copiados, std::vector<Ruta>{t});
    EXPECT_EQ(escritorio.abiertos, std::vector<Ruta>{t});
    EXPECT_EQ(escritorio.correos, std::vector<Ruta>{t});
    vista->revelarOriginal(e().archivos[0].id);
    EXPECT_EQ(escritorio.revelados.back(), std::vector<Ruta>{tmp.ruta() / "a.jpg"});
}

TEST(Ahorro, TextoDeLaActivaYColor) {
    EstadoVentana e;
    Variante v;
    v.bytes = 250;
    EXPECT_EQ(ahorroActivo(e, v), "—"); // no active file
    ArchivoEstado a;
    e.archivos.push_back(a);
    e.archivoActivoID = a.id;
    // Original, output: the text and whether the capsule is green.
    for (const auto& [original, salida, texto, verde] :
         {std::tuple<int, int, std::string, bool>{1000, 250, "−75 %", true},
          {1000, 1000, "−0 %", false},
          {1000, 1010, "+1 %", false},
          {0, 10, "—", false}}) {
        e.archivos[0].bytesOriginal = original;
        v.bytes = salida;
        EXPECT_EQ(ahorroActivo(e, v), texto);
        EXPECT_EQ(esAhorro(salida, original), verde) << texto;
    }
}

} // namespace
