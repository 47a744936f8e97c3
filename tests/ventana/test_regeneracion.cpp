// Regenerations: stale results dropped by sequence number, reselection by suffix, the
// debounces on a controllable clock, failures and closed records.
#include "main/textos.h"
#include "soporte.h"

#include <atomic>

using namespace Livora;
using namespace prueba;

namespace {

// Each call of the fake chain waits for the gate registered for its custom quality (when
// there is one) and returns alternatives named after that quality and the call number.
struct CadenaControlada {
    std::mutex m;
    std::map<int, std::shared_ptr<Puerta>> puertas;
    std::atomic<int> llamadas{0};
    std::vector<EntradaCadena> entradas;
    std::vector<std::string> sufijos = {"alta", "media", "personalizada", "objetivo"};
    std::atomic<bool> falla{false};
};

class Regeneracion : public ConVentana {
protected:
    std::shared_ptr<CadenaControlada> c = std::make_shared<CadenaControlada>();

    void SetUp() override {
        MotorVentana m = MotorVentana::real();
        const Ruta carpeta = tmp.ruta();
        m.ingestaImagen = [carpeta](const Ruta& url, const AjustesImagen&) {
            ArchivoEstado a = registroFalso(url, carpeta, 1000,
                                            {{"alta", 500}, {"media", 300}, {"objetivo", 200}});
            a.fuente = a.fuenteOriginal = ImagenFuente::enMemoria(vips::VImage::black(40, 30));
            a.previewAntes = a.fuente;
            return Resultado<ArchivoEstado>(a);
        };
        auto cc = c;
        m.cadenaImagen = [cc](const EntradaCadena& entrada) -> Resultado<std::vector<Variante>> {
            std::shared_ptr<Puerta> p;
            int n;
            std::vector<std::string> sufijos;
            {
                std::lock_guard l(cc->m);
                n = ++cc->llamadas;
                cc->entradas.push_back(entrada);
                if (auto it = cc->puertas.find(int(entrada.ajustes.calidadCustom));
                    it != cc->puertas.end())
                    p = it->second;
                sufijos = cc->sufijos;
            }
            if (p) p->esperar();
            if (cc->falla) return error("No se pudo crear la carpeta temporal");
            std::vector<Variante> vs;
            for (const auto& s : sufijos) {
                Variante v;
                v.sufijo = s;
                v.nombre = "corrida " + std::to_string(n);
                v.detalle = "calidad " + std::to_string(int(entrada.ajustes.calidadCustom));
                v.bytes = 100;
                vs.push_back(v);
            }
            return vs;
        };
        crear(m);
        vista->procesar(tmp.ruta() / "foto.jpg");
        ASSERT_TRUE(esperarTrabajos(*vista));
    }
    std::shared_ptr<Puerta> puerta(int calidad) {
        auto p = std::make_shared<Puerta>();
        std::lock_guard l(c->m);
        c->puertas[calidad] = p;
        return p;
    }
};

TEST_F(Regeneracion, UnResultadoViejoQueLlegaTardeSeDescarta) {
    auto primera = puerta(40);
    auto segunda = puerta(60);
    vista->setAjustesCustom(40, 0, 0, true);
    vista->regenerarActivo();
    vista->setAjustesCustom(60, 0, 0, true);
    vista->regenerarActivo();
    EXPECT_EQ(vista->trabajosEnCurso(), 2);
    segunda->abrir();
    ASSERT_TRUE(QTest::qWaitFor([&] { return vista->trabajosEnCurso() == 1; }, 60000));
    EXPECT_TRUE(e().procesando);
    EXPECT_EQ(e().archivos[0].variantes[0].detalle, "calidad 60");
    primera->abrir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().archivos[0].variantes[0].detalle, "calidad 60");
    EXPECT_FALSE(e().procesando);
}

TEST_F(Regeneracion, VuelveAElegirElMismoSufijoOElPrimero) {
    vista->moverSeleccion(+1); // "media"
    ASSERT_EQ(e().varianteActiva()->sufijo, "media");
    vista->regenerarActivo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().varianteActiva()->sufijo, "media");
    EXPECT_EQ(e().varianteActiva()->nombre, "corrida 1");
    vista->regenerarActivo("objetivo");
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().varianteActiva()->sufijo, "objetivo");
    c->sufijos = {"alta", "media"};
    vista->regenerarActivo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().varianteActiva()->sufijo, "alta");
}

