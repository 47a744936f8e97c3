#include "test_pdf_comun.h"

#include "motor/pdf.h"

#include <cstdlib>

#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>

using namespace Livora;
using namespace LivoraPrueba;

namespace {

bool qpdfCheck(const Ruta& r, const std::string& clave = "") {
    std::string orden = "qpdf --check ";
    if (!clave.empty()) orden += "--password='" + clave + "' ";
    return std::system((orden + "'" + r.string() + "' >/dev/null 2>&1").c_str()) == 0;
}

// Which quarter of the shown page holds the black mark: 0 top-left, 1 top-right,
// 2 bottom-left, 3 bottom-right.
int cuadranteOscuro(const Ruta& r, int pagina) {
    auto doc = abrirPoppler(r, std::nullopt);
    if (!doc) return -1;
    auto img = dibujarAjustada(*doc, pagina, 80, 80);
    if (!img) return -1;
    int w = img->width() / 2, h = img->height() / 2;
    int mejor = -1;
    double minimo = 256;
    for (int c = 0; c < 4; ++c) {
        double m = img->extract_area((c % 2) * w, (c / 2) * h, w, h).avg();
        if (m < minimo) minimo = m, mejor = c;
    }
    return mejor;
}

struct ImagenPagina {
    std::int64_t ancho = 0, alto = 0;
    bool dct = false;
    bool unicoContenido = false;
    int sof = -1; // the JPEG's frame marker: 0xC0 baseline, 0xC2 progressive
};

// Walks the JPEG's segments up to its frame header.
int marcaDeTrama(const std::string& j) {
    std::size_t i = 2;
    while (i + 4 <= j.size() && static_cast<unsigned char>(j[i]) == 0xFF) {
        const int m = static_cast<unsigned char>(j[i + 1]);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) return m;
        i += 2 + (static_cast<unsigned char>(j[i + 2]) << 8 | static_cast<unsigned char>(j[i + 3]));
    }
    return -1;
}
// The page's raster, when it is one JPEG image drawn over the whole page.
ImagenPagina imagenDe(QPDFObjectHandle pagina) {
    ImagenPagina r;
    auto xo = pagina.getKey("/Resources").getKey("/XObject");
    if (!xo.isDictionary() || xo.getKeys().size() != 1) return r;
    auto img = xo.getKey(*xo.getKeys().begin());
    auto d = img.getDict();
    r.ancho = d.getKey("/Width").getIntValue();
    r.alto = d.getKey("/Height").getIntValue();
    r.dct = d.getKey("/Filter").isNameAndEquals("/DCTDecode");
    if (r.dct) {
        auto datos = img.getRawStreamData();
        r.sof = marcaDeTrama(
            std::string(reinterpret_cast<const char*>(datos->getBuffer()), datos->getSize()));
    }
    r.unicoContenido = !pagina.hasKey("/Annots") && !pagina.getKey("/Resources").hasKey("/Font");
    return r;
}

const Variante& fila(const SalidaPDF& s, const std::string& sufijo) {
    for (const auto& v : s.variantes)
        if (v.sufijo == sufijo) return v;
    throw std::runtime_error("sin " + sufijo);
}

} // namespace

