#include "motor/formato.h"
#include "motor/guardar.h"
#include "motor/tipos.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace Livora;

TEST(Ahorro, RedondeoYSignos) {
    EXPECT_EQ(ahorro(250, 1000), "\u221275 %");
    EXPECT_EQ(ahorro(251, 1000), "\u221275 %");
    EXPECT_EQ(ahorro(999, 1000), "\u22121 %");
    EXPECT_EQ(ahorro(1000, 1000), "\u22120 %");
    EXPECT_EQ(ahorro(1005, 1000), "\u22120 %");
    EXPECT_EQ(ahorro(1010, 1000), "+1 %");
    EXPECT_EQ(ahorro(3000, 1000), "+200 %");
    EXPECT_EQ(ahorro(10, 0), "—");
    EXPECT_EQ(ahorro(10, -3), "—");
    EXPECT_EQ(ahorro(std::numeric_limits<std::int64_t>::max(), 1), "+9223372036854775807 %");
}

TEST(FormatoBytes, UnidadesDecimales) {
    EXPECT_EQ(formatoBytes(0), "0 bytes");
    EXPECT_EQ(formatoBytes(1), "1 byte");
    EXPECT_EQ(formatoBytes(999), "999 bytes");
    EXPECT_EQ(formatoBytes(1000), "1 kB");
    EXPECT_EQ(formatoBytes(532'400), "532 kB");
    EXPECT_EQ(formatoBytes(999'600), "1,0 MB");
    EXPECT_EQ(formatoBytes(3'450'000), "3,5 MB");
    EXPECT_EQ(formatoBytes(1'250'000'000), "1,25 GB");
    for (auto [n, t] : std::initializer_list<std::pair<std::int64_t, const char*>>{
             {0, "0"}, {999, "999"}, {1234, "1.234"}, {-1234, "-1.234"}, {1234567, "1.234.567"}})
        EXPECT_EQ(enteroConMiles(n), t);
}

TEST(Guardar, NombreJuntoAlOriginal) {
    Variante v;
    v.sufijo = "alta";
    v.ext = "jpg";
    EXPECT_EQ(destinoGuardado("/fotos/foto.png", v), Ruta("/fotos/foto.alta.jpg"));
    EXPECT_EQ(destinoGuardado("/fotos/viaje.2024.HEIC", v), Ruta("/fotos/viaje.2024.alta.jpg"));
    EXPECT_EQ(destinoGuardado("/fotos/sin-extension", v), Ruta("/fotos/sin-extension.alta.jpg"));
    EXPECT_EQ(textoGuardadas(1), "✓ Guardada 1 junto al original");
    EXPECT_EQ(textoGuardadas(4), "✓ Guardadas 4 junto al original");
    EXPECT_EQ(textoGuardadas(0), "✓ Guardadas 0 junto al original");
    ResultadoGuardado r{{"/f/a.alta.jpg", "/f/b.alta.jpg"}, {}};
    EXPECT_EQ(textoResultadoGuardado(r), "✓ Guardadas 2 junto al original");
    r.guardadas.push_back("/f/Día 1/c.alta.jpg");
    EXPECT_EQ(textoResultadoGuardado(r), "✓ Guardadas 3 junto al original, en 2 carpetas");
}

TEST(Tipos, ExtensionesDeImagen) {
    for (const char* e :
         {"jpg", "JPG", ".jpeg", "png", "PNG", "heic", "HIF", "webp", "tiff", "gif", "avif"})
        EXPECT_TRUE(esExtensionImagen(e)) << e;
    for (const char* e : {"pdf", "PDF", "txt", "", "docx", "zip", "jfif"})
        EXPECT_FALSE(esExtensionImagen(e)) << e;
    EXPECT_TRUE(esImagen("/a/b/FOTO.JPG"));
    EXPECT_FALSE(esImagen("/a/b/documento"));
}
