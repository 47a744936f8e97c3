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
        salidasPorDefecto = {{"alta", 500}, {"media", 300}, {"objetivo", 200}};
        MotorVentana m = motorRapido();
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
        abrir("foto.jpg");
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

// A regeneration chooses the same suffix again, or the one asked for, or else the first; a
// failure leaves no outputs, no choice and no notice, and the next run recovers.
TEST_F(Regeneracion, EleccionTrasRegenerarYFallo) {
    vista->moverSeleccion(+1);
    struct Caso {
        std::vector<std::string> sufijos;
        bool falla;
        std::optional<std::string> pedido;
        std::string elegida;
    };
    const std::vector<std::string> cuatro = {"alta", "media", "personalizada", "objetivo"};
    const Caso casos[] = {
        {cuatro, false, {}, "media"},           {cuatro, false, "objetivo", "objetivo"},
        {{"alta", "media"}, false, {}, "alta"}, {{"alta", "media"}, true, {}, ""},
        {{"alta", "media"}, false, {}, "alta"},
    };
    int corrida = 0;
    for (const Caso& k : casos) {
        SCOPED_TRACE(++corrida);
        c->sufijos = k.sufijos;
        c->falla = k.falla;
        vista->regenerarActivo(k.pedido);
        ASSERT_TRUE(esperarTrabajos(*vista));
        EXPECT_EQ(elegida(), k.elegida);
        EXPECT_EQ(e().archivos[0].variantes.size(), k.falla ? 0 : k.sufijos.size());
        EXPECT_EQ(bool(e().archivos[0].seleccionada), !k.falla);
        EXPECT_EQ(botonesGuardar(e()).principalActivo, !k.falla);
        if (!k.falla) {
            EXPECT_EQ(e().varianteActiva()->nombre, "corrida " + std::to_string(corrida));
        }
        EXPECT_EQ(e().mensaje, "");
    }
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

// Changes are grouped into one regeneration once they rest for the debounce time.
TEST_F(Regeneracion, CambiosSeAgrupanHastaQueReposan) {
    FiltroAjustes noir;
    noir.preset = "noir";
    struct Caso {
        const char* nombre;
        std::function<void(int)> cambiar; // the first change, then the second
        int espera;
        std::function<void(const EntradaCadena&)> comprobar;
        std::string sufijo; // chosen afterwards
    };
    const Caso casos[] = {
        {"personalizada, 0,3 s",
         [&](int i) { vista->setAjustesCustom(50, i * 1024, i * 768, true); }, 300,
         [](const EntradaCadena& en) { EXPECT_EQ(en.ajustes.anchoCustom, 1024); }, "personalizada"},
        // Filters do not choose by a new suffix: the choice stays.
        {"filtros, 0,4 s", [&](int i) { vista->setFiltros(i ? noir : FiltroAjustes{}); }, 400,
         [](const EntradaCadena& en) { EXPECT_EQ(en.filtros.preset, "noir"); }, "personalizada"},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        const int antes = c->llamadas;
        k.cambiar(0);
        reloj.avanzar(200);
        k.cambiar(1);
        reloj.avanzar(k.espera - 1);
        EXPECT_EQ(c->llamadas.load(), antes);
        reloj.avanzar(1);
        ASSERT_TRUE(esperarTrabajos(*vista));
        ASSERT_EQ(c->llamadas.load(), antes + 1);
        k.comprobar(c->entradas.back());
        EXPECT_EQ(elegida(), k.sufijo);
    }
}

TEST_F(Regeneracion, InterruptorDeMetadatosRegeneraTodasSinTocarProcesando) {
    abrir("otra.jpg");
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

} // namespace
