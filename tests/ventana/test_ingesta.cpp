// Intake through every door: classification, duplicates, job order, the busy counter,
// failures and the password loop.
#include "main/tipos_ventana.h"
#include "motor/tipos.h"
#include "soporte.h"

#include <QMimeDatabase>
#include <atomic>

using namespace Livora;
using namespace prueba;

namespace {

class Ingesta : public ConVentana {};

TEST_F(Ingesta, UnaFotoRealAbreSuRegistroActivoConSalidas) {
    crear();
    const Ruta foto = tmp.copiar(datos("foto_exif.jpg"), "foto.jpg");
    vista->procesar(foto);
    EXPECT_TRUE(e().procesando);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 1u);
    const ArchivoEstado& a = e().archivos[0];
    EXPECT_EQ(e().archivoActivoID, a.id);
    EXPECT_TRUE(a.esImagen);
    EXPECT_FALSE(a.variantes.empty());
    EXPECT_NE(e().varianteActiva(), nullptr);
    EXPECT_FALSE(e().procesando);
    EXPECT_EQ(e().mensaje, "");
}

TEST_F(Ingesta, ExtensionEnMayusculasEsImagen) {
    crear();
    const Ruta foto = tmp.copiar(datos("solo_gps.png"), "CAPTURA.PNG");
    vista->procesar(foto);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 1u);
    EXPECT_TRUE(e().archivos[0].esImagen);
}

TEST_F(Ingesta, JpegCorruptoDaSuAvisoYNingunRegistro) {
    crear();
    const Ruta malo = tmp.escribir("roto.jpg", std::string("\xFF\xD8\xFF\xE0 basura", 12));
    vista->procesar(malo);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_EQ(e().mensaje, "❌ roto.jpg: No se pudo abrir la imagen");
    EXPECT_FALSE(e().procesando);
}

TEST_F(Ingesta, ExtensionDesconocidaVaPorElCaminoPDFYAcabaEnAviso) {
    crear();
    const Ruta raro = tmp.escribir("notas.xyz", "no es nada");
    vista->procesar(raro);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_EQ(e().mensaje.rfind("❌ notas.xyz: ", 0), 0u) << e().mensaje;
    EXPECT_FALSE(e().procesando);
}

TEST_F(Ingesta, ArchivoYaAbiertoSeActivaSinBorrarElAviso) {
    crear();
    const Ruta a = tmp.copiar(datos("foto_exif.jpg"), "a.jpg");
    const Ruta b = tmp.copiar(datos("solo_gps.png"), "b.png");
    vista->procesar(a);
    ASSERT_TRUE(esperarTrabajos(*vista));
    vista->procesar(b);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 2u);
    vista->avisar("hola");
    vista->procesar(a);
    EXPECT_EQ(e().archivos.size(), 2u);
    EXPECT_EQ(e().archivoActivoID, e().archivos[0].id);
    EXPECT_EQ(e().mensaje, "hola");
    EXPECT_EQ(vista->trabajosEnCurso(), 0);
}

// Controls when each fake image job finishes.
struct IngestaControlada {
    std::map<std::string, std::shared_ptr<Puerta>> puertas;
    std::shared_ptr<std::atomic<int>> llamadas = std::make_shared<std::atomic<int>>(0);

    MotorVentana motor(const Ruta& carpeta) {
        MotorVentana m = MotorVentana::real();
        auto p = puertas;
        auto n = llamadas;
        m.ingestaImagen = [p, n, carpeta](const Ruta& url, const AjustesImagen&) {
            ++*n;
            if (auto it = p.find(url.filename().string()); it != p.end()) it->second->esperar();
            return Resultado<ArchivoEstado>(registroFalso(url, carpeta, 100, {{"alta", 50}}));
        };
        return m;
    }
};

TEST_F(Ingesta, RegistrosEnOrdenDeTerminacionYProcesandoHastaElUltimo) {
    IngestaControlada c;
    c.puertas["lento.jpg"] = std::make_shared<Puerta>();
    c.puertas["rapido.jpg"] = std::make_shared<Puerta>();
    crear(c.motor(tmp.ruta()));
    vista->procesar(tmp.ruta() / "lento.jpg");
    vista->procesar(tmp.ruta() / "rapido.jpg");
    EXPECT_EQ(vista->trabajosEnCurso(), 2);
    c.puertas["rapido.jpg"]->abrir();
    ASSERT_TRUE(QTest::qWaitFor([&] { return e().archivos.size() == 1; }, 60000));
    // One job is still running: the busy flag must stay on.
    EXPECT_TRUE(e().procesando);
    EXPECT_EQ(e().archivos[0].url.filename(), "rapido.jpg");
    c.puertas["lento.jpg"]->abrir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(e().archivos.size(), 2u);
    EXPECT_EQ(e().archivos[1].url.filename(), "lento.jpg");
    EXPECT_EQ(e().archivoActivoID, e().archivos[1].id);
    EXPECT_FALSE(e().procesando);
}

