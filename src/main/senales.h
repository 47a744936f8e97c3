#pragma once
#include <QObject>

#include <functional>

namespace Livora {

// SIGTERM and SIGINT (the session ending, Ctrl+C in a terminal) run `alTerminar` on the
// GUI thread, so the window closes the normal way and cleans its temporary space. SIGXFSZ
// is ignored: a file-size limit fails that write with an error the user can read.
void atenderSenales(QObject* padre, std::function<void()> alTerminar);

} // namespace Livora
