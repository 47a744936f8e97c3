#include "motor/fondo.h"

#include "motor/codec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/imgproc.hpp>

namespace Livora {

using vips::VImage;

namespace {

constexpr int ladoRed = 1024;

std::string entorno(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

std::vector<Ruta> candidatos() {
    std::vector<Ruta> dirs;
    std::string home = entorno("XDG_DATA_HOME");
    if (home.empty() && !entorno("HOME").empty()) home = entorno("HOME") + "/.local/share";
    if (!home.empty()) dirs.push_back(Ruta(home) / "livora");
    std::string datos = entorno("XDG_DATA_DIRS");
    if (datos.empty()) datos = "/usr/local/share:/usr/share";
    std::stringstream ss(datos);
    for (std::string d; std::getline(ss, d, ':');)
        if (!d.empty()) dirs.push_back(Ruta(d) / "livora");
    dirs.emplace_back(LIVORA_DATOS_INSTALADOS);
    // Empty in a packaged build.
    if (const Ruta build = LIVORA_DATOS_BUILD; !build.empty()) dirs.push_back(build);
    return dirs;
}

// A model file as it is on disk: a file replaced in place is loaded (or tried) again.
struct Huella {
    Ruta ruta;
    std::filesystem::file_time_type modificado{};
    std::uintmax_t bytes = 0;
    bool operator==(const Huella&) const = default;
};

Huella huellaDe(const Ruta& p) {
    std::error_code ec;
    Huella h{p};
    h.modificado = std::filesystem::last_write_time(p, ec);
    h.bytes = std::filesystem::file_size(p, ec);
    return h;
}

// The network, loaded once; a file that failed to load is not tried again while unchanged.
struct Red {
    std::mutex cerrojo;
    std::optional<cv::dnn::Net> net;
    std::optional<Huella> cargada;
    std::optional<Huella> fallida;
};

Red& red() {
    static Red r;
    return r;
}

// With the lock held.
bool cargarRed(Red& r, const Ruta& modelo) {
    const Huella h = huellaDe(modelo);
    if (r.net && r.cargada == h) return true;
    if (r.fallida == h) return false;
    r.net.reset();
    r.cargada.reset();
    try {
        cv::dnn::Net net = cv::dnn::readNetFromONNX(modelo.string());
        if (!net.empty()) {
            r.net = std::move(net);
            r.cargada = h;
            return true;
        }
    } catch (const cv::Exception&) {
    } catch (const std::exception&) {
    }
    r.fallida = h;
    return false;
}

bool seLee(const Ruta& p) {
    std::ifstream f(p, std::ios::binary);
    return f && f.get() != std::char_traits<char>::eof();
}

// 1024 × 1024 RGB stretched, (x − 128) / 256, planar.
cv::Mat entradaRed(const VImage& img) {
    VImage rgb = img;
    if (rgb.bands() == 4) rgb = rgb.flatten(VImage::option()->set("background", 255.0));
    if (rgb.bands() != 3) rgb = rgb.colourspace(VIPS_INTERPRETATION_sRGB);
    rgb = rgb.cast(VIPS_FORMAT_UCHAR)
              .resize(static_cast<double>(ladoRed) / rgb.width(),
                      VImage::option()
                          ->set("vscale", static_cast<double>(ladoRed) / rgb.height())
                          ->set("kernel", VIPS_KERNEL_LINEAR));
    if (rgb.width() != ladoRed || rgb.height() != ladoRed)
        rgb = rgb.embed(0, 0, ladoRed, ladoRed, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    rgb = rgb.cast(VIPS_FORMAT_UCHAR);
    std::size_t largo = 0;
    auto* pix = static_cast<unsigned char*>(rgb.write_to_memory(&largo));
    int forma[4] = {1, 3, ladoRed, ladoRed};
    cv::Mat blob(4, forma, CV_32F);
    float* planos = blob.ptr<float>();
    const std::size_t n = static_cast<std::size_t>(ladoRed) * ladoRed;
    for (std::size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            planos[c * n + i] = (pix[i * 3 + c] - 128.0f) / 256.0f;
    g_free(pix);
    return blob;
}

std::optional<cv::Mat> inferir(const VImage& img, const Ruta& modelo) {
    cv::Mat blob = entradaRed(img);
    Red& r = red();
    std::lock_guard bloqueo(r.cerrojo);
    if (!cargarRed(r, modelo)) return std::nullopt;
    r.net->setInput(blob, "input");
    cv::Mat salida = r.net->forward("output");
    if (salida.total() != static_cast<std::size_t>(ladoRed) * ladoRed) return std::nullopt;
    // Copied out: the next forward reuses the network's buffers.
    return cv::Mat(ladoRed, ladoRed, CV_32F, salida.ptr<float>()).clone();
}

cv::Mat aMat(const VImage& mascara) {
    VImage m = mascara.bands() > 1 ? mascara.extract_band(0) : mascara;
    m = m.cast(VIPS_FORMAT_FLOAT);
    std::size_t largo = 0;
    auto* datos = static_cast<float*>(m.write_to_memory(&largo));
    cv::Mat mat = cv::Mat(m.height(), m.width(), CV_32F, datos).clone();
    g_free(datos);
    return mat;
}

VImage aVips(const cv::Mat& m) {
    cv::Mat c = m.isContinuous() ? m : m.clone();
    VipsImage* copia = vips_image_new_from_memory_copy(c.data, c.total() * c.elemSize(), c.cols,
                                                       c.rows, 1, VIPS_FORMAT_FLOAT);
    if (!copia) throw vips::VError();
    return VImage(copia);
}

} // namespace

std::optional<Ruta> rutaModeloFondo() {
    std::error_code ec;
    std::string propia = entorno("LIVORA_MODELO");
    if (!propia.empty()) {
        if (std::filesystem::is_regular_file(propia, ec)) return Ruta(propia);
        return std::nullopt;
    }
    for (const Ruta& d : candidatos()) {
        Ruta p = d / nombreModeloFondo;
        if (std::filesystem::is_regular_file(p, ec)) return p;
    }
    return std::nullopt;
}

Resultado<Ruta> modeloFondo(bool cargar) {
    const std::string propia = entorno("LIVORA_MODELO");
    auto ruta = rutaModeloFondo();
    if (!ruta) {
        if (!propia.empty())
            return error("Falta el modelo para quitar el fondo: LIVORA_MODELO señala " + propia +
                         ", que no existe.");
        return error(std::string("Falta el modelo para quitar el fondo (") + nombreModeloFondo +
                     "). Reinstala Livora o, desde el código fuente, ejecuta scripts/modelo.");
    }
    if (!seLee(*ruta))
        return error("No se puede leer el modelo para quitar el fondo (" + ruta->string() +
                     "). Revisa sus permisos o reinstala Livora.");
    if (cargar) {
        Red& r = red();
        std::lock_guard bloqueo(r.cerrojo);
        if (!cargarRed(r, *ruta))
            return error("El modelo para quitar el fondo está dañado (" + ruta->string() +
                         "). Reinstala Livora o, desde el código fuente, ejecuta scripts/modelo.");
    }
    return *ruta;
}

bool modeloFondoDisponible() {
    return rutaModeloFondo().has_value();
}

bool haySujeto(const Imagen& mascara, double proporcion) {
    try {
        cv::Mat m = aMat(mascara);
        if (m.empty()) return false;
        double minimo = 0, maximo = 0;
        cv::minMaxLoc(m, &minimo, &maximo);
        if (!(maximo >= 0.5)) return false;
        // Judged at the picture's proportions, long side 1024, so the opening's size means
        // the same share of the frame whatever the network's square stretch did.
        if (!(proporcion > 0) || !std::isfinite(proporcion)) proporcion = 1;
        const int ancho =
            proporcion >= 1 ? ladoRed : std::max(1, int(std::lround(ladoRed * proporcion)));
        const int alto =
            proporcion >= 1 ? std::max(1, int(std::lround(ladoRed / proporcion))) : ladoRed;
        cv::Mat escalada;
        cv::resize(m, escalada, cv::Size(ancho, alto), 0, 0, cv::INTER_LINEAR);
        cv::Mat binaria = escalada > 0.5;
        const int k = std::max(1, int(std::lround(0.03 * std::min(ancho, alto))));
        cv::Mat elemento = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(k, k));
        cv::Mat abierta;
        cv::morphologyEx(binaria, abierta, cv::MORPH_OPEN, elemento);
        const double quedan = cv::countNonZero(abierta);
        return quedan / (static_cast<double>(ancho) * alto) >= 0.002;
    } catch (const cv::Exception&) {
        return false;
    } catch (const vips::VError&) {
        vips_error_clear();
        return false;
    }
}

Imagen recortarConMascara(const Imagen& img, const Imagen& mascara) {
    iniciarMotor();
    const int W = img.width(), H = img.height();
    VImage m = mascara.bands() > 1 ? mascara.extract_band(0) : mascara;
    m = m.cast(VIPS_FORMAT_FLOAT);
    if (m.width() != W || m.height() != H) {
        m = m.resize(static_cast<double>(W) / m.width(),
                     VImage::option()
                         ->set("vscale", static_cast<double>(H) / m.height())
                         ->set("kernel", VIPS_KERNEL_LINEAR));
        if (m.width() != W || m.height() != H)
            m = m.embed(0, 0, W, H, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    }
    VImage alfa = (m * 255.0 + 0.5).cast(VIPS_FORMAT_UCHAR);
    VImage rgb = img.bands() >= 3 ? img.extract_band(0, VImage::option()->set("n", 3))
                                  : img.colourspace(VIPS_INTERPRETATION_sRGB);
    if (img.bands() == 4)
        alfa = (alfa.cast(VIPS_FORMAT_FLOAT) * img.extract_band(3) / 255.0 + 0.5)
                   .cast(VIPS_FORMAT_UCHAR);
    // What is fully transparent keeps nothing of the background.
    rgb = (alfa == 0).ifthenelse(std::vector<double>{0, 0, 0}, rgb.cast(VIPS_FORMAT_UCHAR));
    return rgb.bandjoin(alfa)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .copy_memory();
}

std::optional<Imagen> quitarFondo(const Imagen& img) {
    iniciarMotor();
    auto modelo = rutaModeloFondo();
    if (!modelo || img.width() < 1 || img.height() < 1) return std::nullopt;
    try {
        auto mascara = inferir(img, *modelo);
        if (!mascara) return std::nullopt;
        VImage m = aVips(*mascara);
        const double proporcion = static_cast<double>(img.width()) / img.height();
        if (!haySujeto(m, proporcion)) return std::nullopt;
        return recortarConMascara(img, m);
    } catch (const cv::Exception&) {
        return std::nullopt;
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace Livora
