// SSIM on luma of each candidate against a lossless reference.
// Decodes everything with libvips (HEIC/AVIF through libheif); when a candidate is smaller
// (the capped JPEGs) the reference is downscaled to exactly its size with the same lanczos3
// kernel the engine uses, so the figure measures the encoder, not the resize.
//
//   calidad REFERENCIA CANDIDATO...   →  one line per candidate: "ssim ancho alto ruta"
//   calidad --exacto REFERENCIA CANDIDATO...  →  "igual ruta" or "distinto ruta": every
//   sample the same once both are RGBA at 16 bits (8-bit samples × 257)
#include <opencv2/core.hpp>
#include <opencv2/quality.hpp>
#include <vips/vips8>

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

using vips::VImage;

namespace {

VImage rgb8(const char* ruta) {
    VImage img =
        VImage::new_from_file(ruta, VImage::option()->set("access", VIPS_ACCESS_RANDOM)).autorot();
    if (img.interpretation() != VIPS_INTERPRETATION_sRGB &&
        img.interpretation() != VIPS_INTERPRETATION_B_W)
        img = img.colourspace(VIPS_INTERPRETATION_sRGB);
    if (img.has_alpha()) img = img.flatten(VImage::option()->set("background", 255));
    if (img.bands() == 1) img = VImage::bandjoin({img, img, img});
    return img.cast(VIPS_FORMAT_UCHAR).copy_memory();
}

VImage rgba16(const char* ruta) {
    VImage img = VImage::new_from_file(ruta).autorot();
    const bool dieciseis = img.format() == VIPS_FORMAT_USHORT;
    if (img.bands() <= 2) {
        VImage y = img.extract_band(0);
        img = img.bands() == 2 ? VImage::bandjoin({y, y, y, img.extract_band(1)})
                               : VImage::bandjoin({y, y, y});
    }
    VImage r = dieciseis ? img.cast(VIPS_FORMAT_INT) : img.cast(VIPS_FORMAT_INT) * 257;
    if (r.bands() == 3) r = r.bandjoin_const({65535});
    return r.cast(VIPS_FORMAT_INT);
}

int exacto(int argc, char** argv) {
    const VImage ref = rgba16(argv[2]);
    int estado = 0;
    for (int i = 3; i < argc; ++i) {
        try {
            const VImage c = rgba16(argv[i]);
            const bool igual =
                c.width() == ref.width() && c.height() == ref.height() && (c == ref).min() == 255;
            std::printf("%s %s\n", igual ? "igual" : "distinto", argv[i]);
        } catch (const vips::VError& e) {
            std::printf("distinto %s\n", argv[i]);
            estado = 1;
        }
    }
    return estado;
}

// BT.601 luma as float, the plane SSIM tools conventionally compare.
cv::Mat luma(const VImage& rgb) {
    VImage y = rgb.recomb(VImage::new_matrixv(3, 1, 0.299, 0.587, 0.114)).copy_memory();
    cv::Mat m(y.height(), y.width(), CV_32FC1);
    size_t n = 0;
    auto* datos = static_cast<float*>(y.write_to_memory(&n));
    std::memcpy(m.data, datos, n);
    g_free(datos);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) return 1;
    if (argc > 3 && std::strcmp(argv[1], "--exacto") == 0) return exacto(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "uso: calidad REFERENCIA CANDIDATO...\n");
        return 2;
    }
    const VImage ref = rgb8(argv[1]);
    std::map<std::pair<int, int>, cv::Mat> refs;
    int estado = 0;
    for (int i = 2; i < argc; ++i) {
        try {
            const VImage cand = rgb8(argv[i]);
            const auto clave = std::make_pair(cand.width(), cand.height());
            auto it = refs.find(clave);
            if (it == refs.end()) {
                VImage r = ref;
                if (r.width() != cand.width() || r.height() != cand.height())
                    r = r.resize(
                        double(cand.width()) / r.width(),
                        VImage::option()->set("vscale", double(cand.height()) / r.height()));
                it = refs.emplace(clave, luma(r.cast(VIPS_FORMAT_UCHAR))).first;
            }
            const double ssim =
                cv::quality::QualitySSIM::compute(it->second, luma(cand), cv::noArray())[0];
            std::printf("%.5f %d %d %s\n", ssim, cand.width(), cand.height(), argv[i]);
        } catch (const vips::VError& e) {
            std::printf("nan 0 0 %s\n", argv[i]);
            std::fprintf(stderr, "%s: %s\n", argv[i], e.what());
            estado = 1;
        }
    }
    return estado;
}
