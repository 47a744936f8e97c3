// Lossless PNG: colour-type and bit-depth reduction, per-row filters, libdeflate / zopfli.
#include "motor/png_optimo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

#include <libdeflate.h>
#include <zlib.h>
#include <zopfli/zopfli.h>

namespace Livora {

using vips::VImage;

namespace {

// ---- The picture's samples ----------------------------------------------------------------

// Rows of ancho × bandas samples (8-bit, or host-order 16-bit), bands as libvips gives them:
// grey, grey + alpha, RGB, RGBA.
struct Pixeles {
    int ancho = 0, alto = 0, bandas = 0;
    bool dieciseis = false;
    const std::uint8_t* datos = nullptr;
    VImage dueno;
    std::vector<std::uint8_t> propios;

    std::size_t bytesFila() const {
        return static_cast<std::size_t>(ancho) * bandas * (dieciseis ? 2 : 1);
    }
    const std::uint8_t* fila(int y) const { return datos + bytesFila() * y; }
    const std::uint16_t* fila16(int y) const {
        return reinterpret_cast<const std::uint16_t*>(fila(y));
    }
};

std::optional<Pixeles> leerPixeles(const Imagen& img) {
    if (img.get_image() == nullptr) return std::nullopt;
    Pixeles p;
    VImage m = img;
    if (m.bands() < 1 || m.bands() > 4) return std::nullopt;
    if (m.format() != VIPS_FORMAT_UCHAR && m.format() != VIPS_FORMAT_USHORT)
        m = m.cast(VIPS_FORMAT_UCHAR);
    p.dueno = m.copy_memory();
    p.ancho = p.dueno.width();
    p.alto = p.dueno.height();
    p.bandas = p.dueno.bands();
    p.dieciseis = p.dueno.format() == VIPS_FORMAT_USHORT;
    p.datos = static_cast<const std::uint8_t*>(p.dueno.data());
    if (!p.datos) return std::nullopt;
    if (p.dieciseis) {
        // 16-bit samples that are all multiples of 257 hold only 8 bits.
        const std::size_t n = static_cast<std::size_t>(p.ancho) * p.alto * p.bandas;
        const auto* s = reinterpret_cast<const std::uint16_t*>(p.datos);
        if (std::all_of(s, s + n, [](std::uint16_t v) { return v % 257 == 0; })) {
            p.propios.resize(n);
            for (std::size_t i = 0; i < n; ++i)
                p.propios[i] = static_cast<std::uint8_t>(s[i] / 257);
            p.datos = p.propios.data();
            p.dieciseis = false;
            p.dueno = VImage();
        }
    }
    return p;
}

// RGBA of pixel x of an 8-bit row, packed r | g << 8 | b << 16 | a << 24.
inline std::uint32_t rgba(const std::uint8_t* f, int bandas, int x) {
    const std::uint8_t* q = f + static_cast<std::size_t>(x) * bandas;
    switch (bandas) {
    case 1:
        return q[0] * 0x010101u | 0xff000000u;
    case 2:
        return q[0] * 0x010101u | static_cast<std::uint32_t>(q[1]) << 24;
    case 3:
        return q[0] | q[1] << 8 | q[2] << 16 | 0xff000000u;
    default:
        return q[0] | q[1] << 8 | q[2] << 16 | static_cast<std::uint32_t>(q[3]) << 24;
    }
}

// ---- Colour type and bit depth --------------------------------------------------------------

// Colour → palette index, open addressing; up to 256 colours.
class Colores {
public:
    static constexpr std::size_t capacidad = 1024;
    Colores() : claves_(capacidad, 0), usadas_(capacidad, false), indices_(capacidad, 0) {}

