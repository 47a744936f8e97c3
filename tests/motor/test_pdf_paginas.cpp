#include "comun.h"
#include "test_pdf_comun.h"

#include "motor/ingesta_pdf.h"
#include "motor/pdf.h"

#include <fstream>

#include <gtest/gtest.h>

using namespace Livora;
using namespace LivoraPrueba;

namespace {

Ruta archivoCon(const std::string& nombre, const std::string& contenido) {
    Ruta r = carpetaPrueba() / nombre;
    std::ofstream(r, std::ios::binary) << contenido;
    return r;
}

Ruta truncado() {
    const std::string s = Livora::Pruebas::contenidoDe(crearPDF("entero.pdf", a4(3)));
    return archivoCon("truncado.pdf", s.substr(0, s.size() / 3));
}

// Runs the body with TMPDIR pointing at an empty folder and says how many entries it left.
template <class F> std::size_t entradasTemporalesTras(F f) {
    auto dir = dirTemporal();
    {
        Entorno tmp("TMPDIR", dir->string());
        f();
    }
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(*dir), {}));
}

} // namespace

TEST(AbrirPDF, EstadosSegunContrasenas) {
    Ruta normal = crearPDF("normal.pdf", a4(2));
    Ruta dueno = crearPDF("solo_dueno.pdf", a4(2), Cifrado{"", "jefe"});
    Ruta usuario = crearPDF("usuario.pdf", a4(2), Cifrado{"abre", "jefe"});
    EXPECT_EQ(estadoPDF(normal), AperturaPDF::Abierto);
    EXPECT_EQ(estadoPDF(dueno), AperturaPDF::Abierto);
    EXPECT_EQ(estadoPDF(usuario), AperturaPDF::Bloqueado);
    // A password given for a file that needs none is not used.
    EXPECT_TRUE(abrePDF(dueno, std::string("cualquiera")));
    EXPECT_TRUE(abrePDF(normal, std::string("cualquiera")));
    EXPECT_FALSE(abrePDF(usuario, std::nullopt));
    EXPECT_FALSE(abrePDF(usuario, std::string("mala")));
    EXPECT_TRUE(abrePDF(usuario, std::string("abre")));
    EXPECT_TRUE(abrePDF(usuario, std::string("jefe")));
    EXPECT_EQ(paginasDe(dueno).size(), 2u);
    EXPECT_TRUE(paginasDe(usuario).empty());
}

TEST(AbrirPDF, ContrasenasConAcentos) {
    // AES-256 compares UTF-8; our own AES-128 outputs use PDFDocEncoding.
    Ruta r6 = crearPDF("acentos.pdf", a4(1), Cifrado{"ñandú", "jefe"});
    EXPECT_EQ(estadoPDF(r6), AperturaPDF::Bloqueado);
    EXPECT_TRUE(abrePDF(r6, std::string("ñandú")));
    EXPECT_FALSE(abrePDF(r6, std::string("nandu")));
    auto d = desbloquear(r6, "ñandú");
    ASSERT_TRUE(d);
    EXPECT_TRUE(renderPDF(r6, std::string("ñandú")));
    EXPECT_FALSE(renderPDF(r6, std::string("nandu")));
    EXPECT_FALSE(renderPDF(r6));
}

TEST(AbrirPDF, ArchivosIlegiblesNoRompenNada) {
    std::vector<Ruta> malos{archivoCon("vacio.pdf", ""),
                            archivoCon("texto.pdf", "hola, no soy un PDF\n"),
                            carpetaPrueba() / "no_existe.pdf", carpetaPrueba()};
    for (const auto& r : malos) {
        EXPECT_EQ(estadoPDF(r), AperturaPDF::Ilegible) << r;
        EXPECT_TRUE(paginasDe(r).empty()) << r;
        auto d = desbloquear(r, "x");
        ASSERT_FALSE(d);
        EXPECT_EQ(d.error().mensaje, "Contraseña incorrecta");
        EXPECT_TRUE(miniaturas(refs(r, {0}), {}).empty());
    }
}

