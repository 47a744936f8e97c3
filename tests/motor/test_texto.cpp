// Outside text made valid UTF-8, and the CLI's JSON lines with Latin-1 names and EXIF.
#include "comun.h"
#include "motor/texto.h"

#include <exiv2/exiv2.hpp>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace Livora;
using namespace Livora::Pruebas;

TEST(TextoUtf8, ValidoSeQuedaLatin1SeLeeYLoSueltoSeSustituye) {
    const struct {
        std::string entrada, esperado;
    } casos[] = {
        {"", ""},
        {"Cámara ñ €", "Cámara ñ €"},
        {"C\xe1mara Espa\xf1"
         "a",
         "Cámara España"},                                       // Latin-1
        {"\x80 \x99 \x8c", "€ ™ Œ"},                             // Windows-1252's own letters
        {"\x81\x8d", "\uFFFD\uFFFD"},                            // its unassigned bytes
        {"Cámara \xff", "Cámara \uFFFD"},                        // UTF-8 with a stray byte
        {"ma\xc3", "maÃ"},                                       // cut sequence, nothing else
        {"\xc0\xaf", "À¯"},                                      // overlong form is not UTF-8
        {"\xed\xa0\x80 \xf4\x90\x80\x80", "í\u00a0€ ô\uFFFD€€"}, // surrogate, > U+10FFFF
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : casos) {
        const std::string r = textoUtf8(c.entrada);
        EXPECT_EQ(r, c.esperado) << c.entrada;
        EXPECT_TRUE(esUtf8Valido(r)) << c.entrada;
        EXPECT_EQ(textoUtf8(r), r) << "stable: " << c.entrada;
    }
    EXPECT_EQ(textoRuta("/home/ana/años/lat\xe9n1.jpg"), "/home/ana/años/latén1.jpg");
    EXPECT_EQ(nombreVisible("/fotos/\xf1u.jpg"), "ñu.jpg");
}

TEST(TextoUtf8, JsonDeNombresYExifLatin1YElLoteSigue) {
    const Ruta dir = carpetaPrueba();
    const Ruta latin = dir / "lat\xe9n1.jpg";
    std::filesystem::copy_file(datos("foto_exif.jpg"), latin);
    {
        // Older cameras and software wrote these ASCII fields in Latin-1.
        auto img = Exiv2::ImageFactory::open(latin.string());
        img->readMetadata();
        img->exifData()["Exif.Image.Model"] = "C\xe1mara Espa\xf1"
                                              "a";
        img->exifData()["Exif.Image.Software"] = "Edici\xf3n";
        img->writeMetadata();
    }
    std::ofstream(dir / "rota.jpg") << "no soy una foto";
    std::filesystem::copy_file(datos("mariquita.jpg"), dir / "última.jpg");
    auto s = ejecutarCli("--json --limpiar '" + latin.string() + "' " +
                         (dir / "rota.jpg").string() + " " + (dir / "última.jpg").string());
    EXPECT_EQ(s.estado, 1) << s.texto;
    std::istringstream lineas(s.texto);
    std::vector<nlohmann::json> objetos;
    for (std::string l; std::getline(lineas, l);)
        if (!l.empty() && l[0] == '{') objetos.push_back(nlohmann::json::parse(l)); // strict
    ASSERT_EQ(objetos.size(), 2u) << s.texto;
    EXPECT_EQ(objetos[0]["url"], textoRuta(latin));
    std::map<std::string, std::string> resumen;
    for (const auto& m : objetos[0]["resumenMetadatos"])
        resumen[m["titulo"]] = m["valor"];
    EXPECT_EQ(resumen["Cámara"], "Canon Cámara España");
    EXPECT_EQ(resumen["Software"], "Edición");
    EXPECT_EQ(objetos[1]["url"], (dir / "última.jpg").string()) << "the batch goes on";
    EXPECT_NE(s.texto.find("❌ rota.jpg: No se pudo abrir la imagen"), std::string::npos);
}