    // False once a 257th colour appears.
    bool anadir(std::uint32_t c) {
        std::size_t i = posicion(c);
        if (usadas_[i]) {
            ++cuentas_[indices_[i]];
            return true;
        }
        if (lista_.size() == 256) return false;
        usadas_[i] = true;
        claves_[i] = c;
        indices_[i] = static_cast<std::uint16_t>(lista_.size());
        lista_.push_back(c);
        cuentas_.push_back(1);
        return true;
    }
    const std::vector<std::uint32_t>& lista() const { return lista_; }
    const std::vector<std::size_t>& cuentas() const { return cuentas_; }
    std::uint8_t indice(std::uint32_t c) const {
        return static_cast<std::uint8_t>(indices_[posicion(c)]);
    }
    void reordenar(const std::vector<std::uint32_t>& orden) {
        lista_ = orden;
        for (std::size_t k = 0; k < lista_.size(); ++k)
            indices_[posicion(lista_[k])] = static_cast<std::uint16_t>(k);
    }

private:
    std::size_t posicion(std::uint32_t c) const {
        std::size_t i = (c * 2654435761u) >> 22;
        while (usadas_[i] && claves_[i] != c)
            i = (i + 1) & (capacidad - 1);
        return i;
    }
    std::vector<std::uint32_t> claves_;
    std::vector<bool> usadas_;
    std::vector<std::uint16_t> indices_;
    std::vector<std::uint32_t> lista_;
    std::vector<std::size_t> cuentas_;
};

struct Analisis {
    bool opaca = true;
    bool gris = true;
    bool pocosColores = false; // ≤ 256, listed in `colores`
    int bitsGris = 8;          // the least depth holding every grey level exactly
    Colores colores;
};

Analisis analizar(const Pixeles& p) {
    Analisis a;
    const bool alfa = p.bandas == 2 || p.bandas == 4;
    const bool color = p.bandas >= 3;
    if (p.dieciseis) {
        for (int y = 0; y < p.alto && (a.opaca || a.gris); ++y) {
            const std::uint16_t* f = p.fila16(y);
            for (int x = 0; x < p.ancho; ++x) {
                const std::uint16_t* q = f + static_cast<std::size_t>(x) * p.bandas;
                if (alfa && q[p.bandas - 1] != 65535) a.opaca = false;
                if (color && (q[0] != q[1] || q[0] != q[2])) a.gris = false;
            }
        }
        a.gris = a.gris || !color;
        return a;
    }
    a.pocosColores = true;
    std::array<bool, 256> niveles{};
    for (int y = 0; y < p.alto; ++y) {
        const std::uint8_t* f = p.fila(y);
        for (int x = 0; x < p.ancho; ++x) {
            const std::uint32_t c = rgba(f, p.bandas, x);
            if (a.opaca && (c >> 24) != 0xff) a.opaca = false;
            if (a.gris) {
                const std::uint32_t r = c & 0xff;
                if (((c >> 8) & 0xff) != r || ((c >> 16) & 0xff) != r)
                    a.gris = false;
                else
                    niveles[r] = true;
            }
            if (a.pocosColores && !a.colores.anadir(c)) a.pocosColores = false;
            // Nothing left to find: a photo stops here after a few hundred pixels.
            if (!a.gris && !a.pocosColores && (!alfa || !a.opaca)) return a;
        }
    }
    if (a.gris) {
        auto cabe = [&](int paso) {
            for (int v = 0; v < 256; ++v)
                if (niveles[v] && v % paso != 0) return false;
            return true;
        };
        a.bitsGris = cabe(255) ? 1 : cabe(85) ? 2 : cabe(17) ? 4 : 8;
    }
    return a;
}

// PNG colour types.
enum Tipo : std::uint8_t { Gris = 0, RGB = 2, Paleta = 3, GrisAlfa = 4, RGBA = 6 };

struct Forma {
    Tipo tipo = RGB;
    int bits = 8;
    std::vector<std::uint32_t> paleta;