TEST(VariantesPDF, CuatroFilasEnOrdenEnUnaCarpetaConBase) {
    auto pags = a4(1);
    pags[0].enlazaA = 0;
    pags[0].web = true;
    Ruta src = crearPDF("una_a4.pdf", pags);
    auto r = variantesPDF(paginasDe(src), {});
    ASSERT_TRUE(r) << r.error().mensaje;
    ASSERT_EQ(r->variantes.size(), 4u);
    const char* sufijos[] = {"sin-perdida", "alta", "media", "baja"};
    const char* nombres[] = {"Sin pérdida", "Alta", "Media", "Baja"};
    const char* detalles[] = {"vectores y texto intactos", "300 dpi, para imprimir",
                              "150 dpi, para pantalla", "100 dpi, mínimo peso"};
    std::int64_t tamanos[][2] = {{0, 0}, {2479, 3508}, {1239, 1754}, {826, 1169}};
    Ruta carpeta = r->variantes[0].urlTemp.parent_path();
    EXPECT_TRUE(std::filesystem::exists(carpeta / "base.pdf"));
    for (int i = 0; i < 4; ++i) {
        const auto& v = r->variantes[i];
        EXPECT_EQ(v.sufijo, sufijos[i]);
        EXPECT_EQ(v.nombre, nombres[i]);
        EXPECT_EQ(v.detalle, detalles[i]);
        EXPECT_EQ(v.ext, "pdf");
        EXPECT_EQ(v.urlTemp, carpeta / (std::string(sufijos[i]) + ".pdf"));
        EXPECT_EQ(v.bytes, tamano(v.urlTemp));
        EXPECT_TRUE(v.preview);
        EXPECT_TRUE(qpdfCheck(v.urlTemp)) << v.sufijo;
        auto q = leer(v.urlTemp);
        auto p = paginasDeQPDF(*q);
        ASSERT_EQ(p.size(), 1u);
        if (i == 0) {
            EXPECT_EQ(cuentaAnotaciones(p[0], "/Link"), 2);
            continue;
        }
        auto im = imagenDe(p[0]);
        EXPECT_EQ(im.ancho, tamanos[i][0]) << v.sufijo;
        EXPECT_EQ(im.alto, tamanos[i][1]) << v.sufijo;
        EXPECT_TRUE(im.dct);
        // Baseline: some printers' PDF interpreters cannot decode progressive JPEG.
        EXPECT_EQ(im.sof, 0xC0) << v.sufijo;
        EXPECT_TRUE(im.unicoContenido);
    }
    // The raster rows shrink with the resolution.
    EXPECT_GT(r->variantes[1].bytes, r->variantes[2].bytes);
    EXPECT_GT(r->variantes[2].bytes, r->variantes[3].bytes);
    ASSERT_TRUE(r->preview);
    EXPECT_EQ(r->preview->width(), 892);
    EXPECT_EQ(r->preview->height(), 1263);
}

TEST(VariantesPDF, PaginasGiradasSalenApaisadasYDerechas) {
    auto pags = a4(4);
    pags[0].rotacion = 90;
    pags[1].rotacion = -90;
    pags[2].rotacion = 270;
    pags[3].rotacion = 180;
    Ruta src = crearPDF("giradas.pdf", pags);
    auto lista = paginasDe(src);
    lista[3].rotacion = 90; // 180 + 90 from the organiser
    lista.push_back(lista[0]);
    lista.back().rotacion = -90; // the first page again, upright this time
    auto r = variantesPDF(lista, {});
    ASSERT_TRUE(r) << r.error().mensaje;
    Ruta base = r->variantes[0].urlTemp.parent_path() / "base.pdf";
    for (const char* suf : {"sin-perdida", "baja"}) {
        const auto& v = fila(*r, suf);
        auto q = leer(v.urlTemp);
        auto p = paginasDeQPDF(*q);
        ASSERT_EQ(p.size(), 5u);
        EXPECT_NEAR(p[4].getKey("/MediaBox").getArrayAsRectangle().ury, 842, 0.01);
        EXPECT_EQ(cuadranteOscuro(v.urlTemp, 4), 0);
        EXPECT_EQ(cuadranteOscuro(v.urlTemp, 0), 1);
        for (int i = 0; i < 4; ++i) {
            auto m = p[i].getKey("/MediaBox").getArrayAsRectangle();
            EXPECT_EQ(rotacionDe(p[i]), 0);
            EXPECT_DOUBLE_EQ(m.llx, 0);
            EXPECT_DOUBLE_EQ(m.lly, 0);
            EXPECT_NEAR(m.urx, 842, 0.01) << suf << " " << i;
            EXPECT_NEAR(m.ury, 595, 0.01) << suf << " " << i;
            // The page looks as the rotated source page looked.
            EXPECT_EQ(cuadranteOscuro(v.urlTemp, i), cuadranteOscuro(base, i)) << suf << " " << i;
        }
        if (std::string(suf) == "baja") {
            EXPECT_EQ(imagenDe(p[0]).ancho, 1169);
            EXPECT_EQ(imagenDe(p[0]).alto, 826);
        }
    }
    EXPECT_EQ(cuadranteOscuro(base, 0), 1); // top-left turned a quarter clockwise
    EXPECT_EQ(cuadranteOscuro(base, 1), 2);
}