TEST_F(Regeneracion, FalloDejaSinSalidasNiEleccionSinAviso) {
    c->falla = true;
    vista->regenerarActivo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos[0].variantes.empty());
    EXPECT_FALSE(e().archivos[0].seleccionada);
    EXPECT_EQ(e().mensaje, "");
    EXPECT_FALSE(botonesGuardar(e()).principalActivo);
    c->falla = false;
    vista->regenerarActivo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_NE(e().varianteActiva(), nullptr);
}

TEST_F(Regeneracion, RegistroCerradoMientrasTantoNoCambiaNada) {
    auto p = puerta(70);
    vista->regenerarActivo();
    vista->quitar(e().archivos[0].id);
    p->abrir();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos.empty());
    EXPECT_FALSE(e().procesando);
}

TEST_F(Regeneracion, CambiosPersonalizadosSeAgrupanEnUnaRegeneracionTrasTresDecimas) {
    vista->setAjustesCustom(50, 0, 0, true);
    reloj.avanzar(200);
    vista->setAjustesCustom(50, 1024, 768, true);
    reloj.avanzar(299);
    EXPECT_EQ(c->llamadas.load(), 0);
    reloj.avanzar(1);
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(c->llamadas.load(), 1);
    EXPECT_EQ(c->entradas[0].ajustes.anchoCustom, 1024);
    EXPECT_EQ(e().varianteActiva()->sufijo, "personalizada");
}

TEST_F(Regeneracion, FiltrosEsperanCuatroDecimasYNoReeligenPorSufijoNuevo) {
    FiltroAjustes f;
    f.preset = "noir";
    vista->setFiltros(f);
    reloj.avanzar(399);
    EXPECT_EQ(c->llamadas.load(), 0);
    reloj.avanzar(1);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(c->llamadas.load(), 1);
    EXPECT_EQ(c->entradas[0].filtros.preset, "noir");
    EXPECT_EQ(e().varianteActiva()->sufijo, "alta");
}

TEST_F(Regeneracion, QuitarFondoCambiaElIndicadorYRegenera) {
    vista->alternarSinFondo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_TRUE(e().archivos[0].sinFondo);
    ASSERT_EQ(c->llamadas.load(), 1);
    EXPECT_TRUE(c->entradas[0].sinFondo);
    vista->alternarSinFondo();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_FALSE(e().archivos[0].sinFondo);
}

TEST_F(Regeneracion, InterruptorDeMetadatosRegeneraTodasSinTocarProcesando) {
    vista->procesar(tmp.ruta() / "otra.jpg");
    ASSERT_TRUE(esperarTrabajos(*vista));
    auto p = puerta(70);
    vista->setQuitarMetadatos(false);
    EXPECT_FALSE(e().procesando);
    p->abrir();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return e().archivos[0].variantes[0].nombre.rfind("corrida", 0) == 0 &&
                   e().archivos[1].variantes[0].nombre.rfind("corrida", 0) == 0;
        },
        60000));
    EXPECT_EQ(c->llamadas.load(), 2);
    for (const auto& en : c->entradas)
        EXPECT_FALSE(en.ajustes.quitarMetadatos);
}

TEST_F(Regeneracion, TextoCreaUnaCapaYListoRegenera) {
    vista->abrirTexto();
    ASSERT_EQ(e().archivos[0].capas.size(), 1u);
    EXPECT_EQ(e().capaSeleccionada, e().archivos[0].capas[0].id);
    EXPECT_DOUBLE_EQ(e().archivos[0].capas[0].posY, 0.4);
    EXPECT_TRUE(e().modoTexto);
    vista->alternarSinFondo(); // tools are off inside an editor
    EXPECT_FALSE(e().archivos[0].sinFondo);
    vista->terminarTexto();
    EXPECT_FALSE(e().modoTexto);
    ASSERT_TRUE(esperarTrabajos(*vista));
    ASSERT_EQ(c->llamadas.load(), 1);
    EXPECT_EQ(c->entradas[0].capas.size(), 1u);
}

} // namespace
