// Saving: every failure says what happened and names the file or folder, a destination is
// only ever replaced by a complete copy, and a batch reports what was saved and what not.
#include "comun.h"
#include "motor/archivos.h"
#include "motor/guardar.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {

Ruta escribir(const Ruta& r, std::size_t bytes, char c = 'x') {
    std::ofstream(r, std::ios::binary) << std::string(bytes, c);
    return r;
}

std::string leer(const Ruta& r) {
    std::ifstream f(r, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// No temporary name of a failed copy stays behind.
bool sinRestos(const Ruta& dir) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        if (e.path().filename().string().rfind(".livora-", 0) == 0) return false;
    return true;
}

} // namespace

TEST(GuardarErrores, CadaCausaDiceQuePasaYNombraLaCarpetaOElArchivo) {
    const Ruta dir = carpetaPrueba();
    const Ruta origen = escribir(dir / "alta.jpg", 1000);
    escribir(dir / "Fotos", 10); // a file where a folder is expected
    std::filesystem::create_directory(dir / "foto.alta.jpg");
    const struct {
        Ruta origen, destino;
        std::string motivo;
    } casos[] = {
        {origen, dir / "Viaje" / "foto.alta.jpg", "La carpeta «Viaje» no existe"},
        {origen, dir / "Fotos" / "foto.alta.jpg", "«Fotos» no es una carpeta"},
        {origen, dir / (std::string(300, 'n') + ".alta.jpg"), "es demasiado largo"},
        {origen, dir / "foto.alta.jpg", "«foto.alta.jpg» es una carpeta"},
        {dir / "perdida.jpg", dir / "foto.media.jpg", "El archivo «perdida.jpg» ya no existe"},
    };
    for (const auto& c : casos) {
        auto r = copiarSeguro(c.origen, c.destino);
        ASSERT_FALSE(r) << c.motivo;
        EXPECT_NE(r.error().mensaje.find(c.motivo), std::string::npos) << r.error().mensaje;
        EXPECT_EQ(r.error().dominio, "Sistema");
    }
    EXPECT_TRUE(sinRestos(dir));
    // Whatever errno, never the system's English text.
    for (int err : {ENOTDIR, EXDEV, EOVERFLOW, 4242})
        EXPECT_EQ(descripcionSistema({err, std::generic_category()}).find("directory"),
                  std::string::npos);
    EXPECT_EQ(descripcionSistema({EXDEV, std::generic_category()}), "Error del sistema n.º 18");
}

TEST(GuardarErrores, UnLimiteDeTamanoFallaSinTocarLaSalidaAnterior) {
    const Ruta dir = carpetaPrueba();
    const Ruta destino = escribir(dir / "foto.alta.jpg", 100, 'a');
    const Ruta grande = escribir(dir / "grande.jpg", 256 * 1024);
    // The limit an administrator (or a FAT disk's 4 GB) may set: the write ends with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit antes{};
    getrlimit(RLIMIT_FSIZE, &antes);
    rlimit limite = antes;
    limite.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
    auto r = copiarSeguro(grande, destino);
    setrlimit(RLIMIT_FSIZE, &antes);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().mensaje, "El archivo es demasiado grande para ese disco");
    EXPECT_EQ(leer(destino), std::string(100, 'a'));
    EXPECT_TRUE(sinRestos(dir));
}

TEST(GuardarErrores, DiscoDeSoloLecturaYDiscoLleno) {
    const Ruta dir = carpetaPrueba();
    const Ruta origen = escribir(dir / "salida.jpg", 40 * 1024);
    const Ruta punto = dir / "Disco";
    std::filesystem::create_directory(punto);
    auto soloLectura = aislado({punto, 64, true, false}, [&] {
        auto r = copiarSeguro(origen, punto / "foto.alta.jpg");
        return r ? std::string("guardado") : r.error().mensaje;
    });
    if (!soloLectura) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(*soloLectura, "La carpeta «Disco» está en un disco de solo lectura");

    auto lleno = aislado({punto, 64, false, false}, [&] {
        std::string r;
        for (const char* n : {"a.alta.jpg", "b.alta.jpg"}) {
            auto c = copiarSeguro(origen, punto / n);
            r += (c ? std::string("guardado") : c.error().mensaje) + "|";
        }
        r += std::to_string(std::filesystem::file_size(punto / "a.alta.jpg"));
        r += sinRestos(punto) ? "|limpio" : "|restos";
        return r;
    });
    ASSERT_TRUE(lleno);
    EXPECT_EQ(*lleno, "guardado|No queda espacio en el disco|40960|limpio");
}

TEST(GuardarErrores, UnLoteSigueTrasUnFalloYDiceCuantasYCuales) {
    const Ruta dir = carpetaPrueba();
    auto variante = [&](const std::string& sufijo, bool existe) {
        Variante v;
        v.sufijo = sufijo;
        v.ext = "jpg";
        v.urlTemp = dir / (sufijo + ".tmp.jpg");
        if (existe) escribir(v.urlTemp, 10);
        return v;
    };
    auto r = guardarTrabajos({{dir / "foto.png", variante("alta", true)},
                              {dir / "foto.png", variante("media", false)},
                              {dir / "foto.png", variante("baja", true)}});
    EXPECT_EQ(r.guardadas, (std::vector<Ruta>{dir / "foto.alta.jpg", dir / "foto.baja.jpg"}));
    ASSERT_EQ(r.fallos.size(), 1u);
    EXPECT_EQ(textoResultadoGuardado(r), "✓ Guardadas 2 de 3 · ❌ el archivo «media.tmp.jpg» ya "
                                         "no existe (foto.media.jpg)");

    auto fallo = [](const char* nombre, std::string motivo) {
        return FalloGuardado{Ruta("/f") / nombre, error(std::move(motivo))};
    };
    ResultadoGuardado lleno{{"/f/a.alta.jpg", "/f/a.media.jpg", "/f/a.baja.jpg"},
                            {fallo("a.heic.heic", "No queda espacio en el disco"),
                             fallo("a.avif.avif", "No queda espacio en el disco"),
                             fallo("a.webp.webp", "No queda espacio en el disco"),
                             fallo("a.personalizada.jpg", "No queda espacio en el disco"),
                             fallo("b.alta.jpg", "La carpeta «b» no existe")}};
    const struct {
        ResultadoGuardado r;
        std::string texto;
    } casos[] = {
        {{{"/f/a.alta.jpg"}, {}}, "✓ Guardada 1 junto al original"},
        {{{}, {fallo("a.alta.jpg", "No queda espacio en el disco")}},
         "❌ No se pudo guardar a.alta.jpg: no queda espacio en el disco"},
        {lleno, "✓ Guardadas 3 de 8 · ❌ no queda espacio en el disco (a.heic.heic, a.avif.avif, "
                "a.webp.webp y 1 más) · ❌ la carpeta «b» no existe (b.alta.jpg)"},
        {{{}, {fallo("a.alta.jpg", "Sin permiso"), fallo("a.baja.jpg", "Sin permiso")}},
         "❌ No se pudo guardar ninguna de 2 · sin permiso (a.alta.jpg y a.baja.jpg)"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(textoResultadoGuardado(c.r), c.texto);
}
