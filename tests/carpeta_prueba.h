#pragma once
// Helpers every test suite shares: a private folder for test files, outside the engine's
// register of temporary folders (the window's cleaning must never take a test's own
// files), and an environment variable set for a scope.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace LivoraPrueba {

inline std::filesystem::path carpetaPrivada() {
    const char* t = std::getenv("TMPDIR");
    std::string plantilla = std::string(t && *t ? t : "/tmp") + "/livora-prueba-XXXXXX";
    if (!::mkdtemp(plantilla.data())) return std::filesystem::temp_directory_path();
    return plantilla;
}

// Sets an environment variable for the life of the object.
class Entorno {
public:
    Entorno(const char* nombre, const std::string& valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) antes_ = v;
        ::setenv(nombre, valor.c_str(), 1);
    }
    ~Entorno() {
        if (antes_)
            ::setenv(nombre_, antes_->c_str(), 1);
        else
            ::unsetenv(nombre_);
    }
    Entorno(const Entorno&) = delete;
    Entorno& operator=(const Entorno&) = delete;

private:
    const char* nombre_;
    std::optional<std::string> antes_;
};

} // namespace LivoraPrueba
