// Folders through the window: the folder's order whatever order the jobs end in,
// duplicates, the question before a large folder, the bounded queue, dropping what waits,
// and the texts that tell same-named files apart.
#include "main/textos.h"
#include "soporte.h"

using namespace Livora;
using namespace prueba;

namespace {

class Carpetas : public ConVentana {
protected:
    CarpetaTemporal otra; // for the outputs, away from the folders dropped
    IngestaContada ingesta;

    Ruta arbol(const std::string& raiz, const std::vector<std::string>& nombres) {
        for (const auto& n : nombres) {
            std::filesystem::create_directories((tmp.ruta() / raiz / n).parent_path());
            tmp.escribir(raiz + "/" + n, "x");
        }
        return tmp.ruta() / raiz;
    }
    std::vector<std::string> lista() const {
        std::vector<std::string> r;
        for (const auto& a : e().archivos)
            r.push_back(a.url.lexically_relative(tmp.ruta()).string());
        return r;
    }
    void esperar(const std::function<bool()>& cond) { ASSERT_TRUE(QTest::qWaitFor(cond, 60000)); }
};

TEST_F(Carpetas, OrdenDeLaCarpetaSinDuplicadosYSoloLaPrimeraSeActiva) {
    const Ruta raiz =
        arbol("Vacaciones", {"IMG_10.jpg", "IMG_2.jpg", "Día 1/IMG_1.jpg", "Día 2/IMG_1.jpg",
                             "informe.pdf", "notas.txt", ".oculta/x.jpg"});
    ingesta.cerrar("IMG_2.jpg");
    crear(ingesta.motor(otra.ruta()));
    abrirRuta(raiz / "IMG_10.jpg");
    const Uuid suelta = e().archivos[0].id;

    soltar(raiz);
    EXPECT_EQ(e().buscando, std::optional<std::size_t>(0));
    EXPECT_TRUE(e().procesando);
    esperar([&] { return e().archivos.size() == 4; });
    // The first of the folder to arrive became active; the gated one is still running.
    EXPECT_NE(e().archivoActivoID, suelta);
    const auto activo = e().archivoActivoID;
    EXPECT_FALSE(e().buscando);
    // Dropping it again while a file is in flight starts nothing new.
    soltar(raiz);
    esperar([&] { return vista->trabajosEnCurso() == 1; });
    ingesta.abrir("IMG_2.jpg");
    ASSERT_TRUE(esperarTrabajos(*vista));

    EXPECT_EQ(lista(),
              (std::vector<std::string>{"Vacaciones/IMG_10.jpg", "Vacaciones/Día 1/IMG_1.jpg",
                                        "Vacaciones/Día 2/IMG_1.jpg", "Vacaciones/IMG_2.jpg",
                                        "Vacaciones/informe.pdf"}));
    EXPECT_EQ(ingesta.llamadas->load(), 5);
    EXPECT_EQ(e().archivoActivoID, activo);
    EXPECT_FALSE(e().archivos[0].carpetaOrigen);
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(e().archivos[i].carpetaOrigen, raiz);
    EXPECT_FALSE(e().procesando);
}

TEST_F(Carpetas, NuncaCorrenMasTrabajosQueElLimite) {
    std::vector<std::string> nombres;
    for (int i = 1; i <= 12; ++i) {
        nombres.push_back("f" + std::to_string(i) + ".jpg");
        ingesta.cerrar(nombres.back());
    }
    const Ruta raiz = arbol("Lote", nombres);
    crear(ingesta.motor(otra.ruta()), 3);
    soltar(raiz);
    esperar([&] { return ingesta.llamadas->load() == 3; });
    EXPECT_EQ(vista->trabajosEnCurso(), 12);
    EXPECT_EQ(textoProgreso(e()), "Quedan 12 archivos por abrir");
    for (const auto& n : nombres) {
        // Something is still waiting or running until the last gate opens.
        EXPECT_TRUE(e().procesando);
        ingesta.abrir(n);
        QTest::qWait(5);
    }
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(ingesta.maximo->load(), 3);
    EXPECT_EQ(e().archivos.size(), 12u);
    EXPECT_FALSE(e().procesando);
}

TEST_F(Carpetas, PreguntaAntesDeMasDeDoscientosArchivos) {
    crear(ingesta.motor(otra.ruta()));
    struct Caso {
        int archivos;
        bool respuesta;
        std::size_t registros;
        const char* pregunta;
    };
    int n = 0;
    for (const Caso& c : std::initializer_list<Caso>{
             {200, false, 200, nullptr},
             {201, false, 0,
              "La carpeta «Muchas» tiene 201 imágenes y PDF. ¿Añadirlas todas? [Añadir/Cancelar]"},
             {201, true, 201, ""}}) {
        vista->volverInicio();
        dialogos.preguntas.clear();
        dialogos.respuesta = c.respuesta;
        std::vector<std::string> nombres;
        for (int i = 0; i < c.archivos; ++i)
            nombres.push_back(std::to_string(i) + ".jpg");
        soltar(arbol("r" + std::to_string(n++) + "/Muchas", nombres));
        ASSERT_TRUE(esperarTrabajos(*vista));
        EXPECT_EQ(e().archivos.size(), c.registros) << c.archivos;
        EXPECT_EQ(dialogos.preguntas.size(), c.pregunta ? 1u : 0u) << c.archivos;
        if (c.pregunta && *c.pregunta) {
            EXPECT_EQ(dialogos.preguntas[0], c.pregunta);
        }
        EXPECT_FALSE(e().procesando);
    }
}

TEST_F(Carpetas, VolverAlInicioSueltaLoQueEsperaYLaCarpetaVaciaAvisa) {
    ingesta.cerrar("a.jpg");
    const Ruta raiz = arbol("Fotos", {"a.jpg", "b.jpg", "c.jpg", "d.pdf"});
    crear(ingesta.motor(otra.ruta()), 1);
    soltar(raiz);
    esperar([&] { return ingesta.llamadas->load() == 1; });
    vista->volverInicio();
    EXPECT_EQ(vista->trabajosEnCurso(), 1);
    EXPECT_TRUE(e().procesando);
    ingesta.abrir("a.jpg");
    ASSERT_TRUE(esperarTrabajos(*vista));
    // The folder was dropped: nothing of it arrives, not even the file that was running.
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_EQ(ingesta.llamadas->load(), 1);
    EXPECT_FALSE(e().procesando);
    // Nothing of it is left marked as on its way.
    soltar(raiz);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().archivos.size(), 4u);

