#pragma once
// Small PDFs made at test time with qpdf: text pages with internal links, a web link, a
// form field, rotations and passwords, so every case is built on a real file.
#include "motor/pdf_servicio.h"

#include "../carpeta_prueba.h"
#include "motor/archivos.h"
#include "motor/codec.h"

#include <filesystem>
#include <string>
#include <vector>

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace LivoraPrueba {

using Livora::Ruta;

struct PaginaPrueba {
    double ancho = 595, alto = 842;
    int rotacion = 0;
    int enlazaA = -1;       // internal link to that page
    bool porNombre = false; // the link names its destination (GoTo with a named dest)
    bool web = false;       // a URI link
    bool campo = false;     // a text form field
    bool marca = true;      // a black square in the top-left corner of the unrotated page
};

struct Cifrado {
    std::string usuario, dueno;
};

inline Ruta carpetaPrueba() {
    static Ruta dir = carpetaPrivada();
    return dir;
}

inline Ruta crearPDF(const std::string& nombre, const std::vector<PaginaPrueba>& paginas,
                     const std::optional<Cifrado>& cifrado = std::nullopt) {
    using H = QPDFObjectHandle;
    QPDF q;
    q.emptyPDF();
    auto fuente =
        q.makeIndirectObject(H::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    std::vector<H> hojas;
    for (std::size_t i = 0; i < paginas.size(); ++i) {
        const auto& p = paginas[i];
        auto pag = H::newDictionary();
        pag.replaceKey("/Type", H::newName("/Page"));
        pag.replaceKey("/MediaBox", H::newFromRectangle({0, 0, p.ancho, p.alto}));
        auto res = H::newDictionary();
        auto fuentes = H::newDictionary();
        fuentes.replaceKey("/F1", fuente);
        res.replaceKey("/Font", fuentes);
        pag.replaceKey("/Resources", res);
        std::string c = "BT /F1 24 Tf 72 400 Td (Pagina " + std::to_string(i + 1) + ") Tj ET\n";
        if (p.marca)
            c += "0 g 0 " + std::to_string(p.alto - p.alto / 4) + " " +
                 std::to_string(p.ancho / 4) + " " + std::to_string(p.alto / 4) + " re f\n";
        pag.replaceKey("/Contents", H::newStream(&q, c));
        if (p.rotacion) pag.replaceKey("/Rotate", H::newInteger(p.rotacion));
        hojas.push_back(q.makeIndirectObject(pag));
        q.addPage(hojas.back(), false);
    }
    auto campos = H::newArray();
    for (std::size_t i = 0; i < paginas.size(); ++i) {
        const auto& p = paginas[i];
        auto annots = H::newArray();
        if (p.enlazaA >= 0) {
            auto a =
                H::parse("<< /Type /Annot /Subtype /Link /Rect [72 72 200 100] /Border [0 0 0] >>");
            auto dest = H::newArray();
            dest.appendItem(hojas.at(static_cast<std::size_t>(p.enlazaA)));
            dest.appendItem(H::newName("/Fit"));
            if (p.porNombre) {
                std::string nombre = "destino" + std::to_string(p.enlazaA);
                auto accion = H::newDictionary();
                accion.replaceKey("/S", H::newName("/GoTo"));
                accion.replaceKey("/D", H::newString(nombre));
                a.replaceKey("/A", accion);
                auto nombres = H::newArray();
                nombres.appendItem(H::newString(nombre));
                nombres.appendItem(dest);
                auto arbol = H::newDictionary();
                arbol.replaceKey("/Names", nombres);
                auto names = H::newDictionary();
                names.replaceKey("/Dests", q.makeIndirectObject(arbol));
                q.getRoot().replaceKey("/Names", names);
            } else {
                a.replaceKey("/Dest", dest);
            }
            annots.appendItem(q.makeIndirectObject(a));
        }
        if (p.web)
            annots.appendItem(q.makeIndirectObject(
                H::parse("<< /Type /Annot /Subtype /Link /Rect [72 120 200 150] "
                         "/A << /S /URI /URI (https://example.org/) >> >>")));
        if (p.campo) {
            auto w = H::parse("<< /Type /Annot /Subtype /Widget /FT /Tx /Rect [72 200 300 230] "
                              "/DA (/Helv 12 Tf 0 g) /V (hola) >>");
            w.replaceKey("/T", H::newUnicodeString("campo" + std::to_string(i)));
            w.replaceKey("/P", hojas[i]);
            auto wi = q.makeIndirectObject(w);
            annots.appendItem(wi);
            campos.appendItem(wi);
        }
        if (annots.getArrayNItems()) hojas[i].replaceKey("/Annots", annots);
    }
    if (campos.getArrayNItems()) {
        auto acro = H::parse("<< /DA (/Helv 0 Tf 0 g) /NeedAppearances true >>");
        acro.replaceKey("/Fields", campos);
        q.getRoot().replaceKey("/AcroForm", acro);
    }
    Ruta ruta = carpetaPrueba() / nombre;
    QPDFWriter w(q, ruta.c_str());
    if (cifrado)
        w.setR6EncryptionParameters(cifrado->usuario.c_str(), cifrado->dueno.c_str(), true, true,
                                    true, true, true, true, qpdf_r3p_full, true);
    w.write();
    return ruta;
}

inline std::vector<PaginaPrueba> a4(int n) {
    return std::vector<PaginaPrueba>(n);
}

// The written document, opened with qpdf (password when given).
inline std::shared_ptr<QPDF> leer(const Ruta& r, const std::string& clave = "") {
    auto q = std::make_shared<QPDF>();
    q->setSuppressWarnings(true);
    q->processFile(r.c_str(), clave.c_str());
    return q;
}

inline std::vector<QPDFObjectHandle> paginasDeQPDF(QPDF& q) {
    std::vector<QPDFObjectHandle> r;
    for (auto& p : QPDFPageDocumentHelper(q).getAllPages())
        r.push_back(p.getObjectHandle());
    return r;
}

inline int rotacionDe(QPDFObjectHandle p) {
    auto r = p.getKey("/Rotate");
    return r.isInteger() ? r.getIntValueAsInt() : 0;
}

inline int cuentaAnotaciones(QPDFObjectHandle p, const char* tipo) {
    int n = 0;
    auto a = p.getKey("/Annots");
    if (a.isArray())
        for (auto x : a.aitems())
            if (x.getKey("/Subtype").isNameAndEquals(tipo)) ++n;
    return n;
}

inline std::vector<Livora::PaginaPDF> refs(const Ruta& r, std::vector<std::int64_t> indices,
                                           std::vector<std::int64_t> rotaciones = {}) {
    std::vector<Livora::PaginaPDF> v;
    for (std::size_t i = 0; i < indices.size(); ++i)
        v.push_back(
            {Livora::Uuid::nuevo(), r, indices[i], i < rotaciones.size() ? rotaciones[i] : 0});
    return v;
}

} // namespace LivoraPrueba
