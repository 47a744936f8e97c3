#pragma once
// A private folder for test files, outside the engine's register of temporary folders: the
// window's cleaning must never take a test's own files.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace LivoraPrueba {

inline std::filesystem::path carpetaPrivada() {
    const char* t = std::getenv("TMPDIR");
    std::string plantilla = std::string(t && *t ? t : "/tmp") + "/livora-prueba-XXXXXX";
    if (!::mkdtemp(plantilla.data())) return std::filesystem::temp_directory_path();
    return plantilla;
}

} // namespace LivoraPrueba
