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
}

// A bad value stops before any file is read: status 2 and one Spanish line naming it.
TEST(Cli, ValoresNoValidosSalenConDosYUnaLinea) {
    const auto foto = " " + datos("foto_exif.jpg").string();
    const std::pair<const char*, const char*> casos[] = {
        {"--calidad alta", "Valor no válido para --calidad: alta"},
        {"--calidad nan", "Valor no válido para --calidad: nan"},
        {"--calidad 80x", "Valor no válido para --calidad: 80x"},
        {"--calidad 500", "El valor de --calidad debe estar entre 10 y 100"},
        {"--calidad 9.5", "El valor de --calidad debe estar entre 10 y 100"},
        {"--ancho inf", "El valor de --ancho debe ser un número entero entre 1 y 65535"},
        {"--alto 0", "El valor de --alto debe ser un número entero entre 1 y 65535"},
        {"--ancho 65536", "El valor de --ancho debe ser un número entero entre 1 y 65535"},
        {"--ancho 800.5", "El valor de --ancho debe ser un número entero entre 1 y 65535"},
        {"--objetivo -3", "El valor de --objetivo debe ser un número entero de kilobytes mayor "
                          "que 0"},
        {"--objetivo 1e3", "El valor de --objetivo debe ser un número entero de kilobytes mayor "
                           "que 0"},
        {"--brillo -inf", "Valor no válido para --brillo: -inf"},
        {"--saturacion 3", "El valor de --saturacion debe estar entre 0 y 2"},
        {"--texto hola --pos 0.5,nan", "Valor no válido para --pos: 0.5,nan"},
        {"--texto hola --pos 1.5,0.5", "Los valores de --pos deben estar entre 0 y 1"},
        {"--texto hola --tamano 0", "El valor de --tamano debe ser mayor que 0 y como mucho 1"},
        {"--calidad", "Falta el valor de --calidad"},
    };
    for (const auto& [args, mensaje] : casos) {
        auto s = ejecutarCli(std::string(args) + (std::string(args) == "--calidad" ? "" : foto));
        EXPECT_EQ(s.estado, 2) << args;
        EXPECT_EQ(s.texto, "❌ " + std::string(mensaje) + "\n") << args;
    }
    // Values inside the ranges are taken.
    auto bien = ejecutarCli("--json --calidad 10 --ancho 65535 --alto 1" + foto);
    EXPECT_EQ(bien.estado, 0) << bien.texto;
}
