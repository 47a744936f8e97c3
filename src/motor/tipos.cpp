#include "motor/tipos.h"

#include "motor/codec.h"

#include <algorithm>
#include <set>

#include <libheif/heif.h>

namespace Livora {

namespace {

std::string minusculas(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// A type, and what decodes it: a libvips loader and, for HEIF, libheif's decoder.
struct Fila {
    TipoLegible tipo;
    const char* cargador;
    heif_compression_format heif = heif_compression_undefined;
    bool disponible() const {
        return vips_type_find("VipsOperation", cargador) != 0 &&
               (heif == heif_compression_undefined || heif_have_decoder_for_format(heif));
    }
};

// Each type was checked to decode to the right colours (see the corpus tests); ImageMagick
// reads more, but flattened or approximated (layers, float HDR), so those are not offered.
const std::vector<Fila>& tabla() {
    static const std::vector<Fila> filas = {
        {{"image/jpeg", {}, {"jpg", "jpeg", "jpe"}}, "jpegload"},
        {{"image/png", {}, {"png"}}, "pngload"},
        {{"image/webp", {}, {"webp"}}, "webpload"},
        {{"image/heif", {"image/heic"}, {"heic", "heif", "hif"}},
         "heifload",
         heif_compression_HEVC},
        {{"image/avif", {}, {"avif"}}, "heifload", heif_compression_AV1},
        {{"image/tiff", {}, {"tif", "tiff"}}, "tiffload"},
        {{"image/gif", {}, {"gif"}}, "gifload"},
        {{"image/jxl", {}, {"jxl"}}, "jxlload"},
        {{"image/svg+xml", {}, {"svg"}}, "svgload"},
        {{"image/svg+xml-compressed", {}, {"svgz"}}, "svgload"},
        {{"image/jp2", {}, {"jp2"}}, "jp2kload"},
        {{"image/x-jp2-codestream", {}, {"j2k"}}, "jp2kload"},
        {{"image/x-portable-bitmap", {}, {"pbm"}}, "ppmload"},
        {{"image/x-portable-graymap", {}, {"pgm"}}, "ppmload"},
        {{"image/x-portable-pixmap", {}, {"ppm"}}, "ppmload"},
        {{"image/x-portable-anymap", {}, {"pnm"}}, "ppmload"},
        {{"image/bmp", {}, {"bmp", "dib"}}, "magickload"},
        {{"image/vnd.microsoft.icon", {}, {"ico"}}, "magickload"},
        {{"image/x-tga", {}, {"tga"}}, "magickload"},
        {{"image/vnd.adobe.photoshop", {}, {"psd"}}, "magickload"},
        {{"image/vnd.zbrush.pcx", {}, {"pcx"}}, "magickload"},
        {{"image/x-xpixmap", {}, {"xpm"}}, "magickload"},
        {{"image/x-sgi", {}, {"sgi"}}, "magickload"},
        {{"image/x-cmu-raster", {}, {"ras"}}, "magickload"},
        {{"image/x-dds", {}, {"dds"}}, "magickload"},
    };
    return filas;
}

} // namespace

const std::vector<std::string>& extensionesImagen() {
    // The extensions shared-mime-info 2.2 (Debian 12) gives an image type or a type that
    // inherits from one; tested against the desktop's database.
    static const std::vector<std::string> lista = {
        "jpg",  "jpeg", "jpe",   "png", "gif", "bmp", "dib", "tif", "tiff", "webp", "heic", "heif",
        "hif",  "avif", "avifs", "jxl", "jp2", "jpf", "j2k", "jpm", "ico",  "cur",  "icns", "tga",
        "icb",  "vda",  "pbm",   "pgm", "ppm", "pnm", "xbm", "xpm", "svg",  "svgz", "exr",  "psd",
        "dng",  "cr2",  "crw",   "nef", "nrw", "arw", "sr2", "srf", "orf",  "raf",  "rw2",  "pef",
        "x3f",  "raw",  "dcr",   "kdc", "mrw", "k25", "ras", "sgi", "rgb",  "pcx",  "wbmp", "jng",
        "djvu", "djv",  "wmf",   "emf", "xcf", "ora", "dds"};
    return lista;
}

bool esExtensionImagen(std::string ext) {
    ext = minusculas(std::move(ext));
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    static const std::set<std::string> imagenes(extensionesImagen().begin(),
                                                extensionesImagen().end());
    return imagenes.count(ext) > 0;
}

bool esImagen(const Ruta& url) {
    return esExtensionImagen(url.extension().string());
}

const std::vector<TipoLegible>& tiposLegibles() {
    static const std::vector<TipoLegible> tipos = [] {
        iniciarMotor();
        std::vector<TipoLegible> r;
        for (const auto& f : tabla())
            if (f.disponible()) r.push_back(f.tipo);
        return r;
    }();
    return tipos;
}

std::vector<std::string> patronesLegibles() {
    std::vector<std::string> r;
    for (const auto& t : tiposLegibles())
        for (const auto& e : t.extensiones) {
            std::string mayus = e;
            std::transform(mayus.begin(), mayus.end(), mayus.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            r.push_back("*." + e);
            r.push_back("*." + mayus);
        }
    return r;
}

} // namespace Livora
