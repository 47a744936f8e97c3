#include "motor/carpetas.h"

#include "motor/tipos.h"

#include <algorithm>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace Livora {

namespace fs = std::filesystem;

namespace {

bool esDigito(char c) {
    return c >= '0' && c <= '9';
}

char minuscula(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct Recorrido {
    const std::function<bool(std::size_t)>& seguir;
    std::vector<Hallazgo>& salida;
    std::set<std::pair<dev_t, ino_t>> vistas;
    std::size_t desdeAviso = 0;
    bool parado = false;

    bool avisar() {
        desdeAviso = 0;
        if (seguir && !seguir(salida.size())) parado = true;
        return !parado;
    }

    void carpeta(const Ruta& dir, const Ruta& raiz) {
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 || !vistas.insert({st.st_dev, st.st_ino}).second) return;
        struct Entrada {
            std::string nombre;
            bool esDir;
        };
        std::vector<Entrada> entradas;
        std::error_code ec;
        for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), fin;
             !ec && it != fin; it.increment(ec)) {
            std::string nombre = it->path().filename().string();
            if (nombre.empty() || nombre[0] == '.') continue;
            std::error_code ee;
            const fs::file_status s = it->symlink_status(ee);
            if (ee || fs::is_symlink(s)) continue;
            if (fs::is_directory(s))
                entradas.push_back({std::move(nombre), true});
            else if (fs::is_regular_file(s) && esEntradaDeCarpeta(nombre))
                entradas.push_back({std::move(nombre), false});
            if (++desdeAviso >= 256 && !avisar()) return;
        }
        std::sort(entradas.begin(), entradas.end(), [](const Entrada& a, const Entrada& b) {
            return compararNatural(a.nombre, b.nombre) < 0;
        });
        for (const auto& e : entradas) {
            if (parado) return;
            if (e.esDir)
                carpeta(dir / e.nombre, raiz);
            else
                salida.push_back({dir / e.nombre, raiz});
        }
        avisar();
    }
};

} // namespace

int compararNatural(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (esDigito(a[i]) && esDigito(b[j])) {
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            const std::size_t ia = i, jb = j;
            while (i < a.size() && esDigito(a[i]))
                ++i;
            while (j < b.size() && esDigito(b[j]))
                ++j;
            // Without leading zeros, the longer run is the larger number.
            if (i - ia != j - jb) return (i - ia) < (j - jb) ? -1 : 1;
            if (const int c = a.substr(ia, i - ia).compare(b.substr(jb, j - jb)); c != 0)
                return c < 0 ? -1 : 1;
            continue;
        }
        const char x = minuscula(a[i]), y = minuscula(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool esEntradaDeCarpeta(const Ruta& archivo) {
    std::string ext = archivo.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), minuscula);
    return ext == ".pdf" || esExtensionImagen(ext);
}

bool esCarpeta(const Ruta& ruta) {
    std::error_code ec;
    return fs::is_directory(ruta, ec);
}

Ruta carpetaNormalizada(const Ruta& ruta) {
    Ruta r = ruta.lexically_normal();
    if (r.has_relative_path() && r.filename().empty()) r = r.parent_path();
    return r;
}

std::string nombreCarpeta(const Ruta& carpeta) {
    const Ruta n = carpetaNormalizada(carpeta);
    return n.filename().empty() ? n.string() : n.filename().string();
}

std::string carpetaSinArchivos(const Ruta& carpeta) {
    return "La carpeta «" + nombreCarpeta(carpeta) + "» no tiene imágenes ni PDF";
}

std::optional<std::vector<Hallazgo>> expandirRutas(const std::vector<Ruta>& rutas,
                                                   const std::function<bool(std::size_t)>& seguir) {
    std::vector<Hallazgo> salida;
    Recorrido r{seguir, salida, {}};
    for (const auto& ruta : rutas) {
        if (esCarpeta(ruta)) {
            const Ruta raiz = carpetaNormalizada(ruta);
            r.carpeta(raiz, raiz);
        } else {
            salida.push_back({ruta, std::nullopt});
        }
        if (r.parado) return std::nullopt;
    }
    return salida;
}

} // namespace Livora
