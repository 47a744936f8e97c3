// What the package installs for the desktop and the shell: the validators accept the
// desktop entry and the AppStream metadata, the manual lists every flag of the program,
// and bash completes flags and their values.
#include "comun.h"

#include <filesystem>
#include <regex>
#include <set>

#include <gtest/gtest.h>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {

const std::string fuentes = LIVORA_FUENTES;

std::set<std::string> opcionesDe(const std::string& texto) {
    std::set<std::string> r;
    const std::regex opcion("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(texto.begin(), texto.end(), opcion);
         it != std::sregex_iterator(); ++it)
        r.insert(it->str());
    return r;
}

TEST(Paquete, ElEscritorioYAppStreamAceptanSusArchivos) {
    if (!std::filesystem::exists(LIVORA_METAINFO))
        GTEST_SKIP() << "sin la aplicación de escritorio";
    for (const std::string& orden :
         {"desktop-file-validate " + fuentes + "/resources/livora.desktop",
          std::string("appstreamcli validate --no-net --pedantic ") + LIVORA_METAINFO}) {
        const auto s = ejecutar(orden);
        EXPECT_EQ(s.estado, 0) << orden << "\n" << s.texto;
    }
}

TEST(Paquete, ElManualTieneCadaOpcionDeLaAyudaYSeLeeSinAvisos) {
    const Ruta pagina = carpetaPrueba() / "livora-cli.1";
    auto s = ejecutar(fuentes + "/scripts/manual " + LIVORA_CLI + " 9.9 " + pagina.string());
    ASSERT_EQ(s.estado, 0) << s.texto;
    // groff reports what it cannot set (bad escapes, unknown requests) as warnings.
    s = ejecutar("groff -k -man -Tutf8 -ww -z " + pagina.string());
    EXPECT_EQ(s.texto, "");
    const auto leido = ejecutar("groff -k -man -Tutf8 -rLL=200n -P-cbou " + pagina.string());
    ASSERT_EQ(leido.estado, 0);
    const auto opciones = opcionesDe(ejecutarCli("--ayuda").texto);
    EXPECT_GT(opciones.size(), 15u);
    for (const auto& o : opciones)
        EXPECT_NE(leido.texto.find(o), std::string::npos) << o;
    EXPECT_NE(leido.texto.find("Livora 9.9"), std::string::npos);
    std::filesystem::remove_all(pagina.parent_path());
}

TEST(Paquete, BashCompletaOpcionesYSusValores) {
    if (!std::filesystem::exists("/usr/share/bash-completion/bash_completion"))
        GTEST_SKIP() << "sin bash-completion";
    struct Caso {
        std::string linea;
        std::set<std::string> esperadas;
    };
    const Caso casos[] = {
        {"livora-cli --sin", {"--sin-fondo", "--sin-sombra"}},
        {"livora-cli --filtro se", {"sepia"}},
        {"livora-cli --guardar t", {"todas"}},
        {"livora-cli --json --obj", {"--objetivo"}},
        {"livora-cli --calidad ", {}},
    };
    const std::string dir = Ruta(LIVORA_CLI).parent_path().string();
    for (const Caso& c : casos) {
        const std::string guion =
            "source /usr/share/bash-completion/bash_completion; source " + fuentes +
            "/resources/paquete/livora-cli.bash; PATH=" + dir + ":$PATH; cd /; COMP_LINE='" +
            c.linea + "'; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<<\"$COMP_LINE\"; " +
            "[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=(''); COMP_CWORD=$((${#COMP_WORDS[@]}-1)); " +
            "_livora_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
        const auto s =
            ejecutar("bash -c '" + std::regex_replace(guion, std::regex("'"), "'\\''") + "'");
        std::set<std::string> ofrecidas;
        std::istringstream lineas(s.texto);
        for (std::string l; std::getline(lineas, l);)
            if (!l.empty()) ofrecidas.insert(l);
        EXPECT_EQ(ofrecidas, c.esperadas) << c.linea << "\n" << s.texto;
    }
}

} // namespace
