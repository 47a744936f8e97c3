#include "modelo/uuid.h"

#include <random>

namespace Livora {

Uuid Uuid::nuevo() {
    thread_local std::mt19937_64 gen{[] {
        std::random_device rd;
        std::seed_seq semilla{rd(), rd(), rd(), rd(), rd(), rd(), rd(), rd()};
        return std::mt19937_64(semilla);
    }()};
    Uuid u;
    for (int i = 0; i < 16; i += 8) {
        std::uint64_t v = gen();
        for (int j = 0; j < 8; ++j)
            u.bytes[i + j] = static_cast<std::uint8_t>(v >> (8 * j));
    }
    u.bytes[6] = static_cast<std::uint8_t>((u.bytes[6] & 0x0F) | 0x40); // version 4
    u.bytes[8] = static_cast<std::uint8_t>((u.bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return u;
}

std::string Uuid::texto() const {
    static const char* hex = "0123456789abcdef";
    std::string s;
    s.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) s.push_back('-');
        s.push_back(hex[bytes[i] >> 4]);
        s.push_back(hex[bytes[i] & 0x0F]);
    }
    return s;
}

bool Uuid::esNulo() const {
    for (auto b : bytes)
        if (b) return false;
    return true;
}

} // namespace Livora
