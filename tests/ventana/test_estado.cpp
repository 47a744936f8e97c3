// Notices, removal, return to the start screen, the choice with no match and the texts
// derived from the state.
#include "main/textos.h"
#include "soporte.h"

using namespace Livora;
using namespace prueba;

namespace {

class Estado : public ConVentana {
protected:
    void SetUp() override { crear(motorRapido()); }
};

// A notice lasts five seconds from its own posting, whatever the earlier one's timer does.
TEST_F(Estado, AvisoDuraCincoSegundosDesdeElUltimo) {
    for (const auto& [primero, segundo, pausa] :
         {std::tuple<std::string, std::string, int>{"primero", "segundo", 3000},
          {"✓ Guardada 1", "✓ Guardada 1", 4000}}) {
        SCOPED_TRACE(segundo);
        vista->avisar(primero);
        reloj.avanzar(pausa);
        vista->avisar(segundo);
        reloj.avanzar(4999);
        EXPECT_EQ(e().mensaje, segundo);
        reloj.avanzar(1);
        EXPECT_EQ(e().mensaje, "");
    }
}

TEST_F(Estado, QuitarElActivoActivaElPrimeroYQuitarOtroLoConserva) {
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        abrir(n);
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
    abrir("a.jpg");
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
    const AjustesImagen& a = e().ajustes;
    EXPECT_EQ(std::tie(a.calidadCustom, a.anchoCustom, a.altoCustom, a.proporcionBloqueada,
                       a.quitarMetadatos),
              std::make_tuple(55.0, 800.0, 600.0, false, false));
    EXPECT_FALSE(a.objetivoKB);
    EXPECT_EQ(e().objetivoTexto, "300");
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

// The subtitle and title with files open are checked on the window (test_widgets.cpp).
TEST(Textos, SinActivoYLineaDeFilaDeUnPDF) {
    EstadoVentana e;
    EXPECT_EQ(subtitulo(e), "");
    EXPECT_EQ(tituloVentana(e), "Livora");
    ArchivoEstado pdf;
    pdf.esImagen = false;
    pdf.bytesOriginal = 532;
    pdf.paginas.resize(2);
    EXPECT_EQ(lineaFila(pdf), "2 pág. · 532 bytes");
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
    for (const char* malo : {"", "12k", "1.5", "+", "99999999999999999999"})
        EXPECT_FALSE(objetivoDeTexto(malo)) << malo;
    for (const char* bueno : {"200", " \t200  ", "+200"})
        EXPECT_EQ(objetivoDeTexto(bueno), 200) << bueno;
    EXPECT_EQ(objetivoDeTexto("-5"), -5);
}

} // namespace
