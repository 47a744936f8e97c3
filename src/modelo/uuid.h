#pragma once
#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <string>

namespace Livora {

// Random (version 4) identity of records, alternatives, pages, layers and metadata lines.
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    static Uuid nuevo();
    // The standard 36-character text form, lower case.
    std::string texto() const;
    bool esNulo() const;
    auto operator<=>(const Uuid&) const = default;
};

} // namespace Livora

template <> struct std::hash<Livora::Uuid> {
    std::size_t operator()(const Livora::Uuid& u) const noexcept {
        std::size_t h = 0;
        for (auto b : u.bytes)
            h = h * 131 + b;
        return h;
    }
};
