#include "comun.h"
#include "motor/archivos.h"
#include "motor/codec.h"
#include "motor/webp.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {
// A fake cwebp that records its arguments and writes (or not) the output.
Ruta cwebpFalso(const Ruta& carpeta, const std::string& cuerpo) {
    Ruta p = carpeta / "cwebp";
    std::ofstream(p) << "#!/bin/sh\n" << cuerpo;
    ::chmod(p.c_str(), 0755);
    return p;
}

Ruta generacionConPNG() {
    auto dir = carpetaPrueba();
    escribirArchivo(dir / "sin-perdida.png",
                    *codificar(imagenPrueba(64, 48), Formato::PNG, 1, nullptr));
    return dir;
}
} // namespace

TEST(Cwebp, BuscaEnPathCuandoNoEstaEnLasRutasFijas) {
    auto bin = carpetaPrueba();
    auto falso = cwebpFalso(bin, "exit 0\n");
    auto vacia = carpetaPrueba();
    // The two fixed paths come first; this machine has neither.
    if (std::filesystem::exists("/usr/local/bin/cwebp") ||
        std::filesystem::exists("/opt/homebrew/bin/cwebp"))
        GTEST_SKIP() << "cwebp en una ruta fija";
    EXPECT_EQ(buscarCwebp(vacia.string() + ":" + bin.string()), falso);
    EXPECT_FALSE(buscarCwebp(vacia.string()));
    // A folder named cwebp or a file without execute permission do not count.
    auto otra = carpetaPrueba();
    std::ofstream(otra / "cwebp") << "no";
    EXPECT_FALSE(buscarCwebp(otra.string()));
}

TEST(VarianteWebP, EjecutaSinShellYCompruebaLaSalida) {
    auto bin = carpetaPrueba();
    // Records each argument on its own line; a space inside one stays inside it.
    auto falso =
        cwebpFalso(bin, "for a in \"$@\"; do echo \"$a\"; done > \"$(dirname \"$6\")/args\"\n"
                        "printf 'RIFF' > \"$8\"\n");
    auto dir = generacionConPNG();
    auto v = varianteWebP(dir, false, falso);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->nombre, "WebP · Web");
    EXPECT_EQ(v->detalle, "75 %, tamaño completo");
    EXPECT_EQ(v->sufijo, "webp");
    EXPECT_EQ(v->ext, "webp");
    EXPECT_EQ(v->urlTemp, dir / "webp.webp");
    EXPECT_EQ(v->bytes, 4);
    EXPECT_EQ(contenidoDe(dir / "args"), "-quiet\n-q\n75\n-metadata\nall\n" +
                                             (dir / "sin-perdida.png").string() + "\n-o\n" +
                                             (dir / "webp.webp").string() + "\n");
    // Asked to strip metadata, cwebp copies none.
    EXPECT_EQ(argumentosCwebp("a", "b", true)[4], "none");
}

TEST(VarianteWebP, FallosNoDanAlternativa) {
    auto dir = generacionConPNG();
    auto bin = carpetaPrueba();
    EXPECT_FALSE(varianteWebP(dir, true, cwebpFalso(bin, "touch \"$8\"; exit 3\n")));
    auto otra = generacionConPNG();
    EXPECT_FALSE(varianteWebP(otra, true, cwebpFalso(bin, "exit 0\n"))); // writes nothing
    EXPECT_FALSE(varianteWebP(dir, true, std::nullopt));
    EXPECT_FALSE(varianteWebP(dir, true, Ruta("/no/existe/cwebp")));
    auto sinPNG = carpetaPrueba();
    EXPECT_FALSE(varianteWebP(sinPNG, true, cwebpFalso(bin, "touch \"$8\"\n")));
}

TEST(VarianteWebP, ElCwebpRealDaUnWebPLegible) {
    if (!rutaCwebp()) GTEST_SKIP() << "cwebp no está instalado";
    auto dir = generacionConPNG();
    auto v = varianteWebP(dir, true);
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->preview);
    EXPECT_GT(v->bytes, 0);
}
