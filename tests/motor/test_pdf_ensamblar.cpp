#include "test_pdf_comun.h"

#include "motor/pdf.h"

#include <set>

#include <gtest/gtest.h>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>

using namespace Livora;
using namespace LivoraPrueba;

namespace {

Ruta salidaNueva(const std::string& nombre) {
    auto d = dirTemporal();
    return *d / nombre;
}

// Every object with /Type /Page must be a page of the tree: no page dragged in by a link.
std::size_t objetosPagina(QPDF& q) {
    std::size_t n = 0;
    for (auto& o : q.getAllObjects())
        if (o.isDictionary() && o.getKey("/Type").isNameAndEquals("/Page")) ++n;
    return n;
}

} // namespace

TEST(Ensamblar, RotacionPropiaMasExtraNormalizada) {
    auto pags = a4(2);
    pags[0].rotacion = 90;
    pags[1].rotacion = 270;
    Ruta src = crearPDF("rotadas.pdf", pags);
    Ruta out = salidaNueva("r.pdf");
    ASSERT_TRUE(exportarPaginas(refs(src, {0, 1, 0, 1}, {-90, 450, 90, -810}), out));
    auto q = leer(out);
    auto p = paginasDeQPDF(*q);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(rotacionDe(p[0]), 0);
    EXPECT_EQ(rotacionDe(p[1]), 0);
    EXPECT_EQ(rotacionDe(p[2]), 180);
    EXPECT_EQ(rotacionDe(p[3]), 180);
}

TEST(Ensamblar, PaginasFueraDeRangoSeSaltanYSinNingunaEsError) {
    Ruta src = crearPDF("dos.pdf", a4(2));
    Ruta dos = salidaNueva("dos.pdf");
    ASSERT_TRUE(exportarPaginas(refs(src, {5, 1, -1, 0}), dos));
    EXPECT_EQ(paginasDeQPDF(*leer(dos)).size(), 2u);
    for (const auto& lista : {refs(src, {2, 7, -1}), std::vector<PaginaPDF>{}}) {
        Ruta out = salidaNueva("x.pdf");
        auto r = exportarPaginas(lista, out);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().mensaje, "El PDF debe conservar al menos una página");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(Ensamblar, FuentesIlegiblesYEscrituraFallida) {
    Ruta roto = carpetaPrueba() / "informe.pdf";
    escribirArchivo(roto, std::vector<std::uint8_t>{'h', 'o', 'l', 'a'});
    Ruta src = crearPDF("una.pdf", a4(1));
    auto r = exportarPaginas({refs(src, {0})[0], refs(roto, {0})[0]}, salidaNueva("x.pdf"));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().mensaje, "No se pudo abrir informe.pdf");

    auto w = exportarPaginas(refs(src, {0}), "/no/existe/destino.pdf");
    ASSERT_FALSE(w);
    EXPECT_EQ(w.error().mensaje, "La carpeta «existe» no existe");
}

TEST(Ensamblar, RepetidasSonCopiasIndependientesConSusAnotaciones) {
    auto pags = a4(2);
    pags[0].campo = true;
    pags[0].web = true;
    pags[0].enlazaA = 1;
    Ruta src = crearPDF("form.pdf", pags);
    Ruta out = salidaNueva("x.pdf");
    auto r = exportarPaginas(refs(src, {0, 0, 0, 1}, {0, 90, 0, 0}), out);
    ASSERT_TRUE(r) << r.error().mensaje;
    auto q = leer(out);
    auto p = paginasDeQPDF(*q);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(rotacionDe(p[1]), 90);
    EXPECT_EQ(rotacionDe(p[0]), 0);
    std::set<QPDFObjGen> anotaciones;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cuentaAnotaciones(p[i], "/Link"), 2) << i;
        EXPECT_EQ(cuentaAnotaciones(p[i], "/Widget"), 1) << i;
        for (auto a : p[i].getKey("/Annots").aitems()) {
            EXPECT_TRUE(anotaciones.insert(a.getObjGen()).second) << "anotación compartida";
            if (a.hasKey("/P")) {
                EXPECT_TRUE(a.getKey("/P").isSameObjectAs(p[i])) << i;
            }
        }
    }
    // Each copy's widget is a field of the form, and every link still lands on page 4.
    QPDFAcroFormDocumentHelper form(*q);
    EXPECT_EQ(form.getFormFields().size(), 3u);
    for (int i = 0; i < 3; ++i)
        for (auto a : p[i].getKey("/Annots").aitems()) {
            if (a.hasKey("/Dest")) {
                EXPECT_TRUE(a.getKey("/Dest").getArrayItem(0).isSameObjectAs(p[3]));
            }
        }
    EXPECT_EQ(objetosPagina(*q), 4u);
}

TEST(Ensamblar, EnlacesAPaginasQuitadasDesaparecenYLosDemasSiguen) {
    auto pags = a4(3);
    pags[0].enlazaA = 2; // page 3 is left out
    pags[0].web = true;
    pags[2].enlazaA = 0; // points back at page 1, which is kept but later in the output
    Ruta src = crearPDF("enlaces.pdf", pags);
    Ruta out = salidaNueva("x.pdf");
    ASSERT_TRUE(exportarPaginas(refs(src, {1, 0}), out));
    auto q = leer(out);
    auto p = paginasDeQPDF(*q);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(cuentaAnotaciones(p[1], "/Link"), 1); // only the web link is left
    EXPECT_EQ(objetosPagina(*q), 2u);

    Ruta out2 = salidaNueva("y.pdf");
    ASSERT_TRUE(exportarPaginas(refs(src, {2, 1, 0}), out2));
    auto q2 = leer(out2);
    auto p2 = paginasDeQPDF(*q2);
    ASSERT_EQ(cuentaAnotaciones(p2[0], "/Link"), 1);
    EXPECT_TRUE(
        p2[0].getKey("/Annots").getArrayItem(0).getKey("/Dest").getArrayItem(0).isSameObjectAs(
            p2[2]));
    EXPECT_TRUE(
        p2[2].getKey("/Annots").getArrayItem(0).getKey("/Dest").getArrayItem(0).isSameObjectAs(
            p2[0]));
}

TEST(Ensamblar, DestinosConNombreApuntanALaPaginaCopiada) {
    auto pags = a4(3);
    pags[0].enlazaA = 2;
    pags[0].porNombre = true;
    Ruta src = crearPDF("nombres.pdf", pags);
    Ruta out = salidaNueva("x.pdf");
    ASSERT_TRUE(exportarPaginas(refs(src, {2, 0}), out));
    auto q = leer(out);
    auto p = paginasDeQPDF(*q);
    ASSERT_EQ(cuentaAnotaciones(p[1], "/Link"), 1);
    auto d = p[1].getKey("/Annots").getArrayItem(0).getKey("/A").getKey("/D");
    ASSERT_TRUE(d.isArray());
    EXPECT_TRUE(d.getArrayItem(0).isSameObjectAs(p[0]));
    // Without its target page the named link goes too.
    Ruta out2 = salidaNueva("y.pdf");
    ASSERT_TRUE(exportarPaginas(refs(src, {0, 1}), out2));
    auto q2 = leer(out2);
    EXPECT_EQ(cuentaAnotaciones(paginasDeQPDF(*q2)[0], "/Link"), 0);
}
