// PDFs through the window with the real engine: opening, the password loop on a real
// protected file, and merging open files or picked ones.
#include "../motor/test_pdf_comun.h"
#include "main/textos.h"
#include "soporte.h"

using namespace Livora;
using namespace prueba;
using LivoraPrueba::a4;
using LivoraPrueba::Cifrado;
using LivoraPrueba::crearPDF;

namespace {

class PDFReal : public ConVentana {
protected:
    void SetUp() override { crear(); }
};

TEST_F(PDFReal, ContrasenaPedidaHastaLaBuenaOHastaCancelar) {
    const Ruta pdf = crearPDF("ventana protegido.pdf", a4(1), Cifrado{"abre", "jefe"});
    // Cancelled after one wrong password: no record, no notice, the earlier one kept.
    vista->avisar("antes");
    dialogos.contrasenas = {"mala"}; // then the script runs out: "Cancelar"
    abrirRuta(pdf);
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_EQ(e().mensaje, "antes");
    EXPECT_FALSE(e().procesando);
    EXPECT_EQ(dialogos.informativos.size(), 2u);

    dialogos.informativos.clear();
    dialogos.contrasenas = {"x", "y", "z", "abre"};
    abrirRuta(pdf);
    ASSERT_EQ(e().archivos.size(), 1u) << e().mensaje;
    ASSERT_EQ(dialogos.informativos.size(), 4u);
    EXPECT_EQ(dialogos.titulos[0], "«ventana protegido.pdf» está protegido");
    EXPECT_EQ(dialogos.informativos[0], "Introduce la contraseña para abrirlo.");
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(dialogos.informativos[i], "Contraseña incorrecta. Inténtalo de nuevo.");
    EXPECT_EQ(e().archivos[0].url, pdf);
    ASSERT_TRUE(e().archivos[0].fuentePDF);
    EXPECT_NE(*e().archivos[0].fuentePDF, pdf);
}

TEST_F(PDFReal, UnirLosArchivosAbiertosCreaUnRegistroCombinado) {
    const Ruta foto = tmp.copiar(datos("foto_exif.jpg"), "foto.jpg");
    const Ruta pdf = crearPDF("ventana_union.pdf", a4(2));
    abrirRuta(foto);
    abrirRuta(pdf);
    ASSERT_EQ(e().archivos.size(), 2u);
    const ArchivoEstado& p = e().archivos[1];
    EXPECT_FALSE(p.esImagen);
    EXPECT_EQ(p.paginas.size(), 2u);
    EXPECT_FALSE(p.variantes.empty());
    EXPECT_EQ(subtitulo(e()).rfind("2 páginas · ", 0), 0u) << subtitulo(e());
    const std::int64_t suma = e().archivos[0].bytesOriginal + e().archivos[1].bytesOriginal;
    vista->combinar(e().archivos);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 3u) << e().mensaje;
    const ArchivoEstado& c = e().archivos[2];
    EXPECT_TRUE(c.esCombinado);
    EXPECT_EQ(c.url.filename(), "Combinado.pdf");
    EXPECT_EQ(c.paginas.size(), 3u);
    EXPECT_EQ(c.bytesOriginal, suma);
    EXPECT_EQ(e().archivoActivoID, c.id);
    EXPECT_EQ(botonesGuardar(e()).principal, "Guardar…");
}

TEST_F(PDFReal, ElegirParaUnirDejaFueraLoIlegibleYUnoSoloSeAbreSinCombinar) {
    const Ruta pdf = crearPDF("ventana_elegido.pdf", a4(1));
    const Ruta roto = tmp.escribir("roto.pdf", "esto no es un PDF");
    dialogos.archivos = {pdf};
    vista->elegirParaUnir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 1u);
    EXPECT_FALSE(e().archivos[0].esCombinado);
    EXPECT_EQ(e().archivos[0].url, pdf);

    vista->volverInicio();
    dialogos.archivos = {pdf, roto};
    vista->elegirParaUnir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 1u) << e().mensaje;
    EXPECT_TRUE(e().archivos[0].esCombinado);
    EXPECT_EQ(e().archivos[0].paginas.size(), 1u);
    EXPECT_EQ(e().mensaje, "⚠️ No se pudo unir: roto.pdf");
}

} // namespace
