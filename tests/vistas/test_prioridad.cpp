#include "vistas/prioridad.h"

#include <QImage>
#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace {

// Every thread of Qt's global pool is held until the test is done or a few seconds have
// passed, so an operation that waits for the pool finishes late instead of never.
struct PoolOcupado {
    QSemaphore espera, dentro;
    std::atomic<bool> soltado{false}, hecho{false};
    std::thread soltador;
    int hilos = QThreadPool::globalInstance()->maxThreadCount();

    PoolOcupado() {
        for (int i = 0; i < hilos; ++i)
            QThreadPool::globalInstance()->start([this] {
                dentro.release();
                espera.acquire();
            });
        dentro.acquire(hilos);
        soltador = std::thread([this] {
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (!hecho && std::chrono::steady_clock::now() < limite)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            soltado = !hecho;
            espera.release(hilos);
        });
    }
    ~PoolOcupado() {
        hecho = true;
        soltador.join();
        QThreadPool::globalInstance()->waitForDone();
    }
};

struct Planificacion {
    int nice;
    std::optional<long> turnoNs; // shown by kernels with per-thread turns
};

Planificacion planificacionDeEsteHilo() {
    Planificacion p{getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), std::nullopt};
    std::ifstream f("/proc/thread-self/sched");
    for (std::string l; std::getline(f, l);)
        if (l.rfind("se.slice", 0) == 0) p.turnoNs = std::stol(l.substr(l.find(':') + 1));
    return p;
}

} // namespace

// The interface thread's short turns are its own: a worker it starts and lowers gets the
// kernel's default turn back, or its encoders would take the core from the interface as
// eagerly as the interface takes it from them.
TEST(Prioridad, TurnosCortosSoloParaLaInterfaz) {
    std::thread([] {
        const Planificacion antes = planificacionDeEsteHilo();
        Livora::acortarTurnos();
        const Planificacion interfaz = planificacionDeEsteHilo();
        EXPECT_EQ(interfaz.nice, antes.nice);
        if (interfaz.turnoNs) {
            EXPECT_EQ(*interfaz.turnoNs, 200'000);
        }
        std::thread([&] {
            Livora::cederPrioridad();
            const Planificacion trabajo = planificacionDeEsteHilo();
            EXPECT_EQ(trabajo.nice, 10);
            if (trabajo.turnoNs && antes.turnoNs) {
                EXPECT_EQ(*trabajo.turnoNs, *antes.turnoNs);
            }
        }).join();
    }).join();
}

// Qt splits these into pieces for its global pool above a size; with every pool thread
// taken by other work they must still finish at once on the thread that asked.
TEST(HilosQt, ImagenesGrandesNoEsperanAlPoolGlobal) {
    const QImage foto = [] {
        QImage i(4000, 3000, QImage::Format_ARGB32);
        i.fill(QColor(200, 120, 40, 180));
        return i;
    }();
    const std::pair<const char*, std::function<void()>> casos[] = {
        {"escalar",
         [&] { (void)foto.scaled(1280, 960, Qt::KeepAspectRatio, Qt::SmoothTransformation); }},
        {"convertir", [&] { (void)foto.convertToFormat(QImage::Format_RGB888); }},
        {"pintar",
         [&] {
             QImage lienzo(2000, 2000, QImage::Format_ARGB32_Premultiplied);
             QPainter p(&lienzo);
             p.fillRect(lienzo.rect(), QColor(10, 20, 30, 128));
         }},
    };
    for (const auto& [nombre, operacion] : casos) {
        SCOPED_TRACE(nombre);
        PoolOcupado ocupado;
        operacion();
        EXPECT_FALSE(ocupado.soltado) << "esperó a que el pool global quedara libre";
    }
}

TEST(HilosQt, OtroHiloSigueSinSerDelPool) {
    QThread ajeno;
    EXPECT_FALSE(QThreadPool::globalInstance()->contains(&ajeno));
    QThreadPool propio;
    std::atomic<bool> dentro{false};
    propio.start([&] { dentro = propio.contains(QThread::currentThread()); });
    propio.waitForDone();
    EXPECT_TRUE(dentro);
}
