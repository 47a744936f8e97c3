#include "cli/opciones.h"

#include "cli/recorte.h"

#include "motor/filtros.h"
#include "motor/texto.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace Livora::Cli {

const char* textoAyuda =
    "Uso: livora-cli [opciones] ARCHIVO|CARPETA...\n"
    "Genera las alternativas de cada imagen o PDF y las muestra como el inspector.\n"
    "Una carpeta aporta las imágenes y PDF que contiene, subcarpetas incluidas.\n\n"
    "Imágenes:\n"
    "  --calidad Q            calidad de la JPEG personalizada (10…100, 70 por defecto)\n"
    "  --ancho W, --alto H    tamaño de la JPEG personalizada en píxeles (1…65535)\n"
    "  --objetivo KB          añade la JPEG que cabe en ese peso\n"
    "  --conservar-metadatos  copia EXIF, GPS e IPTC a las salidas\n"
    "  --sin-fondo            quita el fondo (una sola salida PNG transparente)\n"
    "  --filtro PRESET        mono, noir, sepia, fade, chrome, invertir\n"
    "  --brillo B             −0.3…0.3 (0 por defecto)\n"
    "  --contraste C          0.7…1.4 (1 por defecto)\n"
    "  --saturacion S         0…2 (1 por defecto)\n"
    "  --texto T [--pos X,Y] [--tamano F] [--color #RRGGBBAA] [--sin-sombra]\n"
    "                         (posición y tamaño en fracciones de la imagen, 0…1)\n"
    "  --recortar X,Y,W,H     recorta (fracciones 0…1 de la imagen derecha)\n"
    "  --proporcion A:B       recorta al mayor rectángulo centrado A:B (16:9, 1:1…)\n"
    "PDF:\n"
    "  --contrasena PW        abre un PDF protegido\n"
    "  --proteger PW          protege las salidas con contraseña\n"
    "  --titulo T, --autor A  propiedades del documento\n"
    "  --unir SALIDA.pdf      une todos los archivos, en orden, en un PDF\n"
    "  --paginas EXPR         rehace la lista de páginas antes de las salidas\n"
    "  --extraer EXPR SALIDA.pdf  escribe solo esas páginas en SALIDA.pdf\n"
    "    EXPR: elementos separados por comas: N o N-M (páginas del PDF, también hacia\n"
    "    atrás) con un giro opcional (+90, -90, +180), blanco (A4 vacía) o @ARCHIVO\n"
    "    (un PDF entero o una imagen). Ej.: '3,1-2,5+90,blanco,@foto.jpg'\n"
    "Salida:\n"
    "  --guardar SUFIJO|todas|elegida   guarda junto al original\n"
    "  --json                 un objeto JSON por archivo y línea\n"
    "  --limpiar              borra al terminar las salidas temporales (también al guardar)\n"
    "  --                     lo que sigue son archivos, aunque empiecen por -\n";

namespace {
// The whole text is one finite number (no trailing characters, no "nan" or "inf").
bool numero(const std::string& s, double& v) {
    const char* p = s.data();
    if (!s.empty() && s[0] == '+') ++p;
    auto r = std::from_chars(p, s.data() + s.size(), v);
    return r.ec == std::errc{} && r.ptr == s.data() + s.size() && std::isfinite(v);
}
bool entero(const std::string& s, std::int64_t& v) {
    const char* p = s.data();
    if (!s.empty() && s[0] == '+') ++p;
    auto r = std::from_chars(p, s.data() + s.size(), v);
    return r.ec == std::errc{} && r.ptr == s.data() + s.size();
}
bool color(const std::string& s, Color& c) {
    if (s.size() != 9 && s.size() != 7) return false;
    if (s[0] != '#') return false;
    unsigned v[4] = {0, 0, 0, 255};
    for (std::size_t i = 0; i * 2 + 1 < s.size(); ++i) {
        auto r = std::from_chars(s.data() + 1 + i * 2, s.data() + 3 + i * 2, v[i], 16);
        if (r.ec != std::errc{} || r.ptr != s.data() + 3 + i * 2) return false;
    }
    c = Color{v[0] / 255.0, v[1] / 255.0, v[2] / 255.0, v[3] / 255.0};
    return true;
}
bool presetConocido(const std::string& clave) {
    for (const auto& p : presetsFiltro())
        if (p.clave == clave) return true;
    return false;
}
std::string listaPresets() {
    std::string lista;
    for (const auto& p : presetsFiltro())
        lista += (lista.empty() ? "" : ", ") + p.clave;
    return lista;
}
// 0.3 → "0,3", as numbers are written in Spanish.
std::string textoNumero(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    std::string s(b);
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}
} // namespace