    int canales() const {
        switch (tipo) {
        case RGB:
            return 3;
        case GrisAlfa:
            return 2;
        case RGBA:
            return 4;
        default:
            return 1;
        }
    }
    std::size_t bytesFila(int ancho) const {
        return (static_cast<std::size_t>(ancho) * canales() * bits + 7) / 8;
    }
    int bpp() const { return std::max(1, canales() * bits / 8); }
};

Forma formaDirecta(const Analisis& a, const Pixeles& p) {
    Forma f;
    f.bits = p.dieciseis ? 16 : 8;
    if (a.gris) {
        f.tipo = a.opaca ? Gris : GrisAlfa;
        if (f.tipo == Gris && !p.dieciseis) f.bits = a.bitsGris;
    } else {
        f.tipo = a.opaca ? RGB : RGBA;
    }
    return f;
}

// Translucent entries first, so that tRNS stays short; then the most used (flat graphics),
// or by alpha and lightness (gradients: neighbouring colours get neighbouring indices,
// which the row filters then turn into small differences). The indices are the colour
// table's once `usarPaleta` has been called.
Forma formaPaleta(const Analisis& a, bool porValor) {
    Forma f;
    f.tipo = Paleta;
    const auto& l = a.colores.lista();
    const auto& n = a.colores.cuentas();
    std::vector<std::size_t> orden(l.size());
    for (std::size_t i = 0; i < orden.size(); ++i)
        orden[i] = i;
    auto valor = [](std::uint32_t c) {
        const std::uint32_t r = c & 0xff, g = c >> 8 & 0xff, b = c >> 16 & 0xff;
        return std::pair{c >> 24, 299 * r + 587 * g + 114 * b};
    };
    std::stable_sort(orden.begin(), orden.end(), [&](std::size_t i, std::size_t j) {
        const bool ti = (l[i] >> 24) != 0xff, tj = (l[j] >> 24) != 0xff;
        if (ti != tj) return ti;
        if (porValor) return valor(l[i]) < valor(l[j]);
        return n[i] > n[j];
    });
    for (std::size_t i : orden)
        f.paleta.push_back(l[i]);
    const std::size_t k = f.paleta.size();
    f.bits = k <= 2 ? 1 : k <= 4 ? 2 : k <= 16 ? 4 : 8;
    return f;
}

void usarPaleta(Analisis& a, const Forma& f) {
    if (f.tipo == Paleta) a.colores.reordenar(f.paleta);
}

// One row in the form's sample layout, before filtering.
void filaCruda(const Pixeles& p, const Forma& f, const Colores& colores, int y,
               std::uint8_t* salida) {
    const int w = p.ancho;
    if (p.dieciseis) {
        const std::uint16_t* s = p.fila16(y);
        const int c = f.canales();
        std::size_t o = 0;
        for (int x = 0; x < w; ++x) {
            const std::uint16_t* q = s + static_cast<std::size_t>(x) * p.bandas;
            for (int k = 0; k < c; ++k) {
                // Grey from RGB takes R; alpha is always the source's last band.
                int banda = k;
                if (k == c - 1 && (f.tipo == GrisAlfa || f.tipo == RGBA)) banda = p.bandas - 1;
                const std::uint16_t v = q[banda];
                salida[o++] = static_cast<std::uint8_t>(v >> 8);
                salida[o++] = static_cast<std::uint8_t>(v & 0xff);
            }
        }
        return;
    }
    const std::uint8_t* s = p.fila(y);
    if (f.bits == 8 && f.tipo != Paleta && f.canales() == p.bandas) {
        std::memcpy(salida, s, f.bytesFila(w));
        return;
    }
    if (f.bits == 8) {
        std::uint8_t* o = salida;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = rgba(s, p.bandas, x);
            switch (f.tipo) {
            case Paleta:
                *o++ = colores.indice(c);
                break;
            case Gris:
                *o++ = static_cast<std::uint8_t>(c);
                break;
            case GrisAlfa:
                *o++ = static_cast<std::uint8_t>(c);
                *o++ = static_cast<std::uint8_t>(c >> 24);
                break;
            case RGB:
                *o++ = static_cast<std::uint8_t>(c);
                *o++ = static_cast<std::uint8_t>(c >> 8);
                *o++ = static_cast<std::uint8_t>(c >> 16);
                break;
            case RGBA:
                std::memcpy(o, &c, 4); // little-endian hosts only (x86-64, arm64)
                o += 4;
                break;
            }
        }
        return;
    }
    // Packed 1, 2 or 4 bits per pixel, leftmost pixel in the high bits.
    std::memset(salida, 0, f.bytesFila(w));
    const int porByte = 8 / f.bits;
    const int divisor = 255 / ((1 << f.bits) - 1);
    for (int x = 0; x < w; ++x) {
        const std::uint32_t c = rgba(s, p.bandas, x);
        const unsigned v = f.tipo == Paleta ? colores.indice(c) : (c & 0xff) / divisor;
        const int desplazamiento = 8 - f.bits * (x % porByte + 1);
        salida[x / porByte] |= static_cast<std::uint8_t>(v << desplazamiento);
    }
}

// ---- Row filters ----------------------------------------------------------------------------

inline std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

void filtrar(int tipo, const std::uint8_t* cur, const std::uint8_t* ant, std::size_t n, int bpp,
             std::uint8_t* o) {
    const std::size_t b = static_cast<std::size_t>(bpp);
    switch (tipo) {
    case 0:
        std::memcpy(o, cur, n);
        break;
    case 1:
        for (std::size_t i = 0; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(cur[i] - (i >= b ? cur[i - b] : 0));
        break;
    case 2:
        for (std::size_t i = 0; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(cur[i] - ant[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(cur[i] - ((i >= b ? cur[i - b] : 0) + ant[i]) / 2);
        break;
    default:
        for (std::size_t i = 0; i < b && i < n; ++i)
            o[i] = static_cast<std::uint8_t>(cur[i] - ant[i]);
        for (std::size_t i = b; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(cur[i] - paeth(cur[i - b], ant[i], ant[i - b]));
        break;
    }
}

enum class Estrategia { Ninguno, Absolutos, Entropia };

// Cost of a filtered row: the sum of |signed bytes| (libpng's heuristic) or the size of its
// bytes under their own entropy, which follows deflate's Huffman stage more closely.
double coste(Estrategia e, const std::uint8_t* o, std::size_t n) {
    if (e == Estrategia::Absolutos) {
        std::uint64_t s = 0;
        for (std::size_t i = 0; i < n; ++i)
            s += o[i] < 128 ? o[i] : 256 - o[i];
        return static_cast<double>(s);
    }
    std::array<std::uint32_t, 256> h{};
    for (std::size_t i = 0; i < n; ++i)
        ++h[o[i]];
    double bits = 0;
    for (std::uint32_t c : h)
        if (c) bits -= c * std::log2(static_cast<double>(c) / n);
    return bits;
}

// A buffer that is not zero-filled first: a 12 MP photo's would cost 36 MB of memset.
struct Buffer {
    std::unique_ptr<std::uint8_t[]> datos;
    std::size_t tamano = 0;
    explicit Buffer(std::size_t n = 0) : datos(n ? new std::uint8_t[n] : nullptr), tamano(n) {}
    std::uint8_t* data() { return datos.get(); }
    const std::uint8_t* data() const { return datos.get(); }
    std::size_t size() const { return tamano; }
    bool empty() const { return tamano == 0; }
};

// The rows of the form, each preceded by its filter type, ready for deflate.
Buffer filtrada(const Pixeles& p, const Forma& f, const Colores& colores, Estrategia e) {
    const std::size_t n = f.bytesFila(p.ancho);
    const int bpp = f.bpp();
    Buffer salida((n + 1) * p.alto);
    std::vector<std::uint8_t> cur(n), ant(n, 0);
    std::array<std::vector<std::uint8_t>, 5> pruebas;
    if (e != Estrategia::Ninguno)
        for (auto& b : pruebas)
            b.resize(n);
    const bool directa = !p.dieciseis && f.bits == 8 && f.tipo != Paleta && f.canales() == p.bandas;
    const std::uint8_t* anterior = ant.data();
    for (int y = 0; y < p.alto; ++y) {
        const std::uint8_t* actual;
        if (directa) {
            actual = p.fila(y);
        } else {
            filaCruda(p, f, colores, y, cur.data());
            actual = cur.data();
        }
        std::uint8_t* o = salida.data() + (n + 1) * y;
        int elegido = 0;
        if (e != Estrategia::Ninguno) {
            double mejor = 0;
            for (int t = 0; t < 5; ++t) {
                filtrar(t, actual, anterior, n, bpp, pruebas[t].data());
                const double c = coste(e, pruebas[t].data(), n);
                if (t == 0 || c < mejor) {
                    mejor = c;
                    elegido = t;
                }
            }
            std::memcpy(o + 1, pruebas[elegido].data(), n);
        } else {
            filtrar(0, actual, anterior, n, bpp, o + 1);
        }
        o[0] = static_cast<std::uint8_t>(elegido);
        if (directa) {
            anterior = actual;
        } else {
            std::swap(cur, ant);
            anterior = ant.data();
        }
    }
    return salida;
}

// ---- Deflate ---------------------------------------------------------------------------------

Buffer deflate(const Buffer& datos, int nivel) {
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> c(
        libdeflate_alloc_compressor(nivel), &libdeflate_free_compressor);
    if (!c) return Buffer();
    Buffer salida(libdeflate_zlib_compress_bound(c.get(), datos.size()));
    salida.tamano =
        libdeflate_zlib_compress(c.get(), datos.data(), datos.size(), salida.data(), salida.size());
    return salida;
}

// zlib with run-length matches only (distance 1), its strongest level. On filtered data with
// fine noise (dithered gradients) long-distance matches break the literals' statistics and
// cost more than they save: there this beats libdeflate's optimal parsing by 15 %.
Buffer rle(const Buffer& datos) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15, 9, Z_RLE) != Z_OK) return Buffer();
    Buffer salida(deflateBound(&z, datos.size()));
    z.next_in = const_cast<Bytef*>(datos.data());
    z.avail_in = static_cast<uInt>(datos.size());
    z.next_out = salida.data();
    z.avail_out = static_cast<uInt>(salida.size());
    const bool bien = ::deflate(&z, Z_FINISH) == Z_STREAM_END;
    salida.tamano = bien ? z.total_out : 0;
    deflateEnd(&z);
    return salida;
}

Buffer zopfli(const Buffer& datos) {
    ZopfliOptions o;
    ZopfliInitOptions(&o);
    o.numiterations = 15;
    unsigned char* salida = nullptr;
    std::size_t n = 0;
    ZopfliCompress(&o, ZOPFLI_FORMAT_ZLIB, datos.data(), datos.size(), &salida, &n);
    Buffer r(n);
    if (n) std::memcpy(r.data(), salida, n);
    std::free(salida);
    return r;
}

// ---- Writing the file --------------------------------------------------------------------------

void be32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> s));
}

