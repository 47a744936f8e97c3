#include "comun.h"
#include "motor/formato.h"

#include <algorithm>
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

TEST(Cli, GuardaJuntoAlOriginal) {
    auto dir = carpetaPrueba();
    std::filesystem::copy_file(datos("foto_exif.jpg"), dir / "viaje.jpg");
    auto s = ejecutarCli("--guardar media " + (dir / "viaje.jpg").string());
    ASSERT_EQ(s.estado, 0) << s.texto;
    EXPECT_NE(s.texto.find("✓ Guardada 1 junto al original"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "viaje.media.jpg"));
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

namespace {

// Everything under a folder, relative, to compare what a run left.
std::vector<std::string> contenido(const Ruta& dir) {
    std::vector<std::string> r;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        r.push_back(e.path().lexically_relative(dir).string());
    return r;
}

} // namespace

TEST(Cli, AbrirDiceElMotivoTrasElTextoDeSiempre) {
    const Ruta dir = carpetaPrueba();
    std::filesystem::create_directory(dir / "carpeta.jpg");
    std::ofstream(dir / "vacia.jpg");
    cabeceraPNG(dir / "enorme.png", 30000, 30000);
    const struct {
        std::string archivo, linea;
    } casos[] = {
        {"carpeta.jpg", "❌ La carpeta «carpeta.jpg» no tiene imágenes ni PDF"},
        {"vacia.jpg", "❌ vacia.jpg: No se pudo abrir la imagen: el archivo está vacío"},
        {"falta.jpg", "❌ falta.jpg: No se pudo abrir la imagen: no existe"},
        {"enorme.png",
         "❌ enorme.png: No se pudo abrir la imagen: tiene 900 megapíxeles (máximo 250)"},
        {"-raro.jpg", "❌ -raro.jpg: No se pudo abrir la imagen: no existe"},
    };
    // Relative names, so the last one starts with a dash.
    const std::string aqui = "cd " + dir.string() + " &&";
    for (const auto& c : casos) {
        auto s = ejecutarCli("--limpiar -- " + c.archivo, aqui);
        EXPECT_EQ(s.estado, 1);
        EXPECT_NE(s.texto.find(c.linea), std::string::npos) << s.texto;
    }
    EXPECT_EQ(ejecutarCli("-raro.jpg", aqui).estado, 2) << "without --, an unknown option";

    std::filesystem::copy_file(datos("foto_exif.jpg"), dir / "privada.jpg");
    std::filesystem::permissions(dir / "privada.jpg", std::filesystem::perms::owner_read);
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    auto s = aislado({std::nullopt, 0, false, true},
                     [&] { return ejecutarCli((dir / "privada.jpg").string()).texto; });
    if (!s) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_NE(s->find("❌ privada.jpg: No se pudo abrir la imagen: no tienes permiso para leerlo"),
              std::string::npos)
        << *s;
}

TEST(Cli, GuardarEnCarpetaAjenaYEnDiscoLlenoDiceQueYCuantas) {
    const Ruta dir = carpetaPrueba();
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    const Ruta ajena = dir / "Ajena";
    std::filesystem::create_directory(ajena);
    std::filesystem::copy_file(datos("foto_exif.jpg"), ajena / "viaje.jpg");
    std::filesystem::permissions(
        ajena, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                   std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                   std::filesystem::perms::others_exec);
    const Ruta tmp = dir / "tmp";
    std::filesystem::create_directory(tmp);
    std::filesystem::permissions(tmp, std::filesystem::perms::all);
    auto sinPermiso = aislado({std::nullopt, 0, false, true}, [&] {
        auto s = ejecutarCli("--guardar media " + (ajena / "viaje.jpg").string(),
                             "TMPDIR=" + tmp.string());
        return s.texto + "|" + std::to_string(s.estado);
    });
    if (sinPermiso) {
        EXPECT_NE(sinPermiso->find("❌ No se pudo guardar viaje.media.jpg: no tienes permiso para "
                                   "escribir en la carpeta «Ajena»"),
                  std::string::npos)
            << *sinPermiso;
    }

    // A small disk: the photo fits, then the outputs until there is no room left.
    const Ruta disco = dir / "Disco";
    std::filesystem::create_directory(disco);
    auto lleno = aislado({disco, 96, false, false}, [&] {
        std::filesystem::copy_file(datos("foto_exif.jpg"), disco / "foto.jpg");
        auto s = ejecutarCli("--guardar todas " + (disco / "foto.jpg").string());
        std::string r = s.texto + "|" + std::to_string(s.estado) + "|";
        for (const auto& n : contenido(disco))
            r += n + ":" + std::to_string(std::filesystem::file_size(disco / n)) + ",";
        return r;
    });
    if (!lleno) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_NE(lleno->find(" de 8 · ❌ no queda espacio en el disco ("), std::string::npos) << *lleno;
    EXPECT_NE(lleno->find("|1|"), std::string::npos);
    EXPECT_EQ(lleno->find(".livora-"), std::string::npos) << "no partial file left";
    // The outputs it names as saved are there, whole; the disk holds nothing else of it.
    const std::string listado = lleno->substr(lleno->rfind("|") + 1);
    const std::string prefijo = "  " + (disco / "").string();
    std::size_t nombradas = 0;
    for (std::size_t i = lleno->find(prefijo); i != std::string::npos;
         i = lleno->find(prefijo, i + 1)) {
        const auto fin = lleno->find('\n', i);
        const std::string nombre = lleno->substr(i + prefijo.size(), fin - i - prefijo.size());
        EXPECT_NE(listado.find(nombre + ":"), std::string::npos) << nombre;
        EXPECT_EQ(listado.find(nombre + ":0,"), std::string::npos) << nombre;
        ++nombradas;
    }
    EXPECT_GT(nombradas, 0u) << *lleno;
    EXPECT_EQ(std::count(listado.begin(), listado.end(), ','), nombradas + 1) << listado;
}

TEST(Cli, NadaDeLaEjecucionQuedaEnTmpdir) {
    const Ruta dir = carpetaPrueba();
    const Ruta tmp = dir / "tmp";
    std::filesystem::create_directory(tmp);
    std::filesystem::copy_file(datos("foto_exif.jpg"), dir / "foto.jpg");
    const std::string entorno = "TMPDIR=" + tmp.string();
    auto s = ejecutarCli("--guardar todas " + (dir / "foto.jpg").string(), entorno);
    ASSERT_EQ(s.estado, 0) << s.texto;
    EXPECT_EQ(contenido(tmp), std::vector<std::string>{});

    // A protected PDF: the unlocked copy goes even when the outputs stay for the caller.
    auto p = ejecutarCli("--unir " + (dir / "p.pdf").string() + " --proteger livora " +
                             (dir / "foto.jpg").string(),
                         entorno);
    ASSERT_EQ(p.estado, 0) << p.texto;
    EXPECT_EQ(contenido(tmp), std::vector<std::string>{}) << "--unir saves, so it cleans";
    auto q = ejecutarCli("--json --contrasena livora " + (dir / "p.pdf").string(), entorno);
    ASSERT_EQ(q.estado, 0) << q.texto;
    const auto quedan = contenido(tmp);
    EXPECT_FALSE(quedan.empty()) << "without --guardar the outputs are the caller's";
    for (const auto& n : quedan)
        EXPECT_EQ(n.find("p.pdf"), std::string::npos) << n;
    auto r = ejecutarCli("--limpiar --contrasena livora " + (dir / "p.pdf").string(), entorno);
    ASSERT_EQ(r.estado, 0) << r.texto;
    EXPECT_EQ(contenido(tmp).size(), quedan.size()) << "--limpiar removes its own run's only";
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
}
