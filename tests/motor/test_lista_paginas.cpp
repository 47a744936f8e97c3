// Page lists from expressions and from inserted files, and the command line's --paginas
// and --extraer on a real 100-page document with links.
#include "comun.h"
#include "test_pdf_comun.h"

#include "motor/lista_paginas.h"
#include "motor/pdf.h"

#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>

using namespace Livora;
using namespace LivoraPrueba;
using Livora::Pruebas::datos;
using Livora::Pruebas::ejecutarCli;

namespace {

using Tipo = ElementoLista::Tipo;

// 100 pages with links: page 3 to page 1 (kept by the expression below), page 1 to page 2,
// page 2 to page 50 (left out: the link must go), and a web link on page 5.
Ruta documento100() {
    static Ruta r = [] {
        auto p = a4(100);
        p[2].enlazaA = 0;
        p[0].enlazaA = 1;
        p[1].enlazaA = 49;
        p[4].web = true;
        return crearPDF("cien.pdf", p);
    }();
    return r;
}

std::string texto(poppler::document& d, int i) {
    std::unique_ptr<poppler::page> p(d.create_page(i));
    auto b = p->text().to_utf8();
    return std::string(b.begin(), b.end());
}

TEST(ListaPaginas, AnalizaLasExpresiones) {
    struct Caso {
        const char* expresion;
        std::vector<ElementoLista> esperado;
    };
    const std::vector<Caso> validas = {
        {"3", {{Tipo::Paginas, 3, 3, 0, {}}}},
        {" 1-2 , 5+90", {{Tipo::Paginas, 1, 2, 0, {}}, {Tipo::Paginas, 5, 5, 90, {}}}},
        {"9-4-90", {{Tipo::Paginas, 9, 4, -90, {}}}},
        {"5-90", {{Tipo::Paginas, 5, 90, 0, {}}}}, // a range, never a turn
        {"2+180,blanco,blanco-90",
         {{Tipo::Paginas, 2, 2, 180, {}},
          {Tipo::Blanco, 0, 0, 0, {}},
          {Tipo::Blanco, 0, 0, -90, {}}}},
        {"@fotos/mi foto.jpg,1",
         {{Tipo::Archivo, 0, 0, 0, "fotos/mi foto.jpg"}, {Tipo::Paginas, 1, 1, 0, {}}}},
    };
    for (const auto& c : validas) {
        auto r = analizarListaPaginas(c.expresion);
        ASSERT_TRUE(r) << c.expresion << ": " << r.error().mensaje;
        EXPECT_EQ(*r, c.esperado) << c.expresion;
    }
    for (const char* mala : {"", "1,", ",1", "a", "1-", "1+45", "1+", "+90", "-3", "1 2", "blancos",
                             "@", "1-2-3", "99999999999999999999"}) {
        auto r = analizarListaPaginas(mala);
        ASSERT_FALSE(r) << mala;
        EXPECT_EQ(r.error().mensaje.rfind("Expresión de páginas no válida: «", 0), 0u) << mala;
    }
}

TEST(ListaPaginas, ConstruyeLaListaSobreElDocumento) {
    const Ruta doc = documento100();
    const auto base = paginasDe(doc);
    ASSERT_EQ(base.size(), 100u);
    auto lista = construirLista(
        *analizarListaPaginas("3,1-2,5+90,blanco,4-3,3,@" + datos("foto_exif.jpg").string()), base);
    ASSERT_TRUE(lista) << lista.error().mensaje;
    ASSERT_EQ(lista->size(), 9u);
    const std::vector<std::int64_t> indices = {2, 0, 1, 4, 0, 3, 2, 2, 0};
    for (std::size_t i = 0; i < indices.size(); ++i)
        EXPECT_EQ((*lista)[i].indice, indices[i]) << i;
    EXPECT_EQ((*lista)[3].rotacion, 90);
    EXPECT_EQ((*lista)[4].fuente.filename(), "blanco.pdf");
    EXPECT_EQ((*lista)[8].fuente.filename(), "foto_exif.pdf");
    EXPECT_NE((*lista)[0].id, (*lista)[7].id); // page 3 twice: two references
    std::set<Uuid> ids;
    for (const auto& p : *lista)
        ids.insert(p.id);
    EXPECT_EQ(ids.size(), lista->size());

    struct Fallo {
        const char* expresion;
        const char* mensaje;
    };
    for (const auto& f :
         std::vector<Fallo>{{"101", "La página 101 no existe: el PDF tiene 100 páginas"},
                            {"0", "La página 0 no existe: el PDF tiene 100 páginas"},
                            {"99-120", "La página 120 no existe: el PDF tiene 100 páginas"},
                            {"0-9223372036854775807",
                             "La página 0 no existe: el PDF tiene 100 páginas"},
                            {"@/no/existe.pdf", "No se pudo añadir: existe.pdf"}}) {
        auto r = construirLista(*analizarListaPaginas(f.expresion), base);
        ASSERT_FALSE(r) << f.expresion;
        EXPECT_EQ(r.error().mensaje, f.mensaje);
    }
}

TEST(ListaPaginas, InsertarArchivosNombraLosQueFallan) {
    const Ruta tres = crearPDF("tres.pdf", a4(3));
    const Ruta cerrado = crearPDF("cerrado.pdf", a4(2), Cifrado{"abre", "jefe"});
    const Ruta roto = carpetaPrueba() / "roto.pdf";
    std::ofstream(roto) << "%PDF-1.4 nada";
    const Ruta foto = carpetaPrueba() / "rota.png";
    std::ofstream(foto) << "no es una imagen";
    auto r = paginasDeArchivos({datos("foto_orientada.jpg"), cerrado, tres, roto, foto});
    ASSERT_EQ(r.paginas.size(), 4u);
    EXPECT_EQ(r.paginas[0].fuente.extension(), ".pdf"); // the photo as a one-page PDF
    EXPECT_EQ(r.paginas[1].fuente, tres);
    EXPECT_EQ(r.fallidos, (std::vector<std::string>{"cerrado.pdf", "roto.pdf", "rota.png"}));
    EXPECT_EQ(avisoNoAnadidos(r.fallidos), "No se pudo añadir: cerrado.pdf, roto.pdf, rota.png");
    EXPECT_EQ(avisoNoAnadidos({}), "");
    EXPECT_EQ(textoExtraidas(1), "✓ 1 página extraída");
    EXPECT_EQ(textoExtraidas(3), "✓ 3 páginas extraídas");
}

TEST(ListaPaginas, LineaDeOrdenesPaginasYExtraer) {
    const Ruta dir = carpetaPrueba();
    std::filesystem::copy_file(documento100(), dir / "doc.pdf");
    std::filesystem::copy_file(datos("foto_exif.jpg"), dir / "foto.jpg");
    const std::string doc = (dir / "doc.pdf").string();

    auto s = ejecutarCli("--json --guardar sin-perdida --paginas '3,1-2,5+90,blanco,@" +
                         (dir / "foto.jpg").string() + "' " + doc);
    ASSERT_EQ(s.estado, 0) << s.texto;
    auto j = nlohmann::json::parse(s.texto.substr(0, s.texto.find('\n')));
    EXPECT_EQ(j["paginas"], 6);
    EXPECT_EQ(j["paginasIniciales"], 100);
    const Ruta salida = dir / "doc.sin-perdida.pdf";
    ASSERT_TRUE(std::filesystem::exists(salida));
    EXPECT_EQ(std::system(("qpdf --check " + salida.string() + " >/dev/null").c_str()), 0);
    std::unique_ptr<poppler::document> d(poppler::document::load_from_file(salida.string()));
    ASSERT_TRUE(d);
    ASSERT_EQ(d->pages(), 6);
    for (auto [i, esperado] : std::vector<std::pair<int, const char*>>{
             {0, "Pagina 3"}, {1, "Pagina 1"}, {2, "Pagina 2"}, {3, "Pagina 5"}})
        EXPECT_NE(texto(*d, i).find(esperado), std::string::npos) << i;
    // The turned page is landscape now, the blank one A4 and empty, the photo its own size.
    auto tam = [&](int i) {
        std::unique_ptr<poppler::page> p(d->create_page(i));
        auto r = p->page_rect(poppler::media_box);
        bool girada = p->orientation() == poppler::page::landscape ||
                      p->orientation() == poppler::page::seascape;
        return girada ? std::make_pair(r.height(), r.width())
                      : std::make_pair(r.width(), r.height());
    };
    EXPECT_GT(tam(3).first, tam(3).second);
    EXPECT_LT(tam(2).first, tam(2).second);
    EXPECT_EQ(tam(4), std::make_pair(595.0, 842.0));
    EXPECT_EQ(texto(*d, 4).find_first_not_of(" \n\r\f\t"), std::string::npos);
    EXPECT_GT(tam(5).first, tam(5).second); // the 480 × 320 photo
    // Links among kept pages survive; the one to page 50 goes; the web link stays.
    auto q = leer(salida);
    auto hojas = paginasDeQPDF(*q);
    EXPECT_EQ(cuentaAnotaciones(hojas[0], "/Link"), 1); // 3 → 1
    EXPECT_EQ(cuentaAnotaciones(hojas[1], "/Link"), 1); // 1 → 2
    EXPECT_EQ(cuentaAnotaciones(hojas[2], "/Link"), 0); // 2 → 50, left out
    EXPECT_EQ(cuentaAnotaciones(hojas[3], "/Link"), 1); // the web link

    const Ruta extraido = dir / "tres.pdf";
    s = ejecutarCli("--extraer 7,2-3 " + extraido.string() + " " + doc);
    ASSERT_EQ(s.estado, 0) << s.texto;
    EXPECT_NE(s.texto.find("✓ 3 páginas extraídas"), std::string::npos) << s.texto;
    d.reset(poppler::document::load_from_file(extraido.string()));
    ASSERT_TRUE(d);
    ASSERT_EQ(d->pages(), 3);
    EXPECT_NE(texto(*d, 0).find("Pagina 7"), std::string::npos);

    struct Fallo {
        std::string args;
        int estado;
        const char* mensaje;
    };
    const auto tamanoDoc = std::filesystem::file_size(doc);
    for (const auto& f : std::vector<Fallo>{
             {"--paginas 3,x " + doc, 2, "Expresión de páginas no válida: «x»"},
             {"--paginas 101 " + doc, 1, "La página 101 no existe: el PDF tiene 100 páginas"},
             {"--paginas 1,@/no/hay.png " + doc, 1, "No se pudo añadir: hay.png"},
             {"--extraer 1-2 " + doc + " " + doc, 2, "es el PDF de entrada"},
             {"--extraer 1 " + extraido.string() + " --unir x.pdf " + doc, 2, "no se combinan"}}) {
        auto r = ejecutarCli(f.args);
        EXPECT_EQ(r.estado, f.estado) << f.args << "\n" << r.texto;
        EXPECT_NE(r.texto.find(f.mensaje), std::string::npos) << r.texto;
    }
    EXPECT_EQ(std::filesystem::file_size(doc), tamanoDoc); // never written over
}

} // namespace