void chunk(Bytes& b, const char* tipo, const std::uint8_t* datos, std::size_t n) {
    be32(b, static_cast<std::uint32_t>(n));
    b.insert(b.end(), tipo, tipo + 4);
    if (n) b.insert(b.end(), datos, datos + n);
    std::uint32_t crc = libdeflate_crc32(0, tipo, 4);
    // A null buffer would restart the CRC.
    if (n) crc = libdeflate_crc32(crc, datos, n);
    be32(b, crc);
}

constexpr std::array<std::uint8_t, 8> firma{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Everything before the image data.
Bytes cabeceraPNG(const Pixeles& p, const Forma& f, const Imagen& img, std::size_t reserva) {
    Bytes b(firma.begin(), firma.end());
    b.reserve(reserva + 1024);
    Bytes ihdr;
    be32(ihdr, static_cast<std::uint32_t>(p.ancho));
    be32(ihdr, static_cast<std::uint32_t>(p.alto));
    ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(f.bits), f.tipo, 0, 0, 0});
    chunk(b, "IHDR", ihdr.data(), ihdr.size());
    if (f.tipo == Paleta) {
        Bytes plte, trns;
        for (std::uint32_t c : f.paleta) {
            plte.insert(plte.end(),
                        {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c >> 16)});
            if ((c >> 24) != 0xff) trns.push_back(static_cast<std::uint8_t>(c >> 24));
        }
        chunk(b, "PLTE", plte.data(), plte.size());
        if (!trns.empty()) chunk(b, "tRNS", trns.data(), trns.size());
    }
    // The density, unless it is libvips' "none" (1 pixel per mm).
    const double xr = img.xres(), yr = img.yres();
    if (xr > 0 && yr > 0 && (std::abs(xr - 1.0) > 1e-6 || std::abs(yr - 1.0) > 1e-6)) {
        Bytes phys;
        be32(phys, static_cast<std::uint32_t>(std::lround(xr * 1000)));
        be32(phys, static_cast<std::uint32_t>(std::lround(yr * 1000)));
        phys.push_back(1);
        chunk(b, "pHYs", phys.data(), phys.size());
    }
    return b;
}

