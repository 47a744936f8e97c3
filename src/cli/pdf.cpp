#include "motor/pdf.h"
#include "cli/comandos.h"
#include "motor/archivos.h"
#include "motor/guardar.h"
#include "motor/ingesta_pdf.h"
#include "motor/texto.h"
#include "motor/tipos.h"

#include <iostream>

namespace Livora::Cli {

namespace {

// Password problems get their own exit status (see main).
Error errorContrasena(std::string mensaje) {
    Error e = error(std::move(mensaje));
    e.dominio = "Contraseña";
    return e;
}

// Protection and properties as the inspector applies them: a regeneration that keeps the
// chosen kind of alternative.
Resultado<void> aplicarOpciones(ArchivoEstado& a, const OpcionesPDF& opciones,
                                const ControlTrabajo& control) {
    if (opciones == a.opcionesPDF) return {};
    if (opciones.proteger && opciones.contrasena.empty()) return {};
    std::optional<std::string> sufijo;
    for (const auto& v : a.variantes)
        if (a.seleccionada && v.id == *a.seleccionada) sufijo = v.sufijo;
    auto salida = variantesPDF(a.paginas, opciones, control);
    if (!salida) return salida.error();
    a.opcionesPDF = opciones;
    a.previewAntes = enMemoria(std::move(salida->preview));
    a.variantes = std::move(salida->variantes);
    a.seleccionada = reseleccion(a.variantes, sufijo);
    return {};
}

} // namespace

Resultado<Ruta> fuenteLegible(const Ruta& url, const Opciones& o) {
    if (estadoPDF(url) != AperturaPDF::Bloqueado) return url;
    if (!o.contrasena)
        return errorContrasena("«" + nombreVisible(url) +
                               "» está protegido. Introduce la contraseña para abrirlo "
                               "(--contrasena).");
    auto copia = desbloquear(url, *o.contrasena);
    if (!copia) return errorContrasena(copia.error().mensaje);
    return *copia;
}

Resultado<ArchivoEstado> procesarPDF(const Ruta& url, const Opciones& o) {
    auto fuente = fuenteLegible(url, o);
    if (!fuente) return fuente.error();
    auto lista = listaPedida(*fuente, o);
    if (!lista) return lista.error();
    ProgresoTerminal progreso(url);
    auto a = ingestaPDF(url, *fuente, false, std::nullopt, progreso.control(), std::move(*lista));
    if (!a) return a;
    if (auto r = aplicarOpciones(*a, o.opcionesPDF, progreso.control()); !r) return r.error();
    return a;
}

int unir(const Opciones& o) {
    int estado = 0;
    // Transient records, as the window builds them for files picked to merge.
    std::vector<ArchivoEstado> registros;
    for (const auto& url : o.archivos) {
        ArchivoEstado a;
        a.url = url;
        a.esImagen = esImagen(url);
        a.bytesOriginal = tamano(url);
        if (!a.esImagen) {
            auto fuente = fuenteLegible(url, o);
            if (!fuente) {
                std::cerr << "❌ " << nombreVisible(url) << ": " << fuente.error().mensaje << "\n";
                estado = 3;
            }
            a.fuentePDF = fuente ? *fuente : url;
            a.paginas = paginasDe(*a.fuentePDF);
        }
        registros.push_back(std::move(a));
    }
    auto u = unirArchivos(entradasUnion(registros));
    if (!u) {
        std::cerr << "❌ " << u.error().mensaje << "\n";
        return 1;
    }
    ProgresoTerminal progreso(*o.unir);
    auto a = ingestaPDF(u->combinado, u->combinado, true, u->bytesOriginal, progreso.control());
    if (a) {
        if (auto r = aplicarOpciones(*a, o.opcionesPDF, progreso.control()); !r) a = r.error();
    }
    if (!a && esCancelado(a.error())) return 130;
    if (!a) {
        std::cerr << "❌ " << nombreVisible(u->combinado) << ": " << a.error().mensaje << "\n";
        return 1;
    }
    imprimir(*a, o);
    const Variante* sinPerdida = nullptr;
    for (const auto& v : a->variantes)
        if (v.sufijo == "sin-perdida") sinPerdida = &v;
    if (!sinPerdida) {
        std::cerr << "❌ No se pudo escribir " << nombreVisible(*o.unir) << "\n";
        return 1;
    }
    if (auto c = copiarSeguro(sinPerdida->urlTemp, *o.unir); !c) {
        std::cerr << textoFalloGuardado(*o.unir, c.error()) << "\n";
        return 1;
    }
    if (!o.json) std::cout << "Guardado en " << textoRuta(*o.unir) << "\n";
    if (!u->omitidos.empty()) {
        std::cerr << avisoOmitidos(u->omitidos) << "\n";
        if (estado == 0) estado = 1;
    }
    return estado;
}

} // namespace Livora::Cli
