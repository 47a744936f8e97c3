#include "comun.h"
#include "motor/formato.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

using namespace Livora;
using namespace Livora::Pruebas;

TEST(Cli, JsonConLasAlternativasYLaElegida) {
    auto s = ejecutarCli("--json --objetivo 15 " + datos("foto_exif.jpg").string());
    ASSERT_EQ(s.estado, 0) << s.texto;
    auto j = nlohmann::json::parse(s.texto);
    EXPECT_EQ(j["ancho"], 480);
    EXPECT_EQ(j["alto"], 320);
    EXPECT_EQ(j["bytesOriginal"], std::filesystem::file_size(datos("foto_exif.jpg")));
    auto& v = j["variantes"];
    ASSERT_GE(v.size(), 8u);
    EXPECT_EQ(v[0]["sufijo"], "sin-perdida");
    EXPECT_EQ(v.back()["sufijo"], "objetivo");
    for (auto& x : v) {
        EXPECT_EQ(std::filesystem::file_size(x["urlTemp"].get<std::string>()),
                  x["bytes"].get<std::uintmax_t>());
    }
    EXPECT_EQ(j["seleccionada"], "alta");
    EXPECT_EQ(j["resumenMetadatos"][4]["sensible"], true);
}

TEST(Cli, GuardaJuntoAlOriginalYFallaConMensaje) {
    auto dir = carpetaPrueba();
    std::filesystem::copy_file(datos("foto_exif.jpg"), dir / "viaje.jpg");
    auto s = ejecutarCli("--guardar media " + (dir / "viaje.jpg").string());
    ASSERT_EQ(s.estado, 0) << s.texto;
    EXPECT_NE(s.texto.find("✓ Guardada 1 junto al original"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "viaje.media.jpg"));

    std::ofstream(dir / "rota.jpg") << "no soy una foto";
    auto mala = ejecutarCli((dir / "rota.jpg").string());
    EXPECT_NE(mala.estado, 0);
    EXPECT_NE(mala.texto.find("❌ rota.jpg: No se pudo abrir la imagen"), std::string::npos);

    auto opcion = ejecutarCli("--calidad alta " + (dir / "viaje.jpg").string());
    EXPECT_EQ(opcion.estado, 2);
}

TEST(Cli, CarpetaGuardaJuntoACadaOriginalSinSeguirEnlacesYResume) {
    namespace fs = std::filesystem;
    const Ruta raiz = carpetaPrueba() / "Fotos";
    for (const auto& [origen, destino] : std::initializer_list<std::pair<const char*, const char*>>{
             {"foto_exif.jpg", "IMG_10.jpg"},
             {"foto_orientada.jpg", "Día 1/IMG_2.jpg"},
             {"solo_gps.png", "Día 1/captura.PNG"},
             {"mariquita.jpg", ".oculta/x.jpg"}}) {
        fs::create_directories((raiz / destino).parent_path());
        fs::copy_file(datos(origen), raiz / destino);
    }
    std::ofstream(raiz / "notas.txt") << "texto";
    std::ofstream(raiz / "Día 1" / "rota.jpg") << "no soy una foto";
    fs::create_directory_symlink(raiz, raiz / "Día 1" / "bucle");

    auto s = ejecutarCli("--guardar alta '" + raiz.string() + "/'");
    EXPECT_EQ(s.estado, 1) << s.texto;
    for (const char* salida : {"IMG_10.alta.jpg", "Día 1/IMG_2.alta.jpg", "Día 1/captura.alta.jpg"})
        EXPECT_TRUE(fs::exists(raiz / salida)) << salida;
    EXPECT_FALSE(fs::exists(raiz / ".oculta" / "x.alta.jpg"));
    EXPECT_NE(s.texto.find("❌ rota.jpg: No se pudo abrir la imagen"), std::string::npos) << s.texto;
    // Natural order: the subfolder's files come before IMG_10, IMG_2 before rota.
    EXPECT_LT(s.texto.find("IMG_2.jpg"), s.texto.find("rota.jpg"));
    EXPECT_LT(s.texto.find("rota.jpg"), s.texto.find("IMG_10.jpg"));
    // Three outputs (nothing twice through the loop) and the failure by its place.
    std::int64_t originales = 0, salidas = 0;
    for (const char* n : {"IMG_10", "Día 1/IMG_2", "Día 1/captura"}) {
        for (const auto& e : fs::directory_iterator((raiz / n).parent_path()))
            if (e.path().stem() == Ruta(n).filename().string() + ".alta")
                salidas += static_cast<std::int64_t>(e.file_size());
            else if (e.path().stem() == Ruta(n).filename().string())
                originales += static_cast<std::int64_t>(e.file_size());
    }
    EXPECT_NE(s.texto.find("✓ 3 archivos · " + formatoBytes(originales) + " → " +
                           formatoBytes(salidas) + "\n❌ 1 con error: Día 1/rota.jpg\n"),
              std::string::npos)
        << s.texto;

    const Ruta sinNada = carpetaPrueba() / "Fotos";
    fs::create_directories(sinNada / ".oculta");
    fs::copy_file(datos("mariquita.jpg"), sinNada / ".oculta" / "x.jpg");
    std::ofstream(sinNada / "notas.txt") << "texto";
    auto vacia = ejecutarCli("'" + sinNada.string() + "'");
    EXPECT_EQ(vacia.estado, 1);
    EXPECT_NE(vacia.texto.find("❌ La carpeta «Fotos» no tiene imágenes ni PDF"), std::string::npos)
        << vacia.texto;
}
