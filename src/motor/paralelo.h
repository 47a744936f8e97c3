#pragma once
#include <functional>
#include <vector>

namespace Livora {

// Runs independent tasks on as many threads as there are cores (each thread ends its
// libvips thread state) and returns when all are done. Tasks start in the given order, so
// callers put the longest first: that keeps both cores busy until the end instead of
// leaving one long task running alone.
void enParalelo(const std::vector<std::function<void()>>& tareas);

} // namespace Livora
