#include "motor/alternativas.h"

#include "motor/archivos.h"
#include "motor/memoria.h"
#include "motor/metadatos.h"
#include "motor/numeros.h"
#include "motor/objetivo.h"
#include "motor/paralelo.h"
#include "motor/png_optimo.h"
#include "motor/webp.h"

#include <algorithm>
#include <iterator>

namespace Livora {

namespace {

struct Fila {
    std::string nombre, detalle, sufijo;
    Formato formato;
    double calidad;
    std::optional<double> maxLado;
};

// The lossless row may keep the original PNG's own image data (see pngSinPerdida).
std::optional<Bytes> sinPerdida(const Imagen& imagen, const std::optional<Ruta>& original,
                                const Propiedades* meta) {
    auto datos = pngSinPerdida(imagen, original);
    if (datos && meta) return insertarMetadatos(*datos, *meta);
    return datos;
}

// Encodes one row and writes its file; none when the encoder is missing or fails.
Resultado<std::optional<Variante>> producir(const Fila& fila, const Imagen& imagen, const Ruta& dir,
                                            const Propiedades* meta,
                                            const std::optional<Ruta>& original) {
    auto datos = fila.sufijo == "sin-perdida" ? sinPerdida(imagen, original, meta)
                                              : codificar(imagen, fila.formato, fila.calidad, meta);
    if (!datos) return std::optional<Variante>{};
    Variante v;
    v.nombre = fila.nombre;
    v.detalle = fila.detalle;
    v.sufijo = fila.sufijo;
    v.ext = extension(fila.formato);
    v.urlTemp = dir / (fila.sufijo + "." + v.ext);
    if (auto r = escribirArchivo(v.urlTemp, *datos); !r) return r.error();
    v.bytes = static_cast<std::int64_t>(datos->size());
    v.preview = legible(v.urlTemp);
    return std::optional<Variante>{std::move(v)};
}

// Longest first (measured on a 12 MP photo: HEIC 2.7 s, the fast PNG then cwebp 1.9 s,
// the lossless PNG 1.6 s, the target search 1.2 s, AVIF 1 s, each JPEG 0.1–0.3 s), so the
// short rows fill the cores at the end instead of a long one finishing alone.
int orden(const std::string& sufijo) {
    static const char* const porCoste[] = {"heic", "webp", "sin-perdida",   "objetivo",
                                           "avif", "alta", "personalizada", "media"};
    for (int i = 0; i < static_cast<int>(std::size(porCoste)); ++i)
        if (sufijo == porCoste[i]) return i;
    return static_cast<int>(std::size(porCoste));
}

// cwebp reads a stored PNG with the same pixels and metadata as the lossless row, written
// for it alone: the lossless row's own deflate then stays off the WebP's path.
std::optional<Variante> webpDesdeRapido(const Imagen& cg, const Ruta& dir, bool quitarMetadatos,
                                        const Propiedades* meta) {
    const auto& cwebp = rutaCwebp();
    if (!cwebp) return std::nullopt;
    auto datos = codificarPNG(cg, EsfuerzoPNG::Rapido);
    if (datos && meta) datos = insertarMetadatos(*datos, *meta);
    if (!datos) return std::nullopt;
    const Ruta origen = dir / "webp-origen.png";
    if (!escribirArchivo(origen, *datos)) return std::nullopt;
    datos.reset();
    auto v = varianteWebP(dir, quitarMetadatos, cwebp, origen);
    std::error_code ec;
    std::filesystem::remove(origen, ec);
    return v;
}

// Working memory a row needs beyond the picture it starts from, measured with
// VmHWM on 12 and 48 MP photos (bytes per pixel, linear in between): x265 15 and aom 19,
// cwebp 5.7 in its own process, a full-size progressive JPEG 3 (its coefficient buffer), the
// PNG's output and its copy 2.5; the capped JPEGs work on a small picture.
std::int64_t memoriaFila(const std::string& sufijo, const Imagen& imagen) {
    const std::int64_t p = static_cast<std::int64_t>(imagen.width()) * imagen.height();
    const std::int64_t b = imagen.bands();
    constexpr std::int64_t mb = 1 << 20;
    if (sufijo == "heic") return p * 16 + 16 * mb;
    if (sufijo == "avif") return p * 20 + 16 * mb;
    if (sufijo == "webp") return p * 6 + 8 * mb;
    if (sufijo == "sin-perdida" || sufijo == "sin-fondo") return p * b + p * b / 2 + 8 * mb;
    if (sufijo == "media" || sufijo == "baja") return 48 * mb;
    // Full-size JPEGs and the target search; baseline ones keep only their output.
    return p > maxPixelesProgresivo ? p / 2 + 16 * mb : p * 7 / 2 + 8 * mb;
}

// Runs one row's step with the memory it needs set aside; a step that cannot have it is
// left out (its row is absent) instead of failing an allocation half-way.
template <class F> void conMemoria(std::int64_t bytes, F&& paso) {
    auto reserva = reservarMemoria(bytes);
    if (!reserva) return;
    try {
        paso();
    } catch (const std::bad_alloc&) {
        // Our estimate was short for this one; the row is absent, the others stay.
    }
}

} // namespace

std::string detallePersonalizada(const Imagen& cg, const AjustesImagen& ajustes) {
    auto [cw, ch] = dimensionesCustom(cg, ajustes);
    std::string d = std::to_string(truncadoEn(ajustes.calidadCustom, 0, 100)) + " %, ";
    if (cw == cg.width() && ch == cg.height()) return d + "tamaño completo";
    return d + std::to_string(cw) + "×" + std::to_string(ch) + " px";
}

Resultado<std::vector<Variante>>
variantesImagen(const Imagen& cg, const AjustesImagen& ajustes,
                const std::optional<Propiedades>& metadatosOriginales, bool sinFondo) {
    return variantesImagen(cg, ajustes, metadatosOriginales, sinFondo, std::nullopt);
}

Resultado<std::vector<Variante>>
variantesImagen(const Imagen& cg, const AjustesImagen& ajustes,
                const std::optional<Propiedades>& metadatosOriginales, bool sinFondo,
                const std::optional<Ruta>& original) {
    iniciarMotor();
    auto dir = dirTemporal();
    if (!dir) return dir.error();

    std::optional<Propiedades> conservadas;
    if (!ajustes.quitarMetadatos) conservadas = metadatosPreservables(metadatosOriginales);
    const Propiedades* meta = conservadas ? &*conservadas : nullptr;

    if (sinFondo) {
        Fila f{"PNG · Fondo transparente", "sujeto recortado", "sin-fondo", Formato::PNG, 1.0, {}};
        std::optional<Resultado<std::optional<Variante>>> r;
        conMemoria(memoriaFila(f.sufijo, cg),
                   [&] { r = producir(f, cg, *dir, meta, std::nullopt); });
        std::vector<Variante> lista;
        if (r && !*r) return r->error();
        if (r && **r) lista.push_back(std::move(***r));
        return lista;
    }

    std::vector<Fila> filas = {
        {"PNG · Sin pérdida", "píxeles intactos", "sin-perdida", Formato::PNG, 1.0, {}},
        {"JPEG · Alta", "80 %, tamaño completo", "alta", Formato::JPEG, 0.8, {}},
        {"JPEG · Media", "60 %, máx. 2048 px", "media", Formato::JPEG, 0.6, 2048.0},
        {"JPEG · Baja", "40 %, máx. 1280 px", "baja", Formato::JPEG, 0.4, 1280.0},
        {"HEIC · Moderno", "60 %, tamaño completo", "heic", Formato::HEIC, 0.6, {}},
    };
    if (hayCodificador(Formato::AVIF))
        filas.push_back(
            {"AVIF · Web moderno", "60 %, tamaño completo", "avif", Formato::AVIF, 0.6, {}});
    filas.push_back({"JPEG · Personalizada",
                     detallePersonalizada(cg, ajustes),
                     "personalizada",
                     Formato::JPEG,
                     ajustes.calidadCustom / 100.0,
                     {}});

    // Every row is independent; they are encoded on all cores and the list keeps the
    // table's order.
    const std::size_t n = filas.size();
    std::vector<std::optional<Variante>> hechas(n);
    std::optional<Variante> webp;
    std::optional<Variante> objetivo;
    std::vector<std::optional<Error>> errores(n + 1);

    std::vector<std::pair<int, std::function<void()>>> tareas;
    for (std::size_t i = 0; i < n; ++i) {
        tareas.emplace_back(orden(filas[i].sufijo), [&, i] {
            const Fila& f = filas[i];
            Imagen imagen = cg;
            if (f.sufijo == "personalizada") {
                auto [cw, ch] = dimensionesCustom(cg, ajustes);
                if (cw > 0 && ch > 0 && (cw != cg.width() || ch != cg.height()))
                    imagen = redimensionar(cg, cw, ch);
            } else if (f.maxLado) {
                imagen = escalado(cg, *f.maxLado);
            }
            conMemoria(memoriaFila(f.sufijo, imagen), [&] {
                auto r = producir(f, imagen, *dir, meta, original);
                if (!r)
                    errores[i] = r.error();
                else
                    hechas[i] = std::move(*r);
            });
        });
    }
    tareas.emplace_back(orden("webp"), [&] {
        conMemoria(memoriaFila("webp", cg),
                   [&] { webp = webpDesdeRapido(cg, *dir, ajustes.quitarMetadatos, meta); });
    });
    if (ajustes.objetivoKB) {
        tareas.emplace_back(orden("objetivo"), [&] {
            conMemoria(memoriaFila("objetivo", cg), [&] {
                auto r = ajustarAPeso(cg, *ajustes.objetivoKB, *dir, meta);
                if (!r)
                    errores[n] = r.error();
                else
                    objetivo = std::move(*r);
            });
        });
    }
    std::stable_sort(tareas.begin(), tareas.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::function<void()>> enOrden;
    for (auto& t : tareas)
        enOrden.push_back(std::move(t.second));
    enParalelo(enOrden);

    for (const auto& e : errores)
        if (e) return *e;

    std::vector<Variante> lista;
    for (auto& v : hechas)
        if (v) lista.push_back(std::move(*v));
    if (webp) {
        auto pos = std::find_if(lista.begin(), lista.end(),
                                [](const Variante& v) { return v.sufijo == "personalizada"; });
        lista.insert(pos, std::move(*webp));
    }
    if (objetivo) lista.push_back(std::move(*objetivo));
    return lista;
}

} // namespace Livora
