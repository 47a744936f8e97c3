// Intake through every door: classification, duplicates, job order, the busy counter and
// failures. The password loop runs on real protected PDFs (test_pdf_real.cpp).
#include "main/tipos_ventana.h"
#include "motor/tipos.h"
#include "soporte.h"

#include <QMimeDatabase>

using namespace Livora;
using namespace prueba;

namespace {

class Ingesta : public ConVentana {};

TEST_F(Ingesta, LoQueElMotorRealNoAbreAcabaEnAvisoYLaMayusculaEsImagen) {
    crear();
    struct Caso {
        std::string nombre, contenido; // empty content: a copy of solo_gps.png
        std::string aviso;             // start of the notice; empty: the file opens
    };
    const Caso casos[] = {
        {"CAPTURA.PNG", "", ""},
        {"roto.jpg", std::string("\xFF\xD8\xFF\xE0 basura", 12),
         "❌ roto.jpg: No se pudo abrir la imagen"},
        // An unknown extension takes the PDF road.
        {"notas.xyz", "no es nada", "❌ notas.xyz: "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        vista->volverInicio();
        if (c.contenido.empty())
            tmp.copiar(datos("solo_gps.png"), c.nombre);
        else
            tmp.escribir(c.nombre, c.contenido);
        abrir(c.nombre);
        EXPECT_FALSE(e().procesando);
        EXPECT_EQ(e().mensaje.rfind(c.aviso, 0), 0u) << e().mensaje;
        if (c.aviso.empty()) {
            ASSERT_EQ(e().archivos.size(), 1u);
            EXPECT_TRUE(e().archivos[0].esImagen);
        } else {
            EXPECT_TRUE(e().archivos.empty());
        }
    }
}

TEST_F(Ingesta, RegistrosEnOrdenDeTerminacionYProcesandoHastaElUltimoAunTrasVolverAlInicio) {
    IngestaContada c;
    c.cerrar("lento.jpg");
    c.cerrar("rapido.jpg");
    crear(c.motor(tmp.ruta()));
    vista->procesar(tmp.ruta() / "lento.jpg");
    vista->procesar(tmp.ruta() / "rapido.jpg");
    EXPECT_EQ(vista->trabajosEnCurso(), 2);
    c.abrir("rapido.jpg");
    ASSERT_TRUE(QTest::qWaitFor([&] { return e().archivos.size() == 1; }, 60000));
    EXPECT_EQ(e().archivos[0].url.filename(), "rapido.jpg");
    EXPECT_EQ(e().archivoActivoID, e().archivos[0].id);
    // One job is still running: the busy flag stays on, even on the start screen.
    EXPECT_TRUE(e().procesando);
    vista->volverInicio();
    EXPECT_TRUE(e().procesando);
    c.abrir("lento.jpg");
    ASSERT_TRUE(esperarTrabajos(*vista));
    // Jobs are never cancelled: the record still arrives, and becomes active.
    ASSERT_EQ(e().archivos.size(), 1u);
    EXPECT_EQ(e().archivos[0].url.filename(), "lento.jpg");
    EXPECT_EQ(e().archivoActivoID, e().archivos[0].id);
    EXPECT_FALSE(e().procesando);
}

TEST_F(Ingesta, UnArchivoEnCursoOYaAbiertoNoSeEmpiezaDosVeces) {
    IngestaContada c;
    c.cerrar("a.jpg");
    crear(c.motor(tmp.ruta()));
    vista->procesar(tmp.ruta() / "a.jpg");
    vista->procesar(tmp.ruta() / "a.jpg");
    EXPECT_EQ(vista->trabajosEnCurso(), 1);
    c.abrir("a.jpg");
    ASSERT_TRUE(esperarTrabajos(*vista));
    abrir("b.jpg");
    ASSERT_EQ(e().archivos.size(), 2u);
    // An open file is made active again, without touching the notice.
    vista->avisar("hola");
    vista->procesar(tmp.ruta() / "a.jpg");
    EXPECT_EQ(vista->trabajosEnCurso(), 0);
    EXPECT_EQ(e().archivos.size(), 2u);
    EXPECT_EQ(e().archivoActivoID, e().archivos[0].id);
    EXPECT_EQ(e().mensaje, "hola");
    EXPECT_EQ(c.llamadas->load(), 2);
}

TEST_F(Ingesta, PuertasSoltarYPanelLleganAProcesar) {
    IngestaContada c;
    crear(c.motor(tmp.ruta()));
    vista->recibir({QUrl::fromLocalFile(QString::fromStdString((tmp.ruta() / "a.jpg").string())),
                    QUrl("https://example.invalid/x.jpg")});
    dialogos.archivos = {tmp.ruta() / "b.jpg", tmp.ruta() / "c.jpg"};
    vista->elegirArchivos();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().archivos.size(), 3u);
    EXPECT_EQ(c.llamadas->load(), 3);
}

// The engine's Qt-free table and the desktop's MIME database agree in both cases, and
// every type the open panel offers is an image to both, under the MIME type the .desktop
// file lists for it.
TEST(Clasificacion, TablaDelMotorYBaseMIMECoinciden) {
    std::vector<std::string> extensiones = extensionesImagen();
    for (const char* otra : {"pdf", "txt", "docx", "zip", "xyz", "mp4", "jfif", "pam", "qoi"})
        extensiones.push_back(otra);
    for (const auto& ext : extensiones)
        for (const auto& e : {QString::fromStdString(ext), QString::fromStdString(ext).toUpper()}) {
            const Ruta r = Ruta("archivo.") += e.toStdString();
            EXPECT_EQ(esImagenPorTipo(r), esExtensionImagen(e.toStdString())) << r;
        }
    EXPECT_FALSE(esImagenPorTipo("sin_extension"));
    const QMimeDatabase db;
    for (const auto& t : tiposLegibles())
        for (const auto& ext : t.extensiones) {
            const QMimeType m = db.mimeTypeForFile(QString::fromStdString("archivo." + ext),
                                                   QMimeDatabase::MatchExtension);
            EXPECT_EQ(m.name().toStdString(), t.mime) << ext;
            EXPECT_TRUE(esExtensionImagen(ext)) << ext;
        }
}

} // namespace
