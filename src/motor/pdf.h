#pragma once
#include "modelo/modelo.h"
#include "motor/control.h"
#include "motor/error.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace poppler {
class document;
}

namespace Livora {

// ---- Opening and page lists -------------------------------------------------------------

enum class AperturaPDF { Ilegible, Bloqueado, Abierto };

// Opens with no password; locked means a user password is needed (a file with only an
// owner password opens).
AperturaPDF estadoPDF(const Ruta& url);
// Whether the file opens with this password (or with none when it is not locked).
bool abrePDF(const Ruta& url, const std::optional<std::string>& contrasena);
// An unencrypted copy that keeps everything, named like the original, in a fresh private
// temporary folder. Unreadable file or wrong password: "Contraseña incorrecta", nothing
// written.
Resultado<Ruta> desbloquear(const Ruta& url, const std::string& contrasena);

// One reference per page, in order, rotation 0; empty when the file cannot be read.
std::vector<PaginaPDF> paginasDe(const Ruta& url);
// Rotation brought into 0…359.
int rotacionNormalizada(std::int64_t grados);

// Thumbnail key: "path#index".
std::string claveMiniatura(const PaginaPDF& p);
// The box page thumbnails are fitted into, in points (one pixel each).
inline constexpr int anchoMiniatura = 260;
inline constexpr int altoMiniatura = 340;
// Adds the thumbnails missing from `existentes` (crop box fitted into 260 × 340, page
// rotation applied); unreadable sources or missing pages leave their key absent.
std::map<std::string, Imagen> miniaturas(const std::vector<PaginaPDF>& paginas,
                                         std::map<std::string, Imagen> existentes);
// Intake makes the thumbnails of the first pages only (what the organiser shows first);
// the organiser draws the others when they come into view.
inline constexpr std::size_t miniaturasIniciales = 48;

// Draws single page thumbnails at any size, opening each source once. Poppler documents
// are not shared between threads: one reader per thread.
class LectorMiniaturas {
public:
    LectorMiniaturas();
    ~LectorMiniaturas();
    LectorMiniaturas(const LectorMiniaturas&) = delete;
    LectorMiniaturas& operator=(const LectorMiniaturas&) = delete;
    // The page's crop box fitted into ancho × alto pixels, its own rotation applied (the
    // reference's extra rotation is not); none when the source or the page cannot be read.
    std::optional<Imagen> dibujar(const PaginaPDF& pagina, int ancho, int alto);

private:
    std::map<Ruta, std::shared_ptr<poppler::document>> abiertos_;
};

// ---- Assembly and small documents -------------------------------------------------------

// Assembles the list into the destination: each source opened once, out-of-range pages
// skipped, rotation = own + extra, repeated pages independent, links and form fields kept.
// Errors: "No se pudo abrir <name>", "El PDF debe conservar al menos una página",
// "No se pudo escribir <name>".
Resultado<void> exportarPaginas(const std::vector<PaginaPDF>& paginas, const Ruta& destino);
// "blanco.pdf", one A4 page (595 × 842 points), in a fresh temporary folder.
Resultado<Ruta> paginaEnBlanco();
// A one-page PDF named like the image with ".pdf" in a fresh temporary folder. The page
// takes the image's physical size from its resolution when it has one (else one pixel per
// point), orientation applied.
Resultado<Ruta> pdfDesdeImagen(const Ruta& imagen);

// ---- Alternatives -----------------------------------------------------------------------

struct FilaPDF {
    std::string nombre;
    std::string detalle;
    std::string sufijo;
    std::optional<double> dpi; // none: the pages themselves, as vectors
    double calidad = 1.0;
};
// The four alternatives, in display order.
const std::vector<FilaPDF>& tablaPDF();

// Pages whose raster would exceed this stay vectors.
inline constexpr std::int64_t maxPixelesPaginaPDF = 100'000'000;

// Writes `fuente` to `salida`: with no dpi the pages themselves (rotation baked in, origin
// 0,0, object streams, links and annotations kept); with dpi each page as one JPEG at that
// resolution and quality. Creator "Livora", title and author when not empty, AES-128 with
// the same user and owner password when protection is in effect.
// One step of progress per page (the caller announces them); cancelling stops between pages.
Resultado<void> escribirPDF(const Ruta& fuente, std::optional<double> dpi, double calidad,
                            const OpcionesPDF& opciones, const Ruta& salida,
                            const ControlTrabajo& control = {});

// Several raster outputs of one document at once: each page is drawn once, at the highest
// resolution asked for, and brought down to the others' sizes (the same sizes a direct
// drawing at their resolution gives).
struct SalidaRaster {
    double dpi = 0;
    double calidad = 1.0;
    Ruta salida;
};
Resultado<void> escribirPDFRaster(const Ruta& fuente, const std::vector<SalidaRaster>& salidas,
                                  const OpcionesPDF& opciones, const ControlTrabajo& control = {});

// First page at 1.5 × its size (rotation applied); none when it cannot be read.
std::optional<Imagen> renderPDF(const Ruta& url,
                                const std::optional<std::string>& contrasena = std::nullopt);

struct SalidaPDF {
    std::optional<Imagen> preview;
    std::vector<Variante> variantes;
};
// "base.pdf" and the four alternatives in one fresh temporary folder. Progress counts
// every page of every alternative; a cancelled or failed run removes its folder.
Resultado<SalidaPDF> variantesPDF(const std::vector<PaginaPDF>& paginas,
                                  const OpcionesPDF& opciones, const ControlTrabajo& control = {});

// ---- Merging ----------------------------------------------------------------------------

struct EntradaUnion {
    bool esImagen = false;
    std::vector<PaginaPDF> paginas;
    Ruta contenido;
    std::string nombre;
    std::int64_t bytes = 0;
};
// One input per record: an image enters as its selected alternative (else its file), a
// PDF as its current page list.
std::vector<EntradaUnion> entradasUnion(const std::vector<ArchivoEstado>& archivos);

struct ResultadoUnion {
    Ruta combinado;
    std::vector<std::string> omitidos;
    std::int64_t bytesOriginal = 0;
};
// "Combinado.pdf" in a fresh temporary folder; inputs that give no page are left out and
// named; the original size is the sum of every input's size. An error when nothing could
// be collected or the export fails.
Resultado<ResultadoUnion> unirArchivos(const std::vector<EntradaUnion>& entradas);
// "⚠️ No se pudo unir: a.pdf, b.png"; empty when nothing was left out.
std::string avisoOmitidos(const std::vector<std::string>& omitidos);

} // namespace Livora
