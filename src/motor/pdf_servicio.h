#pragma once
// qpdf's smart-pointer transition: its current API only, without the warning.
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
// The PDF document service: qpdf for structure, writing and encryption, poppler for
// drawing. Internal to the engine; callers use pdf.h.
#include "modelo/modelo.h"
#include "motor/control.h"
#include "motor/error.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

namespace poppler {
class document;
}

namespace Livora {

// The bytes a password is written with: PDFDocEncoding when the text fits it (what other
// readers use for non-ASCII passwords up to AES-128), else the UTF-8 as given.
std::string bytesContrasena(const std::string& utf8);
// What to try when opening: the UTF-8 as given (AES-256 files use it), then the
// PDFDocEncoding form when it differs.
std::vector<std::string> candidatasContrasena(const std::string& utf8);

// A document opened with qpdf, or why it could not be.
struct DocumentoQPDF {
    std::shared_ptr<QPDF> qpdf; // null when not opened
    bool bloqueado = false;     // a (right) user password is needed
};
// Opens quietly (warnings muted). `contrasena` none: the empty password.
DocumentoQPDF abrirQPDF(const Ruta& url, const std::optional<std::string>& contrasena);
std::shared_ptr<QPDF> qpdfVacio();

// A poppler document, unlocked with the password when given; null when unreadable or
// still locked.
std::unique_ptr<poppler::document> abrirPoppler(const Ruta& url,
                                                const std::optional<std::string>& contrasena);

// Page size in points as viewers show it: the crop box with the page's rotation applied.
struct GeometriaPagina {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;     // media box
    double cx0 = 0, cy0 = 0, cx1 = 0, cy1 = 0; // crop box, inside the media box
    int rotacion = 0;                          // 0, 90, 180 or 270
    double ancho() const { return rotacion % 180 == 0 ? cx1 - cx0 : cy1 - cy0; }
    double alto() const { return rotacion % 180 == 0 ? cy1 - cy0 : cx1 - cx0; }
};
GeometriaPagina geometria(QPDFObjectHandle pagina);

// Draws the crop box of page `indice` of an opened poppler document on white at `dpi`
// into an image of exactly ancho × alto pixels. None when the page cannot be drawn.
std::optional<Imagen> dibujarPagina(poppler::document& doc, int indice, const GeometriaPagina& g,
                                    double dpi, std::int64_t ancho, std::int64_t alto);
// An ancho × alto 8-bit RGB picture in memory, its pixels not yet written (rows are
// contiguous, VIPS_IMAGE_ADDR addresses them). None past 65535 a side or without memory.
std::optional<Imagen> imagenEnMemoria(std::int64_t ancho, std::int64_t alto);

// A page whose only drawing is one JPEG picture (8-bit RGB or grey, no mask, no decode
// array), upright and inside the crop box, with nothing else on the page: where it lies in
// default user space and which object holds it.
struct FotoPagina {
    QPDFObjGen objeto;
    int ancho = 0, alto = 0; // the picture's pixels
    bool gris = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
// None when the page draws anything else, or in any way a reader could show differently.
std::optional<FotoPagina> fotoDePagina(QPDF& q, QPDFObjectHandle pagina);
// The page as dibujarPagina draws it (white paper, `jpeg` the picture's raw stream data),
// made from the picture itself. None when the JPEG is not what the page declares.
std::optional<Imagen> dibujarFoto(const FotoPagina& f, const Buffer& jpeg, const GeometriaPagina& g,
                                  double dpi, std::int64_t ancho, std::int64_t alto);
// Draws the page's crop box scaled so that it fits ancho × alto (aspect kept).
std::optional<Imagen> dibujarAjustada(poppler::document& doc, int indice, double ancho,
                                      double alto);

// Turns every page upright with its origin at 0,0: /Rotate and the box offset move into
// the content and the annotations, so other readers see the same page.
void aplanarPaginas(QPDF& q);

// Writes through a temporary name renamed over `salida`, with object streams and never
// encrypted unless asked. With options: creator "Livora", title and author when set,
// AES-128 with the same user and owner password when protection is in effect. Error:
// "No se pudo escribir <name>".
// With a control, a cancellation stops the writing too.
Resultado<void> escribirQPDF(QPDF& q, const OpcionesPDF* opciones, const Ruta& salida,
                             const ControlTrabajo* control = nullptr);

// An assembled document; it reads page data from its sources while it lives.
struct Ensamblado {
    std::shared_ptr<QPDF> doc;
    std::vector<std::shared_ptr<QPDF>> fuentes;
};
// Assembles the list into a new document (see exportarPaginas).
Resultado<Ensamblado> ensamblarPDF(const std::vector<PaginaPDF>& paginas);

} // namespace Livora
