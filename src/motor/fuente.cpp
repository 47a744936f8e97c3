#include "motor/fuente.h"

#include "motor/codec.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <mutex>
#include <utility>

namespace Livora {

using vips::VImage;

namespace {

// Most recently used first. Two pictures: the active record's and the one before it, so
// going back and forth between two records stays instant; every other record is decoded
// again when a job needs it (a 12 MP JPEG in about 0.2 s).
struct Cache {
    std::mutex m;
    std::list<std::pair<std::string, Imagen>> entradas;
    std::size_t capacidad = 2;

    std::optional<Imagen> buscar(const std::string& clave) {
        std::lock_guard l(m);
        for (auto it = entradas.begin(); it != entradas.end(); ++it)
            if (it->first == clave) {
                entradas.splice(entradas.begin(), entradas, it);
                return it->second;
            }
        return std::nullopt;
    }
    void guardar(const std::string& clave, const Imagen& img) {
        std::lock_guard l(m);
        std::erase_if(entradas, [&](const auto& e) { return e.first == clave; });
        if (capacidad == 0) return;
        entradas.emplace_front(clave, img);
        while (entradas.size() > capacidad)
            entradas.pop_back();
    }
};

Cache& cache() {
    static Cache* c = new Cache;
    return *c;
}

std::optional<Imagen> cortar(const Imagen& img, const std::optional<RectPixeles>& r) {
    if (!r) return img;
    if (r->x < 0 || r->y < 0 || r->ancho < 1 || r->alto < 1 || r->x + r->ancho > img.width() ||
        r->y + r->alto > img.height())
        return std::nullopt;
    try {
        return img
            .extract_area(static_cast<int>(r->x), static_cast<int>(r->y),
                          static_cast<int>(r->ancho), static_cast<int>(r->alto))
            .copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

} // namespace

std::optional<Imagen> decodificarFuente(const ImagenFuente& f) {
    if (f.pixeles) {
        if (!f.recorte) return *f.pixeles;
    } else if (f.archivo.empty()) {
        return std::nullopt;
    }
    const std::string clave = f.clave();
    if (auto img = cache().buscar(clave)) return img;
    std::optional<Imagen> entera;
    if (f.pixeles) {
        entera = *f.pixeles;
    } else {
        auto cargada = cargarImagen(f.archivo);
        if (!cargada) return std::nullopt;
        entera = std::move(cargada->imagen);
    }
    auto img = cortar(*entera, f.recorte);
    if (img) cache().guardar(clave, *img);
    return img;
}

std::optional<Imagen> previaFuente(const ImagenFuente& f, int maxAncho, int maxAlto) {
    if (maxAncho < 1 || maxAlto < 1 || f.ancho < 1 || f.alto < 1) return std::nullopt;
    const double s =
        std::min({1.0, double(maxAncho) / double(f.ancho), double(maxAlto) / double(f.alto)});
    iniciarMotor();
    try {
        if (auto enCache = cache().buscar(f.clave())) return s < 1 ? enCache->resize(s) : *enCache;
        if (f.pixeles) {
            auto img = cortar(*f.pixeles, f.recorte);
            if (!img) return std::nullopt;
            return s < 1 ? img->resize(s) : *img;
        }
        if (f.archivo.empty()) return std::nullopt;
        if (!f.recorte) {
            // Shrink-on-load: a 12 MP JPEG for a 900-pixel frame is read at 1/4 size.
            return miniaturaArchivo(f.archivo, maxAncho, maxAlto);
        }
        // A cut: the whole picture at the scale the cut needs, then the cut scaled alike.
        auto entera = VImage::new_from_file(f.archivo.c_str());
        const bool girada = entera.get_typeof(VIPS_META_ORIENTATION) != 0 &&
                            entera.get_int(VIPS_META_ORIENTATION) >= 5;
        const int anchoEntera = girada ? entera.height() : entera.width();
        const int altoEntera = girada ? entera.width() : entera.height();
        const int w = std::max(1, static_cast<int>(std::ceil(anchoEntera * s)));
        const int h = std::max(1, static_cast<int>(std::ceil(altoEntera * s)));
        VImage chica = miniaturaArchivo(f.archivo, w, h);
        const double fx = double(chica.width()) / anchoEntera;
        const double fy = double(chica.height()) / altoEntera;
        const auto& r = *f.recorte;
        const int x = std::clamp(static_cast<int>(std::floor(r.x * fx)), 0, chica.width() - 1);
        const int y = std::clamp(static_cast<int>(std::floor(r.y * fy)), 0, chica.height() - 1);
        const int cw =
            std::clamp(static_cast<int>(std::lround(r.ancho * fx)), 1, chica.width() - x);
        const int ch =
            std::clamp(static_cast<int>(std::lround(r.alto * fy)), 1, chica.height() - y);
        return chica.extract_area(x, y, cw, ch);
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

void recordarFuente(const ImagenFuente& f, const Imagen& pixeles) {
    if (!f.pixeles) cache().guardar(f.clave(), pixeles);
}

void fijarCapacidadFuentes(std::size_t imagenes) {
    auto& c = cache();
    std::lock_guard l(c.m);
    c.capacidad = imagenes;
    while (c.entradas.size() > imagenes)
        c.entradas.pop_back();
}

} // namespace Livora
