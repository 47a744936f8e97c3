#pragma once
#include <functional>
#include <vector>

namespace Livora {

// Runs independent tasks at once, one thread each (each ends its libvips thread state),
// and returns when all are done.
void enParalelo(const std::vector<std::function<void()>>& tareas);

} // namespace Livora