    soltar(arbol("Notas", {"leeme.txt"}));
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().mensaje, "La carpeta «Notas» no tiene imágenes ni PDF");
}

TEST(Textos, CarpetaQueDistingueNombresRepetidos) {
    setenv("HOME", "/casa", 1);
    struct Caso {
        const char* url;
        const char* carpeta; // the folder given, if any
        bool combinado;
        const char* esperado;
    };
    const std::vector<Caso> casos = {
        {"/f/Vacaciones/Día 1/IMG_0001.jpg", "/f/Vacaciones", false, "Día 1"},
        {"/f/Vacaciones/Día 2/Tarde/IMG_0001.jpg", "/f/Vacaciones/", false, "Día 2/Tarde"},
        {"/f/Vacaciones/IMG_0001.jpg", "/f/Vacaciones", false, "Vacaciones"},
        {"/g/Otros/IMG_0001.jpg", nullptr, false, "Otros"},
        {"/f/única.jpg", nullptr, false, ""},
        {"/casa/Viaje/Día 1/x.jpg", "/casa/Viaje", false, "~/Viaje/Día 1"},
        {"/b/Viaje/Día 1/x.jpg", "/b/Viaje", false, "/b/Viaje/Día 1"},
        {"/tmp/Livora-1/Combinado.pdf", nullptr, true, ""},
        {"/tmp/Livora-2/Combinado.pdf", nullptr, true, ""},
    };
    EstadoVentana e;
    for (const auto& c : casos) {
        ArchivoEstado a;
        a.url = c.url;
        if (c.carpeta) a.carpetaOrigen = carpetaNormalizada(c.carpeta);
        a.esCombinado = c.combinado;
        a.bytesOriginal = 532;
        e.archivos.push_back(a);
    }
    const auto textos = carpetasDistintivas(e);
    for (std::size_t i = 0; i < casos.size(); ++i)
        EXPECT_EQ(textos[i], casos[i].esperado) << casos[i].url;
    e.archivoActivoID = e.archivos[0].id;
    EXPECT_EQ(subtitulo(e), "Día 1 · 532 bytes");
    e.archivoActivoID = e.archivos[4].id;
    EXPECT_EQ(subtitulo(e), "532 bytes");

    e.buscando = 1234;
    EXPECT_EQ(textoProgreso(e), "Buscando… 1.234 archivos");
    e.buscando = 1;
    EXPECT_EQ(textoProgreso(e), "Buscando… 1 archivo");
    e.buscando.reset();
    e.porAbrir = 1;
    EXPECT_EQ(textoProgreso(e), "");
    EXPECT_EQ(preguntaCarpetas({"/a/Uno", "/a/Dos"}, 1234),
              "Las 2 carpetas tienen 1.234 imágenes y PDF. ¿Añadirlas todas?");
}

} // namespace
