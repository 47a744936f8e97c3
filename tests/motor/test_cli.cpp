#include "comun.h"

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
