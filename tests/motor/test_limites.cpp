// Bounded resources: temporary folders removed by the one rule, working memory shared
// between heavy steps, long PDF work that reports its pages and stops when asked.
#include "comun.h"
#include "motor/alternativas.h"
#include "motor/apertura.h"
#include "motor/memoria.h"
#include "motor/pdf.h"
#include "motor/temporales.h"
#include "test_pdf_comun.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace Livora;
using namespace Livora::Pruebas;

namespace {
bool existe(const Ruta& r) {
    return std::filesystem::exists(r);
}
} // namespace

TEST(Temporales, SeVaLoQueNadieUsaSalvoLoEntregadoYLoDeTrabajosEnCurso) {
    const Ruta usada = *dirTemporal(), suelta = *dirTemporal(), entregada = *dirTemporal();
    const Ruta descifrada = *dirTemporal(ClaseTemporal::Descifrado);
    std::ofstream(entregada / "alta.jpg") << "x";
    entregarTemporal(entregada / "alta.jpg");
    const auto marca = marcaTemporal();
    const Ruta nueva = *dirTemporal(); // made by a job still running
    auto quitadas = limpiarTemporales({usada}, marca);
    EXPECT_EQ(std::count(quitadas.begin(), quitadas.end(), suelta), 1);
    EXPECT_EQ(std::count(quitadas.begin(), quitadas.end(), descifrada), 1);
    for (const auto& [r, queda] : {std::pair{usada, true},
                                   {suelta, false},
                                   {entregada, true},
                                   {descifrada, false},
                                   {nueva, true}})
        EXPECT_EQ(existe(r), queda) << r;

    // At exit: what was handed out stays for the system to clean, an unlocked copy never.
    const Ruta otraDescifrada = *dirTemporal(ClaseTemporal::Descifrado);
    limpiarAlSalir(true);
    EXPECT_TRUE(existe(usada) && existe(nueva) && existe(entregada));
    EXPECT_FALSE(existe(otraDescifrada));
    limpiarAlSalir(false);
    EXPECT_FALSE(existe(usada) || existe(nueva));
    EXPECT_TRUE(existe(entregada));
    std::filesystem::remove_all(entregada);
}

TEST(Memoria, LosPasosPesadosEsperanSuTurnoYLoQueNuncaCabeSeRechaza) {
    ::setenv("LIVORA_MEMORIA_MB", "400", 1);
    const std::int64_t cap = capacidadMemoria();
    EXPECT_GT(cap, 0);
    EXPECT_LE(cap, std::int64_t{300} << 20) << "three quarters of what there is";
    EXPECT_FALSE(reservarMemoria(cap + 1)) << "never fits: refused at once";

    auto primera = reservarMemoria(cap / 2 + 1);
    ASSERT_TRUE(primera);
    std::atomic<bool> segundaDentro{false};
    std::thread t([&] {
        auto segunda = reservarMemoria(cap / 2 + 1);
        segundaDentro = segunda.has_value();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(segundaDentro) << "waits while the first holds its share";
    primera.reset();
    t.join();
    EXPECT_TRUE(segundaDentro);
    ::unsetenv("LIVORA_MEMORIA_MB");
}

// Rounded alike ("104,9 MB" twice) the refusal would read as if the picture fitted.
TEST(Memoria, LaNegativaNuncaMuestraDosCifrasIguales) {
    const Ruta png = carpetaPrueba() / "justo.png";
    cabeceraPNG(png, 4181, 4181); // decoded and one copy: 104,884,566 bytes, just over 100 MiB
    LivoraPrueba::Entorno memoria("LIVORA_MEMORIA_MB", "100");
    auto r = comprobarImagen(png);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().mensaje,
              "No se pudo abrir la imagen: necesita 105 MB de memoria y quedan 104 MB");
}

TEST(Memoria, SinSitioParaUnaFilaEstaFaltaYLasDemasQuedan) {
    // 12 MP: HEIC (~190 MB) and AVIF (~240 MB) cannot fit in 150 MB; the JPEGs can.
    ::setenv("LIVORA_MEMORIA_MB", "200", 1);
    auto v = variantesImagen(imagenPrueba(4000, 3000), AjustesImagen{}, std::nullopt, false);
    ::unsetenv("LIVORA_MEMORIA_MB");
    ASSERT_TRUE(v) << v.error().mensaje;
    std::set<std::string> sufijos;
    for (const auto& x : *v)
        sufijos.insert(x.sufijo);
    EXPECT_FALSE(sufijos.count("heic") || sufijos.count("avif"));
    for (const char* s : {"alta", "media", "baja", "personalizada"})
        EXPECT_TRUE(sufijos.count(s)) << s;
}

TEST(ProgresoPDF, CuentaCadaPaginaDeCadaSalidaYSeDetieneEntrePaginas) {
    const Ruta pdf = LivoraPrueba::crearPDF("progreso.pdf", LivoraPrueba::a4(12));
    const auto paginas = paginasDe(pdf);
    std::mutex m;
    std::vector<std::pair<std::int64_t, std::int64_t>> avances;
    auto cancelar = std::make_shared<std::atomic<bool>>(false);
    ControlTrabajo control(
        [&](std::int64_t h, std::int64_t t) {
            std::lock_guard l(m);
            avances.emplace_back(h, t);
        },
        cancelar);
    auto r = variantesPDF(paginas, {}, control);
    ASSERT_TRUE(r) << r.error().mensaje;
    ASSERT_FALSE(avances.empty());
    EXPECT_EQ(avances.back(), (std::pair<std::int64_t, std::int64_t>{48, 48})) << "4 × 12 pages";

    // Cancelled after a few pages: no alternatives, no folder left.
    const auto antes = carpetasTemporales().size();
    ControlTrabajo corto(
        [&](std::int64_t h, std::int64_t) {
            if (h >= 15) cancelar->store(true);
        },
        cancelar);
    cancelar->store(false);
    auto c = variantesPDF(paginas, {}, corto);
    ASSERT_FALSE(c);
    EXPECT_TRUE(esCancelado(c.error()));
    EXPECT_EQ(carpetasTemporales().size(), antes);
}
