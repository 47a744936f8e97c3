#include "modelo/imagen_fuente.h"

namespace Livora {

ImagenFuente ImagenFuente::deArchivo(std::filesystem::path archivo, std::int64_t ancho,
                                     std::int64_t alto) {
    ImagenFuente f;
    f.archivo = std::move(archivo);
    f.ancho = ancho;
    f.alto = alto;
    return f;
}

ImagenFuente ImagenFuente::enMemoria(vips::VImage pixeles) {
    ImagenFuente f;
    f.ancho = pixeles.width();
    f.alto = pixeles.height();
    f.pixeles = std::move(pixeles);
    return f;
}

ImagenFuente ImagenFuente::recortada(const RectPixeles& r) const {
    ImagenFuente f = *this;
    const std::int64_t x0 = recorte ? recorte->x : 0, y0 = recorte ? recorte->y : 0;
    f.recorte = RectPixeles{x0 + r.x, y0 + r.y, r.ancho, r.alto};
    f.ancho = r.ancho;
    f.alto = r.alto;
    return f;
}

std::string ImagenFuente::clave() const {
    std::string c =
        pixeles ? "mem:" + std::to_string(reinterpret_cast<std::uintptr_t>(pixeles->get_image()))
                : "archivo:" + archivo.string();
    if (recorte)
        c += "#" + std::to_string(recorte->x) + "," + std::to_string(recorte->y) + "," +
             std::to_string(recorte->ancho) + "x" + std::to_string(recorte->alto);
    return c;
}

std::optional<ImagenFuente> enMemoria(std::optional<vips::VImage> pixeles) {
    if (!pixeles) return std::nullopt;
    return ImagenFuente::enMemoria(std::move(*pixeles));
}

} // namespace Livora
