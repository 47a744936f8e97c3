// The page organiser on a long PDF, offscreen, as the window opens it (the record's page
// list, no thumbnails at hand). Prints one JSON line:
//   primer_cuadro_ms      from creating the organiser to its first painted grid
//   miniaturas_ms         until the thumbnails of the first screen are drawn
//   bloqueo_max_ms / p99  lateness of a 5 ms timer on the GUI thread while the grid scrolls
//                         to the end at a steady pace (a long flick), thumbnails coming in
//   bloqueo_max_cpu_ms    how much of that longest gap the GUI thread spent working (the
//                         rest it waited for a core on a busy machine)
//   trabajo_max_ms        the most CPU the GUI thread spent between two ticks: its own
//                         longest stall, whatever the machine's load
//   cpu_gui_s             CPU the GUI thread used meanwhile (the rest of the time it waited)
//   rss_pico_mb           peak resident memory of the process (VmHWM)
// Usage: organizador DOC.pdf [ANCHO ALTO]
#include "main/iconos.h"
#include "motor/codec.h"
#include "motor/pdf.h"
#include "organizador/miniaturas_organizador.h"
#include "organizador/organizador_paginas.h"
#include "organizador/rejilla_paginas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/resource.h>

namespace {

double vmhwmMB() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("VmHWM:")) return l.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

double carga() {
    double l[1] = {0};
    return getloadavg(l, 1) == 1 ? l[0] : -1;
}

// CPU seconds of the calling thread (the GUI thread): tells work on it from waiting for a
// core on a busy machine.
double cpuHilo() {
    rusage r{};
    getrusage(RUSAGE_THREAD, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    using namespace Livora;
    if (argc < 2) {
        std::fprintf(stderr, "uso: organizador DOC.pdf [ANCHO ALTO]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    iniciarRecursos();
    iniciarMotor();
    const int ancho = argc > 3 ? std::atoi(argv[2]) : 900;
    const int alto = argc > 3 ? std::atoi(argv[3]) : 700;

    QElapsedTimer reloj;
    reloj.start();
    const Ruta pdf = argv[1];
    auto paginas = paginasDe(pdf);
    const double listaMs = double(reloj.nsecsElapsed()) / 1e6;
    if (paginas.empty()) {
        std::fprintf(stderr, "no se pudo leer %s\n", argv[1]);
        return 1;
    }

    reloj.restart();
    OrganizadorPaginas org({}, pdf.stem().string(), paginas, {}, nullptr, nullptr);
    org.resize(ancho, alto);
    org.show();
    const double crearMs = double(reloj.nsecsElapsed()) / 1e6;
    double primerCuadro = -1, miniaturas = -1;
    QObject::connect(org.rejilla(), &RejillaPaginas::pintada, &org, [&] {
        if (primerCuadro < 0) primerCuadro = double(reloj.nsecsElapsed()) / 1e6;
    });

    // The probe: how late each 5 ms tick comes while scrolling.
    std::vector<double> retrasos;
    // The GUI thread's CPU in the worst gap, and the most it worked between two ticks.
    double cpuAnterior = 0, peorCpu = 0, peor = 0, trabajoMax = 0;
    bool midiendo = false;
    QTimer sonda;
    sonda.setTimerType(Qt::PreciseTimer);
    sonda.setInterval(5);
    qint64 anterior = reloj.nsecsElapsed();
    QObject::connect(&sonda, &QTimer::timeout, [&] {
        const qint64 ahora = reloj.nsecsElapsed();
        const double cpu = cpuHilo();
        if (midiendo) {
            retrasos.push_back(std::max(0.0, double(ahora - anterior) / 1e6 - 5));
            trabajoMax = std::max(trabajoMax, (cpu - cpuAnterior) * 1000);
            if (retrasos.back() > peor) {
                peor = retrasos.back();
                peorCpu = (cpu - cpuAnterior) * 1000;
            }
        }
        anterior = ahora;
        cpuAnterior = cpu;
    });
    sonda.start();

    QScrollBar* barra = org.rejilla()->verticalScrollBar();
    QTimer desplazar;
    desplazar.setInterval(16);
    double inicioDesplazamiento = 0, finDesplazamiento = 0, reposo = 0, cpuInicio = 0, cpuGui = 0;
    const int paso = 60; // px per frame: about 3.7 screens a second
    QObject::connect(&desplazar, &QTimer::timeout, [&] {
        if (barra->value() < barra->maximum()) {
            barra->setValue(std::min(barra->maximum(), barra->value() + paso));
            return;
        }
        if (finDesplazamiento == 0) finDesplazamiento = double(reloj.nsecsElapsed()) / 1e6;
        // Measured until the thumbnails at the end have arrived too.
        if (!org.miniaturas().ocupado()) {
            reposo = double(reloj.nsecsElapsed()) / 1e6;
            cpuGui = cpuHilo() - cpuInicio;
            midiendo = false;
            desplazar.stop();
            app.quit();
        }
    });

    QTimer esperar;
    esperar.setInterval(5);
    QObject::connect(&esperar, &QTimer::timeout, [&] {
        if (primerCuadro < 0 || org.miniaturas().ocupado() || org.miniaturas().guardadas() == 0)
            return;
        miniaturas = double(reloj.nsecsElapsed()) / 1e6;
        esperar.stop();
        inicioDesplazamiento = miniaturas;
        cpuInicio = cpuHilo();
        midiendo = true;
        anterior = reloj.nsecsElapsed();
        desplazar.start();
    });
    esperar.start();
    QTimer::singleShot(600000, &app, &QApplication::quit);
    app.exec();

    std::sort(retrasos.begin(), retrasos.end());
    const double maximo = retrasos.empty() ? -1 : retrasos.back();
    const double p99 = retrasos.empty() ? -1 : retrasos[retrasos.size() * 99 / 100];
    const auto sobre50 =
        std::count_if(retrasos.begin(), retrasos.end(), [](double r) { return r > 50; });
    std::printf(
        "{\"paginas\": %zu, \"lista_ms\": %.1f, \"crear_ms\": %.1f, \"primer_cuadro_ms\": %.1f, "
        "\"miniaturas_ms\": %.1f, \"desplazamiento_s\": %.2f, \"hasta_reposo_s\": %.2f, "
        "\"bloqueo_max_ms\": %.1f, \"bloqueo_max_cpu_ms\": %.1f, \"trabajo_max_ms\": %.1f, "
        "\"p99_ms\": %.1f, \"sobre_50ms\": %td, \"tics\": %zu, "
        "\"cpu_gui_s\": %.2f, \"rss_pico_mb\": %.0f, \"miniaturas_guardadas\": %zu, "
        "\"cache_mb\": %.1f, \"columnas\": %zu, \"carga\": %.1f}\n",
        paginas.size(), listaMs, crearMs, primerCuadro, miniaturas,
        (finDesplazamiento - inicioDesplazamiento) / 1000, (reposo - inicioDesplazamiento) / 1000,
        maximo, peorCpu, trabajoMax, p99, sobre50, retrasos.size(), cpuGui, vmhwmMB(),
        org.miniaturas().guardadas(), double(org.miniaturas().bytes()) / (1 << 20),
        org.rejilla()->rejilla().columnas, carga());
    return reposo > 0 ? 0 : 1;
}
