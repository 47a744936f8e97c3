#pragma once
#include <functional>

namespace Livora {

// A two-way binding to a piece of window state: widgets read and write through it without
// knowing where the value lives.
template <class T> struct Enlace {
    std::function<T()> leer;
    std::function<void(const T&)> escribir;
};

} // namespace Livora