TEST(VariantesPDF, OrigenDesplazadoVuelveACero) {
    Ruta src = crearPDF("desplazada.pdf", a4(1));
    {
        auto q = leer(src);
        auto p = paginasDeQPDF(*q);
        p[0].replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle({100, 50, 695, 892}));
        p[0].replaceKey("/Contents",
                        QPDFObjectHandle::newStream(q.get(), "0 g 100 692 148 200 re f\n"));
        p[0].replaceKey("/Annots", QPDFObjectHandle::parse(
                                       "[<< /Type /Annot /Subtype /Link /Rect [110 60 200 90] "
                                       "/A << /S /URI /URI (https://example.org/) >> >>]"));
        const Ruta destino = carpetaPrueba() / "desplazada2.pdf"; // qpdf keeps the pointer
        QPDFWriter w(*q, destino.c_str());
        w.write();
    }
    Ruta movida = carpetaPrueba() / "desplazada2.pdf";
    auto r = variantesPDF(paginasDe(movida), {});
    ASSERT_TRUE(r);
    for (const auto& v : r->variantes) {
        auto q = leer(v.urlTemp);
        auto p = paginasDeQPDF(*q);
        auto m = p[0].getKey("/MediaBox").getArrayAsRectangle();
        EXPECT_DOUBLE_EQ(m.llx, 0) << v.sufijo;
        EXPECT_DOUBLE_EQ(m.lly, 0) << v.sufijo;
        EXPECT_EQ(cuadranteOscuro(v.urlTemp, 0), 0) << v.sufijo;
    }
    auto q = leer(fila(*r, "sin-perdida").urlTemp);
    auto a = paginasDeQPDF(*q)[0].getKey("/Annots").getArrayItem(0).getKey("/Rect");
    EXPECT_NEAR(a.getArrayAsRectangle().llx, 10, 0.01);
    EXPECT_NEAR(a.getArrayAsRectangle().lly, 10, 0.01);
}

TEST(VariantesPDF, PaginaDiminutaQuedaEnVectoresDentroDelRaster) {
    auto pags = a4(2);
    pags[1].ancho = 0.5;
    pags[1].alto = 0.5;
    pags[1].marca = false;
    Ruta src = crearPDF("diminuta.pdf", pags);
    auto r = variantesPDF(paginasDe(src), {});
    ASSERT_TRUE(r) << r.error().mensaje;
    auto q = leer(fila(*r, "baja").urlTemp);
    auto p = paginasDeQPDF(*q);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_TRUE(imagenDe(p[0]).dct);
    EXPECT_FALSE(imagenDe(p[1]).dct);
    EXPECT_TRUE(p[1].getKey("/Resources").hasKey("/Font"));
}

// Every page is drawn once at the highest resolution and brought down for the others: each
// output keeps the size a direct drawing at its own resolution has, and looks like it. A
// page over 100 MP at 300 dpi stays vectors there but is still drawn for 150 and 100 dpi.
TEST(VariantesPDF, PaginasRasterDeUnSoloDibujoConElTamanoDeSuResolucion) {
    auto pags = a4(3);
    pags[1].ancho = 612.3; // 300 → 2551 px, not twice 150's 1275
    pags[1].alto = 791.7;
    pags[2].ancho = 2500; // 10416² px at 300 dpi
    pags[2].alto = 2500;
    Ruta src = crearPDF("tamanos.pdf", pags);
    const double dpis[] = {300, 150, 100};
    std::vector<SalidaRaster> salidas;
    for (double d : dpis)
        salidas.push_back(
            {d, 1.0, carpetaPrueba() / ("tamanos-" + std::to_string(int(d)) + ".pdf")});
    ASSERT_TRUE(escribirPDFRaster(src, salidas, {}));

    auto directo = abrirPoppler(src, std::nullopt);
    ASSERT_TRUE(directo);
    for (std::size_t k = 0; k < salidas.size(); ++k) {
        auto q = leer(salidas[k].salida);
        auto p = paginasDeQPDF(*q);
        ASSERT_EQ(p.size(), pags.size());
        for (std::size_t i = 0; i < pags.size(); ++i) {
            SCOPED_TRACE(std::to_string(int(dpis[k])) + " dpi, página " + std::to_string(i));
            auto im = imagenDe(p[i]);
            if (i == 2 && k == 0) {
                EXPECT_FALSE(im.dct);
                EXPECT_TRUE(p[i].getKey("/Resources").hasKey("/Font"));
                continue;
            }
            const auto w = static_cast<std::int64_t>(pags[i].ancho * dpis[k] / 72);
            const auto h = static_cast<std::int64_t>(pags[i].alto * dpis[k] / 72);
            ASSERT_TRUE(im.dct);
            EXPECT_EQ(im.ancho, w);
            EXPECT_EQ(im.alto, h);
            if (i == 2) continue; // the poster is too large to compare quickly
            auto datos =
                p[i].getKey("/Resources").getKey("/XObject").getKey("/Im0").getRawStreamData();
            Imagen salida = Imagen::new_from_buffer(datos->getBuffer(), datos->getSize(), "");
            GeometriaPagina g;
            g.x1 = g.cx1 = pags[i].ancho;
            g.y1 = g.cy1 = pags[i].alto;
            auto ref = dibujarPagina(*directo, static_cast<int>(i), g, dpis[k], w, h);
            ASSERT_TRUE(ref);
            EXPECT_LT((salida.cast(VIPS_FORMAT_FLOAT) - ref->cast(VIPS_FORMAT_FLOAT)).abs().avg(),
                      1.5);
        }
    }
}