Bytes archivoPNG(const Pixeles& p, const Forma& f, const Buffer& idat, const Imagen& img) {
    Bytes b = cabeceraPNG(p, f, img, idat.size());
    constexpr std::size_t trozo = 8u << 20;
    for (std::size_t i = 0; i < idat.size(); i += trozo)
        chunk(b, "IDAT", idat.data() + i, std::min(trozo, idat.size() - i));
    if (idat.empty()) chunk(b, "IDAT", nullptr, 0);
    chunk(b, "IEND", nullptr, 0);
    return b;
}

// Unfiltered rows in stored deflate blocks, written straight into the file: one pass over the
// pixels (a 12 MP photo in about a tenth of a second), no intermediate buffers.
Bytes pngAlmacenado(const Pixeles& p, const Forma& f, const Imagen& img) {
    const std::size_t n = f.bytesFila(p.ancho);
    const std::size_t total = (n + 1) * static_cast<std::size_t>(p.alto);
    constexpr std::size_t maxBloque = 65535;
    const std::size_t bloques = std::max<std::size_t>(1, (total + maxBloque - 1) / maxBloque);
    const std::size_t zlib = 2 + total + 5 * bloques + 4;
    Bytes b = cabeceraPNG(p, f, img, zlib + 24);
    const std::size_t inicio = b.size();
    be32(b, static_cast<std::uint32_t>(zlib));
    b.insert(b.end(), {'I', 'D', 'A', 'T', 0x78, 0x01});
    std::size_t quedan = total, enBloque = 0;
    std::uint32_t adler = 1;
    auto escribir = [&](const std::uint8_t* d, std::size_t k) {
        while (k > 0) {
            if (enBloque == 0) {
                const std::size_t largo = std::min(maxBloque, quedan);
                const auto l = static_cast<std::uint16_t>(largo);
                b.insert(b.end(),
                         {static_cast<std::uint8_t>(quedan <= maxBloque ? 1 : 0),
                          static_cast<std::uint8_t>(l & 0xff), static_cast<std::uint8_t>(l >> 8),
                          static_cast<std::uint8_t>(~l & 0xff),
                          static_cast<std::uint8_t>((~l >> 8) & 0xff)});
                enBloque = largo;
            }
            const std::size_t m = std::min(k, enBloque);
            b.insert(b.end(), d, d + m);
            adler = libdeflate_adler32(adler, d, m);
            d += m;
            k -= m;
            enBloque -= m;
            quedan -= m;
        }
    };
    std::vector<std::uint8_t> fila(n);
    const std::uint8_t cero = 0;
    Colores ninguno;
    for (int y = 0; y < p.alto; ++y) {
        escribir(&cero, 1);
        filaCruda(p, f, ninguno, y, fila.data());
        escribir(fila.data(), n);
    }
    be32(b, adler);
    be32(b, libdeflate_crc32(0, b.data() + inicio + 4, b.size() - inicio - 4));
    chunk(b, "IEND", nullptr, 0);
    return b;
}

