#include "main/senales.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace Livora {

namespace {
int tubo[2] = {-1, -1};

extern "C" void alRecibir(int) {
    const char c = 1;
    // Only what a signal handler may do: one write; the GUI thread does the rest.
    [[maybe_unused]] auto n = ::write(tubo[0], &c, 1);
}
} // namespace

void atenderSenales(QObject* padre, std::function<void()> alTerminar) {
    std::signal(SIGXFSZ, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, tubo) != 0) return;
    auto* aviso = new QSocketNotifier(tubo[1], QSocketNotifier::Read, padre);
    QObject::connect(aviso, &QSocketNotifier::activated, padre, [aviso, alTerminar] {
        char c;
        [[maybe_unused]] auto n = ::read(tubo[1], &c, 1);
        aviso->setEnabled(false);
        alTerminar();
    });
    struct sigaction sa {};
    sa.sa_handler = alRecibir;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

} // namespace Livora
