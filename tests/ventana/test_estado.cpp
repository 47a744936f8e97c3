// Notices, removal, return to the start screen, active-record rules, arrow keys and the
// texts derived from the state.
#include "main/textos.h"
#include "soporte.h"

using namespace Livora;
using namespace prueba;

namespace {

// A window whose image intake returns prepared records instantly.
class Estado : public ConVentana {
protected:
    void SetUp() override {
        MotorVentana m = MotorVentana::real();
        const Ruta carpeta = tmp.ruta();
        m.ingestaImagen = [carpeta](const Ruta& url, const AjustesImagen&) {
            return Resultado<ArchivoEstado>(registroFalso(
                url, carpeta, 1000, {{"sin-perdida", 2000}, {"alta", 400}, {"media", 300}}));
        };
        crear(m);
    }
    void abrir(std::initializer_list<const char*> nombres) {
        for (const char* n : nombres)
            vista->procesar(tmp.ruta() / n);
        ASSERT_TRUE(esperarTrabajos(*vista));
    }
};

TEST_F(Estado, AvisoNuevoNoLoBorraElTemporizadorDelAnterior) {
    vista->avisar("primero");
    reloj.avanzar(3000);
    vista->avisar("segundo");
    reloj.avanzar(2000); // 5 s: the first notice's time
    EXPECT_EQ(e().mensaje, "segundo");
    reloj.avanzar(2999);
    EXPECT_EQ(e().mensaje, "segundo");
    reloj.avanzar(1); // 8 s
    EXPECT_EQ(e().mensaje, "");
}

TEST_F(Estado, ElMismoTextoRepetidoTambienDuraCincoSegundos) {
    vista->avisar("✓ Guardada 1 junto al original");
    reloj.avanzar(4000);
    vista->avisar("✓ Guardada 1 junto al original");
    reloj.avanzar(1500);
    EXPECT_EQ(e().mensaje, "✓ Guardada 1 junto al original");
    reloj.avanzar(3500);
    EXPECT_EQ(e().mensaje, "");
}

TEST_F(Estado, ClicEnElAvisoLoDescarta) {
    vista->avisar("hola");
    vista->descartarAviso();
    EXPECT_EQ(e().mensaje, "");
    reloj.avanzar(6000);
    EXPECT_EQ(e().mensaje, "");
}

TEST_F(Estado, QuitarElActivoActivaElPrimeroYQuitarOtroLoConserva) {
    abrir({"a.jpg", "b.jpg", "c.jpg"});
    const Uuid a = e().archivos[0].id, b = e().archivos[1].id, c = e().archivos[2].id;
    EXPECT_EQ(e().archivoActivoID, c);
    vista->quitar(b);
    EXPECT_EQ(e().archivoActivoID, c);
    vista->quitar(c);
    EXPECT_EQ(e().archivoActivoID, a);
    vista->quitar(a);
    EXPECT_FALSE(e().archivoActivoID);
    EXPECT_FALSE(e().idxActivo());
}

TEST_F(Estado, VolverAlInicioConservaLosAjustesMenosElObjetivo) {
    abrir({"a.jpg"});
    vista->setAjustesCustom(55, 800, 600, false);
    vista->setQuitarMetadatos(false);
    vista->setObjetivoTexto("300");
    vista->ajustarObjetivo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    vista->alternarFiltros();
    vista->abrirRecorte();
    vista->avisar("x");
    vista->volverInicio();
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_FALSE(e().archivoActivoID);
    EXPECT_FALSE(e().modoRecorte || e().mostrarFiltros || e().modoTexto || e().modoPaginas);
    EXPECT_EQ(e().mensaje, "");
    EXPECT_EQ(e().ajustes.calidadCustom, 55);
    EXPECT_EQ(e().ajustes.anchoCustom, 800);
    EXPECT_EQ(e().ajustes.altoCustom, 600);
    EXPECT_FALSE(e().ajustes.proporcionBloqueada);
    EXPECT_FALSE(e().ajustes.quitarMetadatos);
    EXPECT_FALSE(e().ajustes.objetivoKB);
    EXPECT_EQ(e().objetivoTexto, "300");
}

TEST_F(Estado, CambiarDeActivoCierraLosEditoresYCopiaLasOpcionesPDF) {
    abrir({"a.jpg", "b.jpg"});
    vista->abrirRecorte();
    vista->alternarFiltros();
    EXPECT_TRUE(e().modoRecorte);
    vista->activar(e().archivos[0].id);
    EXPECT_FALSE(e().modoRecorte);
    EXPECT_TRUE(e().mostrarFiltros);
    vista->abrirTexto();
    EXPECT_TRUE(e().modoTexto);
    ASSERT_TRUE(e().capaSeleccionada);
    vista->activar(e().archivos[1].id);
    EXPECT_FALSE(e().modoTexto);
    EXPECT_FALSE(e().capaSeleccionada);
    EXPECT_EQ(e().opcionesBorrador, OpcionesPDF{});
}

TEST_F(Estado, FlechasMuevenLaEleccionConTope) {
    abrir({"a.jpg"});
    const auto& vs = e().archivos[0].variantes;
    // Initial choice: "alta", the first smaller than the original.
    EXPECT_EQ(e().varianteActiva()->sufijo, "alta");
    vista->moverSeleccion(+1);
    EXPECT_EQ(e().varianteActiva()->sufijo, "media");
    vista->moverSeleccion(+1);
    EXPECT_EQ(e().varianteActiva()->sufijo, "media");
    vista->moverSeleccion(-1);
    vista->moverSeleccion(-1);
    vista->moverSeleccion(-1);
    EXPECT_EQ(e().varianteActiva()->id, vs[0].id);
}

TEST(Flechas, SinEleccionQueCoincidaAbajoEligeLaSegundaYArribaLaPrimera) {
    ArchivoEstado a;
    for (int i = 0; i < 3; ++i)
        a.variantes.push_back(Variante{});
    a.seleccionada = Uuid::nuevo();
    EXPECT_EQ(indiceMovido(a, +1), 1u);
    EXPECT_EQ(indiceMovido(a, -1), 0u);
    a.variantes.clear();
    EXPECT_FALSE(indiceMovido(a, +1));
}

TEST(Textos, SubtituloDeImagenPDFYSinActivo) {
    EstadoVentana e;
    EXPECT_EQ(subtitulo(e), "");
    EXPECT_EQ(tituloVentana(e), "Livora");
    ArchivoEstado pdf;
    pdf.url = "/x/informe.pdf";
    pdf.esImagen = false;
    pdf.bytesOriginal = 532;
    pdf.paginas.resize(1);
    e.archivos.push_back(pdf);
    e.archivoActivoID = pdf.id;
    EXPECT_EQ(subtitulo(e), "1 página · 532 bytes");
    EXPECT_EQ(tituloVentana(e), "informe.pdf");
    e.archivos[0].paginas.resize(2);
    EXPECT_EQ(subtitulo(e), "2 páginas · 532 bytes");
    EXPECT_EQ(lineaFila(e.archivos[0]), "2 pág. · 532 bytes");

    ArchivoEstado img;
    img.url = "/x/foto.jpg";
    img.bytesOriginal = 532;
    e.archivos.push_back(img);
    e.archivoActivoID = img.id;
    EXPECT_EQ(subtitulo(e), "532 bytes");
    e.archivos[1].fuente = ImagenFuente::enMemoria(vips::VImage::black(480, 320));
    EXPECT_EQ(subtitulo(e), "480 × 320 px · 532 bytes");
}

TEST(Textos, InsigniasEnOrdenYCandadoSoloConContrasena) {
    ArchivoEstado a;
    EXPECT_TRUE(insignias(a).empty());
    a.recortado = true;
    a.filtros.brillo = 0.1;
    a.capas.push_back({});
    a.sinFondo = true;
    std::vector<std::string> s;
    for (const auto& i : insignias(a))
        s.push_back(i.simbolo + "|" + i.ayuda);
    EXPECT_EQ(s, (std::vector<std::string>{"crop|Recortada", "camera.filters|Con filtros",
                                           "textformat|Con texto",
                                           "person.and.background.dotted|Sin fondo"}));
    ArchivoEstado pdf;
    pdf.esImagen = false;
    pdf.fuentePDF = "/x/a.pdf";
    pdf.paginas = {PaginaPDF{Uuid::nuevo(), "/x/a.pdf", 0, 0}};
    pdf.paginasIniciales = 1;
    pdf.opcionesPDF.proteger = true;
    EXPECT_TRUE(insignias(pdf).empty());
    pdf.opcionesPDF.contrasena = "x";
    pdf.paginas[0].rotacion = 90;
    ASSERT_EQ(insignias(pdf).size(), 2u);
    EXPECT_EQ(insignias(pdf)[0].ayuda, "Páginas editadas");
    EXPECT_EQ(insignias(pdf)[1].simbolo, "lock.fill");
    EXPECT_EQ(insignias(pdf)[1].ayuda, "Protegido con contraseña");
}

TEST(Textos, CampoObjetivo) {
    EXPECT_FALSE(objetivoDeTexto(""));
    EXPECT_FALSE(objetivoDeTexto("12k"));
    EXPECT_FALSE(objetivoDeTexto("1.5"));
    EXPECT_FALSE(objetivoDeTexto("+"));
    EXPECT_FALSE(objetivoDeTexto("99999999999999999999"));
    EXPECT_EQ(objetivoDeTexto("200"), 200);
    EXPECT_EQ(objetivoDeTexto(" \t200  "), 200);
    EXPECT_EQ(objetivoDeTexto("+200"), 200);
    EXPECT_EQ(objetivoDeTexto("-5"), -5);
}

} // namespace
