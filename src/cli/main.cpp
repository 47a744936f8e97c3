#include "cli/carpetas.h"
#include "cli/comandos.h"
#include "motor/codec.h"
#include "motor/memoria.h"
#include "motor/temporales.h"
#include "motor/texto.h"
#include "motor/tipos.h"

#include <algorithm>
#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    using namespace Livora;
    // A file-size limit ends a write with an error the user can read, not the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    auto analisis = Cli::analizar(args);
    if (analisis.error) {
        std::cerr << "❌ " << textoUtf8(*analisis.error) << "\n";
        return 2;
    }
    const auto& o = analisis.opciones;
    if (o.ayuda || o.archivos.empty()) {
        std::cout << Cli::textoAyuda;
        return o.ayuda ? 0 : 2;
    }
    usarPaginasGrandes(argv);
    iniciarMotor();
    Cli::atenderInterrupciones();
    // Unlocked copies never outlive the run; the outputs do unless they were saved (the
    // caller then has them where they belong) or --limpiar says so.
    struct Limpieza {
        bool conservar;
        ~Limpieza() { limpiarAlSalir(conservar); }
    } limpieza{!(o.guardar || o.unir || o.limpiar)};
    if (o.unir) return Cli::unir(o);
    if (o.extraer) return Cli::extraer(o);

    const auto entradas = Cli::entradas(o.archivos);
    if (!entradas) return 1;
    int estado = 0;
    Cli::Resumen resumen;
    for (const auto& h : *entradas) {
        const Ruta& url = h.archivo;
        if (Cli::interrumpido()) return 130;
        // Whatever happens with one file, the next one is still processed.
        try {
            auto a = esImagen(url) ? Cli::procesarImagen(url, o) : Cli::procesarPDF(url, o);
            if (!a) {
                if (esCancelado(a.error())) return 130;
                std::cerr << "❌ " << nombreVisible(url) << ": " << a.error().mensaje << "\n";
                // 3: a protected PDF with a missing or wrong password.
                estado = a.error().dominio == "Contraseña" ? 3 : std::max(estado, 1);
                resumen.fallar(h);
                continue;
            }
            Cli::imprimir(*a, o);
            if (o.guardar && !Cli::guardar(*a, *o.guardar)) {
                estado = std::max(estado, 1);
                resumen.fallar(h);
                continue;
            }
            resumen.anadir(*a, o.guardar);
        } catch (const std::bad_alloc&) {
            std::cerr << "❌ " << nombreVisible(url) << ": no hay memoria suficiente\n";
            estado = std::max(estado, 1);
            resumen.fallar(h);
        } catch (const std::exception&) {
            std::cerr << "❌ " << nombreVisible(url) << ": error inesperado al procesarlo\n";
            estado = std::max(estado, 1);
            resumen.fallar(h);
        }
    }
    if (Cli::conResumen(o.archivos, entradas->size()))
        (o.json ? std::cerr : std::cout) << resumen.texto() << std::flush;
    return estado;
}
