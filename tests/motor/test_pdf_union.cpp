#include "comun.h"
#include "test_pdf_comun.h"

#include "motor/ingesta_pdf.h"
#include "motor/pdf.h"

#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace Livora;
using namespace LivoraPrueba;

namespace {

Ruta dato(const std::string& nombre) {
    return Ruta(LIVORA_DATOS_TEST) / nombre;
}

QPDFObjectHandle::Rectangle cajaUnica(const Ruta& pdf, std::shared_ptr<QPDF>& q) {
    q = leer(pdf);
    auto p = paginasDeQPDF(*q);
    EXPECT_EQ(p.size(), 1u);
    return p[0].getKey("/MediaBox").getArrayAsRectangle();
}

QPDFObjectHandle imagenUnica(QPDF& q) {
    auto xo = paginasDeQPDF(q)[0].getKey("/Resources").getKey("/XObject");
    return xo.getKey(*xo.getKeys().begin());
}

using Livora::Pruebas::ejecutarCli;

std::string q(const Ruta& r) {
    return "'" + r.string() + "'";
}

} // namespace

TEST(PdfDesdeImagen, JpegDerechoEntraSinTocar) {
    auto r = pdfDesdeImagen(dato("foto_exif.jpg"));
    ASSERT_TRUE(r) << r.error().mensaje;
    EXPECT_EQ(r->filename(), "foto_exif.pdf");
    std::shared_ptr<QPDF> doc;
    auto m = cajaUnica(*r, doc);
    EXPECT_DOUBLE_EQ(m.urx, 480); // 72 dpi: one pixel per point
    EXPECT_DOUBLE_EQ(m.ury, 320);
    auto img = imagenUnica(*doc);
    EXPECT_TRUE(img.getDict().getKey("/Filter").isNameAndEquals("/DCTDecode"));
    EXPECT_EQ(img.getRawStreamData()->getSize(), std::filesystem::file_size(dato("foto_exif.jpg")));
}

// Turned photos, transparency and JPEG resolutions at camera sizes: tests/corpus.
TEST(PdfDesdeImagen, ResolucionDeUnPNG) {
    // 300 dpi: 600 pixels are two inches, 144 points.
    Ruta png = carpetaPrueba() / "tres_cientos.png";
    Imagen::black(600, 300, Imagen::option()->set("bands", 3))
        .copy(Imagen::option()->set("xres", 300 / 25.4)->set("yres", 300 / 25.4))
        .write_to_file(png.c_str());
    auto p = pdfDesdeImagen(png);
    ASSERT_TRUE(p);
    std::shared_ptr<QPDF> doc;
    auto m = cajaUnica(*p, doc);
    EXPECT_NEAR(m.urx, 144, 0.01);
    EXPECT_NEAR(m.ury, 72, 0.01);
}

TEST(PdfDesdeImagen, IlegibleDaSuNombre) {
    Ruta malo = carpetaPrueba() / "roto.jpg";
    std::ofstream(malo) << "no es una imagen";
    auto r = pdfDesdeImagen(malo);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().mensaje, "No se pudo leer roto.jpg");
}

TEST(Union, EntradasSegunElRegistro) {
    ArchivoEstado img;
    img.url = "/fotos/playa.jpg";
    img.bytesOriginal = 1000;
    Variante v40, v60;
    v40.urlTemp = "/tmp/x/baja.jpg";
    v60.urlTemp = "/tmp/x/media.jpg";
    img.variantes = {v60, v40};
    img.seleccionada = v40.id;
    ArchivoEstado pdf;
    pdf.url = "/docs/informe.pdf";
    pdf.esImagen = false;
    pdf.bytesOriginal = 5000;
    pdf.paginas = refs("/docs/informe.pdf", {1, 0}, {90, 0});
    ArchivoEstado sinElegir = img;
    sinElegir.seleccionada.reset();
    auto e = entradasUnion({img, pdf, sinElegir});
    ASSERT_EQ(e.size(), 3u);
    EXPECT_TRUE(e[0].esImagen);
    EXPECT_EQ(e[0].contenido, Ruta("/tmp/x/baja.jpg"));
    EXPECT_EQ(e[0].nombre, "playa.jpg");
    EXPECT_EQ(e[0].bytes, 1000);
    EXPECT_FALSE(e[1].esImagen);
    EXPECT_EQ(e[1].paginas, pdf.paginas);
    EXPECT_EQ(e[2].contenido, Ruta("/fotos/playa.jpg"));
}

TEST(Union, OrdenRotacionesOmitidosYTamanoSumado) {
    Ruta a = crearPDF("uno.pdf", a4(2));
    auto b4 = a4(1);
    b4[0].ancho = 300;
    Ruta b = crearPDF("otro.pdf", b4);
    std::vector<EntradaUnion> e{
        {false, refs(a, {1, 0}, {90, 0}), a, "uno.pdf", 100},
        {false, {}, carpetaPrueba() / "ilegible.pdf", "ilegible.pdf", 7},
        {true, {}, dato("foto_exif.jpg"), "foto_exif.jpg", 20},
        {true, {}, carpetaPrueba() / "falta.png", "falta.png", 3},
        {false, paginasDe(b), b, "otro.pdf", 50},
    };
    auto r = unirArchivos(e);
    ASSERT_TRUE(r) << r.error().mensaje;
    EXPECT_EQ(r->combinado.filename(), "Combinado.pdf");
    EXPECT_EQ(r->bytesOriginal, 180);
    EXPECT_EQ(r->omitidos, (std::vector<std::string>{"ilegible.pdf", "falta.png"}));
    EXPECT_EQ(avisoOmitidos(r->omitidos), "⚠️ No se pudo unir: ilegible.pdf, falta.png");
    auto doc = leer(r->combinado);
    auto p = paginasDeQPDF(*doc);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(rotacionDe(p[0]), 90);
    EXPECT_EQ(p[2].getKey("/MediaBox").getArrayItem(2).getNumericValue(), 480);
    EXPECT_EQ(p[3].getKey("/MediaBox").getArrayItem(2).getNumericValue(), 300);
    EXPECT_EQ(avisoOmitidos({}), "");
}

