// Folder expansion: what is taken in, in which order, and what is never followed.
#include "comun.h"
#include "motor/carpetas.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace Livora;
using namespace Livora::Pruebas;
namespace fs = std::filesystem;

namespace {

TEST(Carpetas, OrdenNatural) {
    struct Caso {
        const char* a;
        const char* b;
        int esperado;
    };
    for (const Caso& c : std::initializer_list<Caso>{
             {"IMG_2.jpg", "IMG_10.jpg", -1},
             {"IMG_10.jpg", "IMG_9.jpg", 1},
             {"img_1.JPG", "IMG_2.jpg", -1},    // letters without regard to case
             {"IMG_002.jpg", "IMG_10.jpg", -1}, // leading zeros do not count
             {"IMG_2.jpg", "IMG_02.jpg", 1},    // ...until everything else ties
             {"foto", "foto 2", -1},
             {"a100b9", "a100b10", -1},
             {"12345678901234567890123", "9", 1}, // runs longer than any integer
             {"Día 2", "Día 10", -1},
             {"x", "x", 0}}) {
        EXPECT_EQ(compararNatural(c.a, c.b), c.esperado) << c.a << " / " << c.b;
        EXPECT_EQ(compararNatural(c.b, c.a), -c.esperado) << c.b << " / " << c.a;
    }
}

class Arbol : public ::testing::Test {
protected:
    Ruta raiz = carpetaPrueba() / "Vacaciones";
    Ruta fuera = carpetaPrueba();
    void archivo(const Ruta& r) {
        fs::create_directories(r.parent_path());
        std::ofstream(r) << "x";
    }
    void SetUp() override {
        for (const char* n :
             {"IMG_10.jpg", "IMG_2.jpg", "img_1.JPG", "notas.txt", "sin_extension", "doc.PDF",
              ".oculta.jpg", "Día 2/a.png", "Día 10/b.heic", ".oculta/x.jpg", "sub/hondo/z.webp",
              "sub/hondo/.DS_Store", "sub/leeme.md"})
            archivo(raiz / n);
        fs::create_directories(raiz / "vacia");
        archivo(fuera / "lejos.jpg");
        fs::create_directory_symlink(raiz, raiz / "sub" / "bucle");
        fs::create_directory_symlink(fuera, raiz / "enlace_fuera");
        fs::create_symlink(fuera / "lejos.jpg", raiz / "enlace.jpg");
        fs::create_symlink(raiz / "IMG_2.jpg", raiz / "IMG_3.jpg");
    }
    void TearDown() override {
        fs::remove_all(raiz.parent_path());
        fs::remove_all(fuera);
    }
    static std::vector<std::string> relativos(const std::vector<Hallazgo>& h, const Ruta& base) {
        std::vector<std::string> r;
        for (const auto& x : h)
            r.push_back(x.archivo.lexically_relative(base).string());
        return r;
    }
};

TEST_F(Arbol, RecursionOrdenFiltrosOcultosYEnlaces) {
    const std::vector<std::string> esperado = {"doc.PDF",         "Día 2/a.png", "Día 10/b.heic",
                                               "img_1.JPG",       "IMG_2.jpg",   "IMG_10.jpg",
                                               "sub/hondo/z.webp"};
    // A trailing separator names the same folder.
    for (const Ruta& dada : {raiz, Ruta(raiz.string() + "/")}) {
        auto h = expandirRutas({dada});
        ASSERT_TRUE(h);
        EXPECT_EQ(relativos(*h, raiz), esperado);
        for (const auto& x : *h)
            EXPECT_EQ(x.carpeta, raiz);
    }
}

TEST_F(Arbol, ArchivosSueltosPasanYNadaSeRepite) {
    const Ruta suelto = fuera / "lejos.jpg";
    auto h = expandirRutas({suelto, raiz / "sub", raiz, raiz / "sub" / "hondo", suelto});
    ASSERT_TRUE(h);
    // A folder already walked, on its own or inside another, gives nothing twice; files
    // given directly pass through (intake refuses the duplicate).
    std::vector<std::string> nombres;
    for (const auto& x : *h)
        nombres.push_back(x.archivo.filename().string());
    EXPECT_EQ(nombres,
              (std::vector<std::string>{"lejos.jpg", "z.webp", "doc.PDF", "a.png", "b.heic",
                                        "img_1.JPG", "IMG_2.jpg", "IMG_10.jpg", "lejos.jpg"}));
    EXPECT_FALSE(h->front().carpeta);
    EXPECT_EQ(h->at(1).carpeta, raiz / "sub");
    EXPECT_EQ(h->at(2).carpeta, raiz);
}

TEST_F(Arbol, SeguirAvisaDeLaCuentaYPuedeParar) {
    for (int i = 0; i < 600; ++i)
        archivo(raiz / "muchas" / ("f" + std::to_string(i) + ".jpg"));
    std::vector<std::size_t> cuentas;
    auto h = expandirRutas({raiz}, [&](std::size_t n) {
        cuentas.push_back(n);
        return true;
    });
    ASSERT_TRUE(h);
    EXPECT_EQ(h->size(), 607u);
    ASSERT_FALSE(cuentas.empty());
    EXPECT_TRUE(std::is_sorted(cuentas.begin(), cuentas.end()));
    EXPECT_EQ(cuentas.back(), 607u);
    EXPECT_FALSE(expandirRutas({raiz}, [](std::size_t) { return false; }));
}

TEST(Carpetas, TextosDeCarpeta) {
    EXPECT_EQ(nombreCarpeta("/fotos/Vacaciones/"), "Vacaciones");
    EXPECT_EQ(nombreCarpeta("/"), "/");
    EXPECT_EQ(carpetaSinArchivos("/a/Notas"), "La carpeta «Notas» no tiene imágenes ni PDF");
}

} // namespace
