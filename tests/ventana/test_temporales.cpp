// The window's temporary space and long PDF work: superseded and removed generations go,
// handed-out files stay until quit, and PDF work shows its progress and can be abandoned.
#include "../motor/test_pdf_comun.h"
#include "motor/temporales.h"
#include "soporte.h"

using namespace Livora;
using namespace prueba;
using LivoraPrueba::a4;
using LivoraPrueba::crearPDF;

namespace {

// The generation folders under a private TMPDIR, so only this test's are counted.
class Temporales : public ConVentana {
protected:
    const Ruta base = [this] {
        LivoraPrueba::carpetaPrueba(); // the test PDFs' folder stays outside the one watched
        std::filesystem::create_directory(tmp.ruta() / "tmp");
        return tmp.ruta() / "tmp";
    }();
    LivoraPrueba::Entorno tmpdir{"TMPDIR", base.string()};

    void SetUp() override { crear(); }
    std::set<Ruta> carpetas() const {
        std::set<Ruta> r;
        for (const auto& e : std::filesystem::directory_iterator(base))
            if (e.path().filename().string().rfind("Livora-", 0) == 0) r.insert(e.path());
        return r;
    }
    std::set<Ruta> enUso() const {
        std::set<Ruta> r;
        for (const auto& a : e().archivos)
            for (const Ruta c : carpetasDe(a))
                if (c.parent_path() == base) r.insert(c);
        return r;
    }
};

TEST_F(Temporales, SoloQuedanLasGeneracionesVigentesYLoEntregadoHastaSalir) {
    const Ruta foto = tmp.copiar(datos("foto_exif.jpg"), "foto.jpg");
    const Ruta otra = tmp.copiar(datos("mariquita.jpg"), "otra.jpg");
    vista->procesar(foto);
    abrirRuta(otra);
    ASSERT_EQ(e().archivos.size(), 2u);
    vista->activar(e().archivos[0].url == foto ? e().archivos[0].id : e().archivos[1].id);
    // The first generation's output goes to the clipboard: it must outlive the window.
    vista->copiarSalida();
    const Ruta entregada = e().varianteActiva()->urlTemp.parent_path();
    // Eight regenerations in a row; the stale ones are dropped as they come back.
    for (int i = 0; i < 8; ++i) {
        vista->setAjustesCustom(50 + i, 0, 0, true);
        reloj.avanzar(300);
    }
    ASSERT_TRUE(esperarTrabajos(*vista));
    const Uuid idOtra = e().archivos[0].url == otra ? e().archivos[0].id : e().archivos[1].id;
    vista->quitar(idOtra);
    ASSERT_EQ(e().archivos.size(), 1u);
    std::set<Ruta> esperadas = enUso();
    ASSERT_EQ(esperadas.size(), 1u);
    EXPECT_NE(*esperadas.begin(), entregada) << "regenerated since";
    esperadas.insert(entregada);
    // Folders are deleted on the window's pool, a moment after they are let go.
    (void)QTest::qWaitFor([&] { return carpetas() == esperadas; }, 10000);
    EXPECT_EQ(carpetas(), esperadas);

    vista.reset(); // quit
    EXPECT_EQ(carpetas(), std::set<Ruta>{entregada});
}

TEST_F(Temporales, ElPDFAvanzaPorPaginasYSeAbandonaAlVolverAlInicio) {
    const Ruta pdf = crearPDF("largo.pdf", a4(120));
    std::vector<double> vistos;
    QObject::connect(vista.get(), &VistaPrincipal::cambiado, [&] {
        if (e().progreso) vistos.push_back(*e().progreso);
    });
    vista->procesar(pdf);
    ASSERT_TRUE(QTest::qWaitFor([&] { return e().progreso && *e().progreso > 0.05; }, 120000));
    vista->volverInicio();
    EXPECT_FALSE(e().progreso);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_EQ(e().mensaje, "") << "an abandoned job is no failure";
    EXPECT_TRUE(QTest::qWaitFor([&] { return carpetas().empty(); }, 10000))
        << "its partial files are gone";
    ASSERT_GE(vistos.size(), 2u);
    EXPECT_TRUE(std::is_sorted(vistos.begin(), vistos.end()));
    EXPECT_LT(vistos.back(), 1.0);
}

TEST_F(Temporales, QuitarUnPDFCancelaSuRegeneracion) {
    abrirRuta(crearPDF("corto.pdf", a4(2)));
    ASSERT_EQ(e().archivos.size(), 1u);
    const Uuid id = e().archivos[0].id;
    // Many pages to work through: the regeneration is still running when it is removed.
    std::vector<PaginaPDF> paginas;
    for (int i = 0; i < 60; ++i)
        paginas.push_back(e().archivos[0].paginas[i % 2]);
    vista->aplicarOrganizador(paginas, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return e().progreso.has_value(); }, 120000));
    vista->quitar(id);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_EQ(e().mensaje, "");
    EXPECT_FALSE(e().progreso);
    EXPECT_TRUE(QTest::qWaitFor([&] { return carpetas().empty(); }, 10000));
}

} // namespace