TEST_F(Ingesta, ArchivoEnCursoNoSeEmpiezaDosVeces) {
    IngestaControlada c;
    c.puertas["foto.jpg"] = std::make_shared<Puerta>();
    crear(c.motor(tmp.ruta()));
    vista->procesar(tmp.ruta() / "foto.jpg");
    vista->procesar(tmp.ruta() / "foto.jpg");
    EXPECT_EQ(vista->trabajosEnCurso(), 1);
    c.puertas["foto.jpg"]->abrir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(c.llamadas->load(), 1);
    EXPECT_EQ(e().archivos.size(), 1u);
}

TEST_F(Ingesta, VolverAlInicioNoApagaElProgresoDeUnTrabajoEnCurso) {
    IngestaControlada c;
    c.puertas["foto.jpg"] = std::make_shared<Puerta>();
    crear(c.motor(tmp.ruta()));
    vista->procesar(tmp.ruta() / "foto.jpg");
    vista->volverInicio();
    EXPECT_TRUE(e().procesando);
    c.puertas["foto.jpg"]->abrir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    // Jobs are never cancelled: the record still arrives.
    EXPECT_EQ(e().archivos.size(), 1u);
    EXPECT_FALSE(e().procesando);
}

TEST_F(Ingesta, PuertasSoltarYPanelLleganAProcesar) {
    IngestaControlada c;
    crear(c.motor(tmp.ruta()));
    vista->recibir({QUrl::fromLocalFile(QString::fromStdString((tmp.ruta() / "a.jpg").string())),
                    QUrl("https://example.invalid/x.jpg")});
    dialogos.archivos = {tmp.ruta() / "b.jpg", tmp.ruta() / "c.jpg"};
    vista->elegirArchivos();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().archivos.size(), 3u);
    EXPECT_EQ(c.llamadas->load(), 3);
}

// A locked PDF behind a fake engine: "buena" opens it.
MotorVentana motorBloqueado(const Ruta& carpeta, std::shared_ptr<std::vector<Ruta>> fuentes) {
    MotorVentana m = MotorVentana::real();
    m.estadoPDF = [](const Ruta&) { return MotorVentana::AperturaPDF::Bloqueado; };
    m.desbloquear = [carpeta](const Ruta&, const std::string& pw) -> Resultado<Ruta> {
        if (pw != "buena") return error("Contraseña incorrecta");
        return carpeta / "desbloqueado.pdf";
    };
    m.ingestaPDF = [carpeta, fuentes](const Ruta& url, const Ruta& fuente, bool,
                                      std::optional<std::int64_t>, const ControlTrabajo&) {
        fuentes->push_back(fuente);
        ArchivoEstado a = registroFalso(url, carpeta, 1000, {{"vector", 900}}, false);
        a.fuentePDF = fuente;
        return Resultado<ArchivoEstado>(a);
    };
    return m;
}

TEST_F(Ingesta, TresContrasenasMalasYLaBuenaAbrenElPDF) {
    auto fuentes = std::make_shared<std::vector<Ruta>>();
    crear(motorBloqueado(tmp.ruta(), fuentes));
    dialogos.contrasenas = {"a", "b", "c", "buena"};
    const Ruta pdf = tmp.ruta() / "secreto.pdf";
    vista->procesar(pdf);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(dialogos.informativos.size(), 4u);
    EXPECT_EQ(dialogos.titulos[0], "«secreto.pdf» está protegido");
    EXPECT_EQ(dialogos.informativos[0], "Introduce la contraseña para abrirlo.");
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(dialogos.informativos[i], "Contraseña incorrecta. Inténtalo de nuevo.");
    ASSERT_EQ(e().archivos.size(), 1u);
    EXPECT_EQ(e().archivos[0].url, pdf);
    EXPECT_EQ(e().archivos[0].fuentePDF, tmp.ruta() / "desbloqueado.pdf");
}

TEST_F(Ingesta, CancelarLaContrasenaDejaLaVentanaIgual) {
    auto fuentes = std::make_shared<std::vector<Ruta>>();
    crear(motorBloqueado(tmp.ruta(), fuentes));
    vista->avisar("antes");
    dialogos.contrasenas = {"mala"}; // then the script runs out: "Cancelar"
    vista->procesar(tmp.ruta() / "secreto.pdf");
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_TRUE(fuentes->empty());
    EXPECT_FALSE(e().procesando);
    EXPECT_EQ(e().mensaje, "antes");
    EXPECT_EQ(dialogos.informativos.size(), 2u);
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