TEST(AbrirPDF, TruncadoSeRecuperaOSeRechazaConSuMensaje) {
    Ruta t = truncado();
    auto a = ingestaPDF(t, t, false, std::nullopt);
    if (a) {
        EXPECT_EQ(a->variantes.size(), 4u);
    } else {
        EXPECT_EQ(a.error().mensaje, "No se pudo abrir truncado.pdf");
    }
    Ruta texto = archivoCon("notas.pdf", "solo texto");
    auto b = ingestaPDF(texto, texto, false, std::nullopt);
    ASSERT_FALSE(b);
    EXPECT_EQ(b.error().mensaje, "No se pudo abrir notas.pdf");
}

TEST(Desbloquear, ContrasenaErroneaNoEscribeNada) {
    Ruta usuario = crearPDF("informe protegido.pdf", a4(3), Cifrado{"abre", "jefe"});
    std::size_t n = entradasTemporalesTras([&] {
        for (const char* mala : {"", "abr", "ABRE"}) {
            auto d = desbloquear(usuario, mala);
            ASSERT_FALSE(d);
            EXPECT_EQ(d.error().mensaje, "Contraseña incorrecta");
        }
    });
    EXPECT_EQ(n, 0u);
    // Three wrong answers and then the right one.
    auto d = desbloquear(usuario, "abre");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->filename(), "informe protegido.pdf");
    EXPECT_NE(d->parent_path(), usuario.parent_path());
    EXPECT_EQ(
        (std::filesystem::status(d->parent_path()).permissions() & std::filesystem::perms::all),
        std::filesystem::perms::owner_all);
    EXPECT_EQ(estadoPDF(*d), AperturaPDF::Abierto);
    auto q = leer(*d);
    EXPECT_FALSE(q->isEncrypted());
    EXPECT_EQ(paginasDe(*d).size(), 3u);
}

TEST(Paginas, ListaYClaves) {
    Ruta r = crearPDF("lista.pdf", a4(3));
    auto p = paginasDe(r);
    ASSERT_EQ(p.size(), 3u);
    for (std::int64_t i = 0; i < 3; ++i) {
        EXPECT_EQ(p[i].fuente, r);
        EXPECT_EQ(p[i].indice, i);
        EXPECT_EQ(p[i].rotacion, 0);
    }
    EXPECT_NE(p[0].id, p[1].id);
    EXPECT_EQ(claveMiniatura(p[2]), r.string() + "#2");
    EXPECT_EQ(rotacionNormalizada(-90), 270);
    EXPECT_EQ(rotacionNormalizada(450), 90);
    EXPECT_EQ(rotacionNormalizada(-360), 0);
}

TEST(Miniaturas, AjustadasSoloLasQueFaltan) {
    auto pags = a4(3);
    pags[1].rotacion = 90;
    pags[2].ancho = 1000;
    pags[2].alto = 100;
    Ruta r = crearPDF("miniaturas.pdf", pags);
    auto lista = paginasDe(r);
    lista.push_back(lista[0]); // the same page again shares its thumbnail
    lista.push_back(PaginaPDF{Uuid::nuevo(), r, 9, 0});
    std::map<std::string, Imagen> previas;
    Imagen marca = Imagen::black(3, 3);
    previas[claveMiniatura(lista[0])] = marca;
    auto m = miniaturas(lista, previas);
    EXPECT_EQ(m.size(), 3u);
    EXPECT_EQ(m.at(claveMiniatura(lista[0])).width(), 3); // kept, not recomputed
    const auto& girada = m.at(claveMiniatura(lista[1]));
    EXPECT_EQ(girada.width(), 260);
    EXPECT_LT(girada.height(), 200);
    const auto& ancha = m.at(claveMiniatura(lista[2]));
    EXPECT_EQ(ancha.width(), 260);
    EXPECT_EQ(ancha.height(), 26);
    EXPECT_FALSE(m.count(r.string() + "#9"));
    auto todas = miniaturas(paginasDe(r), {});
    EXPECT_EQ(todas.at(claveMiniatura(lista[0])).height(), 340);
    EXPECT_LE(todas.at(claveMiniatura(lista[0])).width(), 260);
}
