#include "modelo/estado_ventana.h"

#include <gtest/gtest.h>

using namespace Livora;

namespace {
Variante var(const std::string& sufijo, std::int64_t bytes) {
    Variante v;
    v.sufijo = sufijo;
    v.bytes = bytes;
    return v;
}
} // namespace

// The first alternative smaller than the original that is not "baja"; else the first.
TEST(Seleccion, PrimeraMenorQueNoSeaBaja) {
    const struct {
        const char* que;
        std::vector<std::int64_t> bytes; // sin-perdida, alta, media, baja
        std::int64_t original;
        int elegida; // -1: none
    } casos[] = {
        {"alta es menor", {900, 500, 300}, 600, 1},
        {"todas mayores", {900, 800}, 100, 0},
        {"solo baja es menor", {900, 800, 700, 50}, 600, 0},
        {"media y baja menores", {900, 800, 500, 50}, 600, 2},
        {"original de cero bytes", {900, 1}, 0, 0},
        {"lista vacía", {}, 600, -1},
    };
    const char* sufijos[] = {"sin-perdida", "alta", "media", "baja"};
    for (const auto& c : casos) {
        std::vector<Variante> l;
        for (std::size_t i = 0; i < c.bytes.size(); ++i)
            l.push_back(var(sufijos[i], c.bytes[i]));
        const auto e = seleccionInicial(l, c.original);
        if (c.elegida < 0) {
            EXPECT_FALSE(e) << c.que;
        } else {
            EXPECT_EQ(e, l[c.elegida].id) << c.que;
        }
    }
}

TEST(Seleccion, ReseleccionPorSufijoOLaPrimera) {
    std::vector<Variante> l{var("sin-perdida", 9), var("objetivo", 8)};
    EXPECT_EQ(reseleccion(l, std::string("objetivo")), l[1].id);
    EXPECT_EQ(reseleccion(l, std::string("webp")), l[0].id);
    EXPECT_EQ(reseleccion(l, std::nullopt), l[0].id);
    EXPECT_FALSE(reseleccion({}, std::string("alta")));
}

TEST(PaginasEditadas, Reglas) {
    ArchivoEstado a;
    a.esImagen = false;
    a.fuentePDF = Ruta("/tmp/doc.pdf");
    for (int i = 0; i < 3; ++i)
        a.paginas.push_back(PaginaPDF{Uuid::nuevo(), *a.fuentePDF, i, 0});
    a.paginasIniciales = 3;
    EXPECT_FALSE(a.paginasEditadas());

    a.paginas[1].rotacion = 90;
    EXPECT_TRUE(a.paginasEditadas());
    a.paginas[1].rotacion += 270;
    EXPECT_FALSE(a.paginasEditadas());
    a.paginas[1].rotacion = -360;
    EXPECT_FALSE(a.paginasEditadas());
    a.paginas[1].rotacion = -90;
    EXPECT_TRUE(a.paginasEditadas());
    a.paginas[1].rotacion = 0;

    auto reordenada = a;
    std::swap(reordenada.paginas[0], reordenada.paginas[1]);
    EXPECT_TRUE(reordenada.paginasEditadas());

    auto borrada = a;
    borrada.paginas.pop_back();
    EXPECT_TRUE(borrada.paginasEditadas());

    auto otraFuente = a;
    otraFuente.paginas[2].fuente = "/tmp/otro.pdf";
    EXPECT_TRUE(otraFuente.paginasEditadas());

    auto sinFuente = a;
    sinFuente.fuentePDF.reset();
    EXPECT_TRUE(sinFuente.paginasEditadas());
}

TEST(EstadoVentana, DerivadosSinActivo) {
    EstadoVentana e;
    ArchivoEstado a;
    Variante v;
    a.variantes.push_back(v);
    a.seleccionada = v.id;
    e.archivos.push_back(a);
    EXPECT_FALSE(e.idxActivo());
    EXPECT_EQ(e.varianteActiva(), nullptr);
    e.archivoActivoID = a.id;
    EXPECT_EQ(e.idxActivo(), 0u);
    ASSERT_NE(e.varianteActiva(), nullptr);
    EXPECT_EQ(e.varianteActiva()->id, v.id);
    e.archivos.clear();
    EXPECT_FALSE(e.idxActivo());
    EXPECT_FALSE(e.enModo());
    e.modoPaginas = true;
    EXPECT_TRUE(e.enModo());
}

TEST(Uuid, TextoDe36YVersion4) {
    auto u = Uuid::nuevo();
    auto t = u.texto();
    EXPECT_EQ(t.size(), 36u);
    EXPECT_EQ(t[14], '4');
    EXPECT_TRUE(t[19] == '8' || t[19] == '9' || t[19] == 'a' || t[19] == 'b');
    EXPECT_NE(u, Uuid::nuevo());
}