TEST(Union, NadaQueUnirEsError) {
    std::vector<EntradaUnion> e{{false, {}, "/x/a.pdf", "a.pdf", 1},
                                {true, {}, carpetaPrueba() / "falta.png", "falta.png", 1}};
    auto r = unirArchivos(e);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().mensaje, "El PDF debe conservar al menos una página");
}

TEST(IngestaPDF, RegistroCompleto) {
    auto pags = a4(3);
    pags[1].rotacion = 90;
    Ruta r = crearPDF("ingesta.pdf", pags);
    auto a = ingestaPDF(r, r, false, std::nullopt);
    ASSERT_TRUE(a) << a.error().mensaje;
    EXPECT_FALSE(a->esImagen);
    EXPECT_EQ(a->bytesOriginal, tamano(r));
    EXPECT_EQ(a->fuentePDF, r);
    EXPECT_EQ(a->paginas.size(), 3u);
    EXPECT_EQ(a->paginasIniciales, 3);
    EXPECT_FALSE(a->paginasEditadas());
    EXPECT_EQ(a->miniaturas.size(), 3u);
    EXPECT_TRUE(a->previewAntes);
    ASSERT_EQ(a->variantes.size(), 4u);
    ASSERT_TRUE(a->seleccionada);
    EXPECT_EQ(*a->seleccionada, seleccionInicial(a->variantes, a->bytesOriginal));

    auto c = ingestaPDF(r, r, true, 123456);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->esCombinado);
    EXPECT_EQ(c->bytesOriginal, 123456);
}

TEST(CliPDF, JsonContrasenasYOpciones) {
    Ruta normal = crearPDF("cli.pdf", a4(2));
    auto s = ejecutarCli("--json " + q(normal));
    ASSERT_EQ(s.estado, 0) << s.texto;
    auto j = nlohmann::json::parse(s.texto);
    EXPECT_EQ(j["paginas"], 2);
    EXPECT_EQ(j["paginasIniciales"], 2);
    EXPECT_EQ(j["variantes"].size(), 4u);
    EXPECT_FALSE(j["seleccionada"].is_null());

    Ruta prot = crearPDF("cli_protegido.pdf", a4(1), Cifrado{"abre", "jefe"});
    auto sin = ejecutarCli(q(prot));
    EXPECT_EQ(sin.estado, 3);
    EXPECT_NE(sin.texto.find("«cli_protegido.pdf» está protegido"), std::string::npos) << sin.texto;
    auto mala = ejecutarCli("--contrasena nada " + q(prot));
    EXPECT_EQ(mala.estado, 3);
    EXPECT_NE(mala.texto.find("Contraseña incorrecta"), std::string::npos);
    auto buena = ejecutarCli("--json --contrasena abre --proteger nueva --titulo 'Año' " + q(prot));
    ASSERT_EQ(buena.estado, 0) << buena.texto;
    auto jb = nlohmann::json::parse(buena.texto);
    EXPECT_EQ(jb["url"], prot.string());
    for (auto& v : jb["variantes"]) {
        Ruta salida = v["urlTemp"].get<std::string>();
        EXPECT_EQ(estadoPDF(salida), AperturaPDF::Bloqueado);
        EXPECT_TRUE(abrePDF(salida, std::string("nueva")));
    }

    Ruta texto = carpetaPrueba() / "falso.pdf";
    std::ofstream(texto) << "texto";
    auto f = ejecutarCli(q(texto));
    EXPECT_EQ(f.estado, 1);
    EXPECT_NE(f.texto.find("❌ falso.pdf: No se pudo abrir falso.pdf"), std::string::npos);
}

TEST(CliPDF, UnirEscribeLaSalidaYAvisaDeLosOmitidos) {
    Ruta a = crearPDF("unir_a.pdf", a4(2));
    Ruta roto = carpetaPrueba() / "roto_unir.pdf";
    std::ofstream(roto) << "nada";
    Ruta salida = carpetaPrueba() / "unido.pdf";
    auto s = ejecutarCli("--unir " + q(salida) + " " + q(a) + " " + q(dato("foto_exif.jpg")) + " " +
                         q(roto));
    EXPECT_EQ(s.estado, 1) << s.texto;
    EXPECT_NE(s.texto.find("⚠️ No se pudo unir: roto_unir.pdf"), std::string::npos) << s.texto;
    EXPECT_EQ(paginasDe(salida).size(), 3u);
    auto ok = ejecutarCli("--json --unir " + q(salida) + " " + q(a) + " " + q(a));
    ASSERT_EQ(ok.estado, 0) << ok.texto;
    auto j = nlohmann::json::parse(ok.texto);
    EXPECT_EQ(j["esCombinado"], true);
    EXPECT_EQ(j["bytesOriginal"], 2 * tamano(a));
    EXPECT_EQ(paginasDe(salida).size(), 4u);
}