TEST(VariantesPDF, ProteccionYPropiedades) {
    Ruta src = crearPDF("propiedades.pdf", a4(1));
    OpcionesPDF o;
    o.proteger = true; // without a password protection is not in effect
    auto sin = variantesPDF(paginasDe(src), o);
    ASSERT_TRUE(sin);
    auto q = leer(sin->variantes[0].urlTemp);
    EXPECT_FALSE(q->isEncrypted());
    auto info = q->getTrailer().getKey("/Info");
    EXPECT_EQ(info.getKey("/Creator").getUTF8Value(), "Livora");
    EXPECT_FALSE(info.hasKey("/Title"));
    EXPECT_FALSE(info.hasKey("/Author"));

    o.contrasena = "clave ñ";
    o.titulo = "Informe anual de Ñandú";
    o.autor = "José Pérez";
    auto r = variantesPDF(paginasDe(src), o);
    ASSERT_TRUE(r) << r.error().mensaje;
    for (const auto& v : r->variantes) {
        SCOPED_TRACE(v.sufijo);
        EXPECT_EQ(estadoPDF(v.urlTemp), AperturaPDF::Bloqueado);
        EXPECT_FALSE(abrePDF(v.urlTemp, std::string("otra")));
        EXPECT_TRUE(abrePDF(v.urlTemp, o.contrasena));
        EXPECT_TRUE(v.preview);
        auto q = leer(v.urlTemp, bytesContrasena(o.contrasena));
        EXPECT_TRUE(q->isEncrypted());
        auto info = q->getTrailer().getKey("/Info");
        EXPECT_EQ(info.getKey("/Creator").getUTF8Value(), "Livora");
        EXPECT_EQ(info.getKey("/Title").getUTF8Value(), o.titulo);
        EXPECT_EQ(info.getKey("/Author").getUTF8Value(), o.autor);
        auto d = desbloquear(v.urlTemp, o.contrasena);
        ASSERT_TRUE(d);
        EXPECT_EQ(estadoPDF(*d), AperturaPDF::Abierto);
    }
    EXPECT_TRUE(qpdfCheck(r->variantes[1].urlTemp, "clave ñ"));
}

TEST(VariantesPDF, VectorialConservaEnlacesYNoCrece) {
    auto pags = a4(6);
    for (int i = 0; i < 6; ++i)
        pags[i].enlazaA = (i + 1) % 6;
    pags[2].campo = true;
    pags[3].rotacion = 90;
    Ruta src = crearPDF("enlazado.pdf", pags);
    auto r = variantesPDF(paginasDe(src), {});
    ASSERT_TRUE(r);
    const auto& v = fila(*r, "sin-perdida");
    EXPECT_LE(v.bytes, tamano(src) + 4096);
    auto q = leer(v.urlTemp);
    auto p = paginasDeQPDF(*q);
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(cuentaAnotaciones(p[i], "/Link"), 1);
        auto destino = p[i].getKey("/Annots").getArrayItem(0).getKey("/Dest").getArrayItem(0);
        EXPECT_TRUE(destino.isSameObjectAs(p[(i + 1) % 6])) << i;
    }
    EXPECT_EQ(cuentaAnotaciones(p[2], "/Widget"), 1);
    EXPECT_TRUE(qpdfCheck(v.urlTemp));
}

TEST(VariantesPDF, ErroresDeEnsamblado) {
    auto r = variantesPDF({}, {});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().mensaje, "El PDF debe conservar al menos una página");
    auto e = escribirPDF(carpetaPrueba() / "no-existe.pdf", std::nullopt, 1, {},
                         carpetaPrueba() / "x.pdf");
    EXPECT_FALSE(e);
}

TEST(RenderPDF, PrimeraPaginaGiradaAUnoComoCinco) {
    auto pags = a4(1);
    pags[0].rotacion = 90;
    Ruta src = crearPDF("preview.pdf", pags);
    auto img = renderPDF(src);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width(), 1263);
    EXPECT_EQ(img->height(), 892);
    EXPECT_FALSE(renderPDF(carpetaPrueba() / "nada.pdf"));
}