Analisis analizar(const std::vector<std::string>& args) {
    Analisis a;
    auto& o = a.opciones;
    bool soloArchivos = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (soloArchivos) {
            o.archivos.emplace_back(arg);
            continue;
        }
        auto valor = [&](std::string& destino) {
            if (i + 1 >= args.size()) {
                a.error = "Falta el valor de " + arg;
                return false;
            }
            destino = args[++i];
            return true;
        };
        auto decimal = [&](double& destino) {
            std::string s;
            if (!valor(s)) return false;
            if (!numero(s, destino)) {
                a.error = "Valor no válido para " + arg + ": " + s;
                return false;
            }
            return true;
        };
        auto enRango = [&](double& destino, double min, double max) {
            if (!decimal(destino)) return false;
            if (!(destino >= min && destino <= max)) {
                a.error = "El valor de " + arg + " debe estar entre " + textoNumero(min) + " y " +
                          textoNumero(max);
                return false;
            }
            return true;
        };
        // Sizes in pixels: whole numbers from 1 to 65535, the largest side a JPEG can have.
        auto lado = [&](double& destino) {
            std::string s;
            if (!valor(s)) return false;
            std::int64_t n = 0;
            if (!entero(s, n) || n < 1 || n > 65535) {
                a.error = "El valor de " + arg + " debe ser un número entero entre 1 y 65535";
                return false;
            }
            destino = static_cast<double>(n);
            return true;
        };
        auto ultimaCapa = [&]() -> CapaTexto* {
            if (o.capas.empty()) {
                a.error = arg + " va detrás de --texto";
                return nullptr;
            }
            return &o.capas.back();
        };
        std::string s;
        if (arg == "-h" || arg == "--ayuda" || arg == "--help") {
            o.ayuda = true;
        } else if (arg == "--calidad") {
            if (!enRango(o.ajustes.calidadCustom, 10, 100)) return a;
        } else if (arg == "--ancho") {
            if (!lado(o.ajustes.anchoCustom)) return a;
        } else if (arg == "--alto") {
            if (!lado(o.ajustes.altoCustom)) return a;
        } else if (arg == "--objetivo") {
            if (!valor(s)) return a;
            std::int64_t kb = 0;
            if (!entero(s, kb) || kb < 1) {
                a.error = "El valor de --objetivo debe ser un número entero de kilobytes mayor "
                          "que 0";
                return a;
            }
            o.ajustes.objetivoKB = kb;
        } else if (arg == "--conservar-metadatos") {
            o.ajustes.quitarMetadatos = false;
        } else if (arg == "--sin-fondo") {
            o.sinFondo = true;
        } else if (arg == "--filtro") {
            if (!valor(o.filtros.preset)) return a;
            if (!presetConocido(o.filtros.preset)) {
                a.error =
                    "Filtro desconocido: " + o.filtros.preset + " (usa " + listaPresets() + ")";
                return a;
            }
        } else if (arg == "--brillo") {
            if (!enRango(o.filtros.brillo, -0.3, 0.3)) return a;
        } else if (arg == "--contraste") {
            if (!enRango(o.filtros.contraste, 0.7, 1.4)) return a;
        } else if (arg == "--saturacion") {
            if (!enRango(o.filtros.saturacion, 0.0, 2.0)) return a;
        } else if (arg == "--texto") {
            CapaTexto c;
            if (!valor(c.texto)) return a;
            c.texto = textoUtf8(c.texto);
            o.capas.push_back(c);
        } else if (arg == "--pos") {
            auto* c = ultimaCapa();
            if (!c || !valor(s)) return a;
            auto coma = s.find(',');
            if (coma == std::string::npos || !numero(s.substr(0, coma), c->posX) ||
                !numero(s.substr(coma + 1), c->posY)) {
                a.error = "Valor no válido para --pos: " + s;
                return a;
            }
            if (c->posX < 0 || c->posX > 1 || c->posY < 0 || c->posY > 1) {
                a.error = "Los valores de --pos deben estar entre 0 y 1";
                return a;
            }
        } else if (arg == "--tamano") {
            auto* c = ultimaCapa();
            if (!c || !decimal(c->tamano)) return a;
            if (!(c->tamano > 0 && c->tamano <= 1)) {
                a.error = "El valor de --tamano debe ser mayor que 0 y como mucho 1";
                return a;
            }
        } else if (arg == "--color") {
            auto* c = ultimaCapa();
            if (!c || !valor(s)) return a;
            if (!color(s, c->color)) {
                a.error = "Valor no válido para --color: " + s;
                return a;
            }
        } else if (arg == "--sin-sombra") {
            auto* c = ultimaCapa();
            if (!c) return a;
            c->sombra = false;
        } else if (arg == "--contrasena") {
            if (!valor(s)) return a;
            o.contrasena = s;
        } else if (arg == "--proteger") {
            if (!valor(o.opcionesPDF.contrasena)) return a;
            o.opcionesPDF.proteger = true;
        } else if (arg == "--titulo") {
            if (!valor(o.opcionesPDF.titulo)) return a;
            o.opcionesPDF.titulo = textoUtf8(o.opcionesPDF.titulo);
        } else if (arg == "--autor") {
            if (!valor(o.opcionesPDF.autor)) return a;
            o.opcionesPDF.autor = textoUtf8(o.opcionesPDF.autor);
        } else if (arg == "--guardar") {
            if (!valor(s)) return a;
            o.guardar = s;
        } else if (arg == "--unir") {
            if (!valor(s)) return a;
            o.unir = Ruta(s);
        } else if (arg == "--paginas" || arg == "--extraer") {
            if (!valor(s)) return a;
            auto lista = analizarListaPaginas(s);
            if (!lista) {
                a.error = lista.error().mensaje;
                return a;
            }
            if (arg == "--paginas") {
                o.paginas = std::move(*lista);
            } else {
                std::string salida;
                if (!valor(salida)) return a;
                o.extraer = std::move(*lista);
                o.extraerA = Ruta(salida);
            }
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--limpiar") {
            o.limpiar = true;
        } else if (arg == "--") {
            soloArchivos = true;
        } else if (esOpcionRecorte(arg)) {
            if (!valor(s)) return a;
            if ((a.error = leerRecorte(arg, s, o))) return a;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            a.error = "Opción desconocida: " + textoUtf8(arg);
            return a;
        } else {
            o.archivos.emplace_back(arg);
        }
    }
    if ((o.extraer || o.paginas) && (o.unir || (o.extraer && o.paginas)))
        a.error = "--paginas, --extraer y --unir no se combinan";
    return a;
}

} // namespace Livora::Cli