// Above this much unfiltered data only one form and one filter strategy are tried.
constexpr std::size_t limitePruebas = 16u << 20;
// Zopfli squeezes a few per cent more than libdeflate's best at about a hundred times the
// time: worth it only for small pictures.
constexpr std::size_t limiteZopfli = 192u << 10;
// Above this the whole filtered picture and its deflate output would not fit comfortably in
// memory at once: libvips' streaming encoder takes over.
constexpr std::size_t limiteMemoria = 512u << 20;

std::optional<Bytes> pngStreaming(const Imagen& img) {
    VipsBlob* blob = img.pngsave_buffer(VImage::option()
                                            ->set("compression", 6)
                                            ->set("filter", VIPS_FOREIGN_PNG_FILTER_ALL)
                                            ->set("strip", true));
    std::size_t n = 0;
    const auto* d = static_cast<const std::uint8_t*>(vips_blob_get(blob, &n));
    Bytes b(d, d + n);
    vips_area_unref(VIPS_AREA(blob));
    return b;
}

} // namespace

std::optional<Bytes> codificarPNG(const Imagen& img, EsfuerzoPNG esfuerzo) {
    iniciarMotor();
    try {
        // Decided before the samples are read: for a huge picture that is not already a
        // buffer of 8 or 16-bit samples, reading them would be one more copy of it.
        const std::size_t muestra = img.format() == VIPS_FORMAT_USHORT ? 2 : 1;
        if (img.get_image() &&
            static_cast<std::size_t>(img.width()) * img.height() * img.bands() * muestra >
                limiteMemoria)
            return pngStreaming(img);
        auto p = leerPixeles(img);
        if (!p || p->ancho < 1 || p->alto < 1) return std::nullopt;
        const std::size_t crudo = p->bytesFila() * static_cast<std::size_t>(p->alto);

        if (esfuerzo == EsfuerzoPNG::Rapido) {
            Forma f;
            f.bits = p->dieciseis ? 16 : 8;
            f.tipo = std::array<Tipo, 4>{Gris, GrisAlfa, RGB, RGBA}[p->bandas - 1];
            return pngAlmacenado(*p, f, img);
        }

        Analisis a = analizar(*p);
        std::vector<Forma> formas;
        if (a.pocosColores) {
            formas = {formaPaleta(a, false)};
            if (crudo <= limitePruebas) formas.push_back(formaPaleta(a, true));
            if (a.gris) {
                // A grey of no more bits per pixel needs no palette (grey with alpha has
                // two samples: its few pairs often fit one palette byte); otherwise the
                // trials decide, or the palette's fewer bits when there are no trials.
                Forma gris = formaDirecta(a, *p);
                if (gris.bits * gris.canales() <= formas.front().bits)
                    formas = {gris};
                else if (crudo <= limitePruebas)
                    formas.push_back(gris);
            }
        } else {
            formas = {formaDirecta(a, *p)};
        }

        const bool pruebas = crudo <= limitePruebas;
        std::vector<Estrategia> estrategias{Estrategia::Entropia};
        if (pruebas)
            estrategias = {Estrategia::Ninguno, Estrategia::Absolutos, Estrategia::Entropia};
        // Trials at a middling level pick the form and strategy; the winner is then
        // deflated at the strongest one. On a 12 MP photo level 6 makes 23.16 MB in about
        // 2 s, level 1 23.27 MB and level 8 23.15 MB for 0.35 s more.
        const int nivelPrueba = 6;
        Buffer mejorFiltrada, mejorDeflate, mejorRle;
        const Forma* mejorForma = nullptr;
        const Forma* formaRle = nullptr;
        std::size_t mejorTamano = 0;
        for (const Forma& f : formas) {
            usarPaleta(a, f);
            for (Estrategia e : estrategias) {
                auto datos = filtrada(*p, f, a.colores, e);
                if (pruebas) {
                    auto r = rle(datos);
                    if (!r.empty() && (!formaRle || r.size() < mejorRle.size())) {
                        mejorRle = std::move(r);
                        formaRle = &f;
                    }
                }
                auto z = deflate(datos, nivelPrueba);
                if (z.empty()) continue;
                if (!mejorForma || z.size() < mejorTamano) {
                    mejorTamano = z.size();
                    mejorForma = &f;
                    mejorFiltrada = std::move(datos);
                    mejorDeflate = std::move(z);
                }
            }
        }
        if (!mejorForma) return std::nullopt;
        // With a single trial its output is the final one.
        Buffer idat = pruebas ? deflate(mejorFiltrada, 12) : std::move(mejorDeflate);
        if (pruebas && mejorFiltrada.size() <= limiteZopfli) {
            auto z = zopfli(mejorFiltrada);
            if (!z.empty() && z.size() < idat.size()) idat = std::move(z);
        }
        if (formaRle && !mejorRle.empty() && (idat.empty() || mejorRle.size() < idat.size())) {
            idat = std::move(mejorRle);
            mejorForma = formaRle;
        }
        if (idat.empty()) return std::nullopt;
        return archivoPNG(*p, *mejorForma, idat, img);
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

namespace {

std::uint32_t leer32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Whether the PNG file decodes to exactly the picture (grey and 16-bit multiples of 257
// compare as the engine decodes them).
bool mismosPixeles(const Ruta& archivo, const Imagen& img) {
    try {
        VImage f = VImage::new_from_file(archivo.c_str(),
                                         VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        if (f.width() != img.width() || f.height() != img.height()) return false;
        VImage g = img;
        if (f.format() == VIPS_FORMAT_USHORT && g.format() == VIPS_FORMAT_UCHAR) {
            if ((f % 257.0).max() != 0) return false;
            f = (f / 257.0).cast(VIPS_FORMAT_UCHAR);
        }
        if (f.format() != g.format()) return false;
        if (f.bands() < 3 && g.bands() >= 3) {
            VImage y = f.extract_band(0);
            f = f.bands() == 2 ? VImage::bandjoin({y, y, y, f.extract_band(1)})
                               : VImage::bandjoin({y, y, y});
        }
        if (f.bands() != g.bands()) return false;
        return (f == g).min() == 255.0;
    } catch (const vips::VError&) {
        vips_error_clear();
        return false;
    }
}

} // namespace

std::optional<Bytes> pngConservable(const Ruta& archivo, const Imagen& img) {
    std::ifstream in(archivo, std::ios::binary);
    std::array<std::uint8_t, 8> cabecera{};
    if (!in.read(reinterpret_cast<char*>(cabecera.data()), 8) || cabecera != firma)
        return std::nullopt;
    Bytes todo(firma.begin(), firma.end());
    todo.insert(todo.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    // What draws the picture and how its colours are meant; text, EXIF, time, animation
    // and private chunks go, as the metadata switch does for every output.
    static const std::array<const char*, 13> conservados{"IHDR", "PLTE", "tRNS", "IDAT", "IEND",
                                                         "gAMA", "cHRM", "sRGB", "iCCP", "sBIT",
                                                         "bKGD", "pHYs", "cICP"};
    Bytes salida(firma.begin(), firma.end());
    std::size_t pos = 8;
    bool fin = false;
    while (!fin && pos + 12 <= todo.size()) {
        const std::uint32_t n = leer32(&todo[pos]);
        if (n > todo.size() - pos - 12) return std::nullopt;
        const char* tipo = reinterpret_cast<const char*>(&todo[pos + 4]);
        if (pos == 8 && (std::memcmp(tipo, "IHDR", 4) != 0 || n != 13 ||
                         leer32(&todo[pos + 8]) != static_cast<std::uint32_t>(img.width()) ||
                         leer32(&todo[pos + 12]) != static_cast<std::uint32_t>(img.height())))
            return std::nullopt;
        if (std::any_of(conservados.begin(), conservados.end(),
                        [&](const char* c) { return std::memcmp(c, tipo, 4) == 0; }))
            salida.insert(salida.end(), todo.begin() + static_cast<std::ptrdiff_t>(pos),
                          todo.begin() + static_cast<std::ptrdiff_t>(pos + 12 + n));
        fin = std::memcmp(tipo, "IEND", 4) == 0;
        pos += 12 + n;
    }
    if (!fin) return std::nullopt;
    todo = Bytes();
    if (!mismosPixeles(archivo, img)) return std::nullopt;
    return salida;
}

std::optional<Bytes> pngSinPerdida(const Imagen& img, const std::optional<Ruta>& original) {
    auto nuestro = codificarPNG(img, EsfuerzoPNG::Optimo);
    if (!original) return nuestro;
    auto suyo = pngConservable(*original, img);
    if (suyo && (!nuestro || suyo->size() <= nuestro->size())) return suyo;
    return nuestro;
}

} // namespace Livora
