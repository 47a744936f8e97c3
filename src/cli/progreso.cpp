// Progress of long PDF work on the terminal, and Ctrl+C as a cancellation.
#include "cli/comandos.h"
#include "motor/texto.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>

#include <unistd.h>

namespace Livora::Cli {

namespace {

std::shared_ptr<std::atomic<bool>>& bandera() {
    static auto b = std::make_shared<std::atomic<bool>>(false);
    return b;
}

extern "C" void alInterrumpir(int senal) {
    bandera()->store(true);
    // A second Ctrl+C ends the run at once.
    std::signal(senal, SIG_DFL);
}

} // namespace

void atenderInterrupciones() {
    bandera();
    std::signal(SIGINT, alInterrumpir);
    std::signal(SIGTERM, alInterrumpir);
}

bool interrumpido() {
    return bandera()->load();
}

ProgresoTerminal::ProgresoTerminal(const Ruta& url) : nombre_(nombreVisible(url)) {}

ProgresoTerminal::~ProgresoTerminal() {
    std::lock_guard l(m_);
    if (escrito_) std::fputs("\r\033[K", stderr);
}

ControlTrabajo ProgresoTerminal::control() {
    if (!::isatty(STDERR_FILENO)) return ControlTrabajo({}, bandera());
    return ControlTrabajo(
        [this](std::int64_t hechos, std::int64_t total) {
            if (total < 1) return;
            const int pct = static_cast<int>(hechos * 100 / total);
            const auto ahora = std::chrono::steady_clock::now();
            std::lock_guard l(m_);
            if (pct == pct_ && ahora - ultimo_ < std::chrono::milliseconds(250)) return;
            pct_ = pct;
            ultimo_ = ahora;
            escrito_ = true;
            std::fprintf(stderr, "\r\033[K%s · %d %% (%lld de %lld páginas)", nombre_.c_str(), pct,
                         static_cast<long long>(hechos), static_cast<long long>(total));
            std::fflush(stderr);
        },
        bandera());
}

} // namespace Livora::Cli
