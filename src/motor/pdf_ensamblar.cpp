// Assembly of a page list into one document, and its export.
#include "motor/pdf.h"
#include "motor/pdf_servicio.h"
#include "motor/texto.h"

#include <set>

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace Livora {

namespace {

struct Fuente {
    std::shared_ptr<QPDF> qpdf;
    std::vector<QPDFPageObjectHelper> paginas;
    std::unique_ptr<QPDFAcroFormDocumentHelper> formulario;
    std::set<std::int64_t> copiadas;
};

// The explicit destination array a named one stands for in its own document (names do not
// travel: the assembled document has no name tree).
QPDFObjectHandle destinoExplicito(QPDF& q, QPDFObjectHandle d) {
    if (d.isArray()) return d;
    QPDFObjectHandle valor;
    auto raiz = q.getRoot();
    if (d.isString()) {
        auto arbol = raiz.getKey("/Names").getKey("/Dests");
        if (arbol.isDictionary()) {
            QPDFNameTreeObjectHelper nombres(arbol, q);
            nombres.findObject(d.getUTF8Value(), valor);
        }
    } else if (d.isName()) {
        valor = raiz.getKey("/Dests").getKey(d.getName());
    }
    if (valor.isDictionary()) valor = valor.getKey("/D");
    return valor.isArray() ? valor : QPDFObjectHandle::newNull();
}

// Named link destinations of the source become explicit, so that the copies can point at
// the copied pages.
void resolverDestinos(QPDF& q, std::vector<QPDFPageObjectHelper>& paginas) {
    for (auto& ph : paginas) {
        auto annots = ph.getObjectHandle().getKey("/Annots");
        if (!annots.isArray()) continue;
        for (auto a : annots.aitems()) {
            if (!a.isDictionary() || !a.getKey("/Subtype").isNameAndEquals("/Link")) continue;
            auto dest = a.getKey("/Dest");
            if (!dest.isNull() && !dest.isArray()) a.replaceKey("/Dest", destinoExplicito(q, dest));
            auto accion = a.getKey("/A");
            if (accion.isDictionary() && accion.getKey("/S").isNameAndEquals("/GoTo")) {
                auto d = accion.getKey("/D");
                if (!d.isArray()) accion.replaceKey("/D", destinoExplicito(q, d));
            }
        }
    }
}

// A link whose target page did not make it into the document goes: copying turns the
// reference to a page left out into null.
bool enlaceRoto(QPDFObjectHandle a, const std::set<QPDFObjGen>& paginas) {
    if (!a.isDictionary() || !a.getKey("/Subtype").isNameAndEquals("/Link")) return false;
    QPDFObjectHandle dest = a.getKey("/Dest");
    auto accion = a.getKey("/A");
    if (dest.isNull() && accion.isDictionary()) {
        if (!accion.getKey("/S").isNameAndEquals("/GoTo")) return false;
        dest = accion.getKey("/D");
    }
    if (dest.isNull() && !a.hasKey("/Dest") && !accion.isDictionary()) return false;
    if (!dest.isArray() || dest.getArrayNItems() < 1) return true;
    auto destino = dest.getArrayItem(0);
    if (destino.isInteger()) return false; // a page number: valid as it is
    return !destino.isIndirect() || !paginas.count(destino.getObjGen());
}

} // namespace

Resultado<Ensamblado> ensamblarPDF(const std::vector<PaginaPDF>& paginas) {
    Ensamblado r;
    Ruta actual;
    try {
        r.doc = qpdfVacio();
        QPDF& q = *r.doc;
        std::map<Ruta, Fuente> fuentes;
        struct Copia {
            QPDFObjectHandle nueva;
            QPDFObjectHandle original;
            Fuente* fuente;
        };
        std::vector<Copia> copias;

        // Pages first: copying an annotation or form field turns references to pages that
        // are not (yet) in the document into null.
        for (const auto& p : paginas) {
            actual = p.fuente;
            auto it = fuentes.find(p.fuente);
            if (it == fuentes.end()) {
                auto d = abrirQPDF(p.fuente, std::nullopt);
                if (!d.qpdf) return error("No se pudo abrir " + nombreVisible(p.fuente));
                Fuente f;
                f.qpdf = d.qpdf;
                f.qpdf->pushInheritedAttributesToPage();
                f.paginas = QPDFPageDocumentHelper(*f.qpdf).getAllPages();
                resolverDestinos(*f.qpdf, f.paginas);
                f.formulario = std::make_unique<QPDFAcroFormDocumentHelper>(*f.qpdf);
                it = fuentes.emplace(p.fuente, std::move(f)).first;
                r.fuentes.push_back(d.qpdf);
            }
            Fuente& f = it->second;
            if (p.indice < 0 || p.indice >= static_cast<std::int64_t>(f.paginas.size())) continue;
            auto original = f.paginas[static_cast<std::size_t>(p.indice)].getObjectHandle();
            // The first use is the page itself, so links into it land here; repeats are
            // copies of their own.
            QPDFObjectHandle aCopiar = original;
            if (!f.copiadas.insert(p.indice).second)
                aCopiar = f.paginas[static_cast<std::size_t>(p.indice)]
                              .shallowCopyPage()
                              .getObjectHandle();
            auto annots = aCopiar.getKey("/Annots");
            // Annotations are copied per page below, so each copy owns its own.
            aCopiar.removeKey("/Annots");
            q.addPage(aCopiar, false);
            if (!annots.isNull() && aCopiar.isSameObjectAs(original))
                original.replaceKey("/Annots", annots);
            auto nueva = q.getAllPages().back();
            int total =
                rotacionNormalizada(geometria(original).rotacion + rotacionNormalizada(p.rotacion));
            if (total == 0)
                nueva.removeKey("/Rotate");
            else
                nueva.replaceKey("/Rotate", QPDFObjectHandle::newInteger(total));
            nueva.removeKey("/StructParents"); // the structure tree stays behind
            copias.push_back({nueva, original, &f});
        }
        if (copias.empty()) return error("El PDF debe conservar al menos una página");

        QPDFAcroFormDocumentHelper formulario(q);
        for (auto& c : copias) {
            auto annots = c.original.getKey("/Annots");
            if (!annots.isArray() || annots.getArrayNItems() == 0) continue;
            formulario.fixCopiedAnnotations(c.nueva, c.original, *c.fuente->formulario);
            // Each copy's annotations belong to that copy, not to the first one.
            for (auto a : c.nueva.getKey("/Annots").aitems())
                if (a.isDictionary() && a.hasKey("/P")) a.replaceKey("/P", c.nueva);
        }
        // Form-wide defaults the copied fields rely on.
        auto acro = q.getRoot().getKey("/AcroForm");
        if (acro.isDictionary()) {
            for (auto& [ruta, f] : fuentes) {
                auto suyo = f.qpdf->getRoot().getKey("/AcroForm");
                if (!suyo.isDictionary()) continue;
                for (const char* k : {"/DA", "/DR", "/NeedAppearances", "/Q"}) {
                    auto v = suyo.getKey(k);
                    if (acro.hasKey(k) || v.isNull()) continue;
                    if (v.isScalar())
                        acro.replaceKey(k, QPDFObjectHandle::parse(v.unparse()));
                    else
                        acro.replaceKey(k, q.copyForeignObject(
                                               v.isIndirect() ? v : f.qpdf->makeIndirectObject(v)));
                }
            }
        }

        std::set<QPDFObjGen> enDocumento;
        auto todas = QPDFPageDocumentHelper(q).getAllPages();
        for (auto& ph : todas)
            enDocumento.insert(ph.getObjectHandle().getObjGen());
        for (auto& ph : todas) {
            auto oh = ph.getObjectHandle();
            auto annots = oh.getKey("/Annots");
            if (!annots.isArray()) continue;
            std::vector<QPDFObjectHandle> quedan;
            for (auto a : annots.aitems())
                if (!enlaceRoto(a, enDocumento)) quedan.push_back(a);
            if (quedan.size() != static_cast<std::size_t>(annots.getArrayNItems())) {
                if (quedan.empty())
                    oh.removeKey("/Annots");
                else
                    oh.replaceKey("/Annots", QPDFObjectHandle::newArray(quedan));
            }
        }
    } catch (const std::exception&) {
        // A source that breaks while its pages are read cannot be used.
        std::string nombre = nombreVisible(actual);
        return error("No se pudo abrir " + nombre);
    }
    return r;
}

Resultado<void> exportarPaginas(const std::vector<PaginaPDF>& paginas, const Ruta& destino) {
    auto e = ensamblarPDF(paginas);
    if (!e) return e.error();
    return escribirQPDF(*e->doc, nullptr, destino);
}

} // namespace Livora
