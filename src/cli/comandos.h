#pragma once
#include "cli/opciones.h"
#include "motor/control.h"
#include "motor/error.h"

#include <chrono>
#include <mutex>

#include <nlohmann/json.hpp>

namespace Livora::Cli {

// Prints one record as the inspector shows it, or as one JSON line.
void imprimir(const ArchivoEstado& a, const Opciones& o);
nlohmann::json aJson(const ArchivoEstado& a);
// Saves by the --guardar choice; prints the confirmation. False on failure.
bool guardar(const ArchivoEstado& a, const std::string& que);
// Whether --guardar QUE takes this alternative: "todas", "elegida", or its suffix.
bool seGuarda(const ArchivoEstado& a, const Variante& v, const std::string& que);

// The image intake plus the requested edits.
Resultado<ArchivoEstado> procesarImagen(const Ruta& url, const Opciones& o);
// The PDF intake with the requested password and options.
Resultado<ArchivoEstado> procesarPDF(const Ruta& url, const Opciones& o);
// Merges every file into one PDF written to o.unir. Returns the exit status.
int unir(const Opciones& o);

// Ctrl+C and SIGTERM cancel the PDF work in progress (between pages) and end the run
// after cleaning up; a second one ends it at once.
void atenderInterrupciones();
bool interrumpido();

// A progress line for one file's PDF work on stderr, when stderr is a terminal; removed
// when this goes away. Its control also carries the interruption.
class ProgresoTerminal {
public:
    explicit ProgresoTerminal(const Ruta& url);
    ~ProgresoTerminal();
    ControlTrabajo control();

private:
    std::string nombre_;
    std::mutex m_;
    int pct_ = -1;
    std::chrono::steady_clock::time_point ultimo_{};
    bool escrito_ = false;
};

// The file to read: the PDF itself, or an unlocked copy when it needs a password (an error
// of the "Contraseña" domain otherwise).
Resultado<Ruta> fuenteLegible(const Ruta& url, const Opciones& o);
// The list --paginas asks for over the source's pages; none without --paginas or when the
// source has no pages to count on (intake then reports it).
Resultado<std::optional<std::vector<PaginaPDF>>> listaPedida(const Ruta& fuente, const Opciones& o);
// --extraer: writes the chosen pages of the one input PDF. Returns the exit status.
int extraer(const Opciones& o);

} // namespace Livora::Cli
