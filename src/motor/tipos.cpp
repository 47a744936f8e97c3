#include "motor/tipos.h"

#include <algorithm>
#include <set>

namespace Livora {

const std::set<std::string>& extensionesImagen() {
    static const std::set<std::string> imagenes = {
        "jpg",  "jpeg", "jpe",   "jfif",  "png",  "gif",   "bmp", "dib", "tif",  "tiff", "webp",
        "heic", "heif", "heics", "heifs", "avif", "avifs", "jxl", "jp2", "jpf",  "jpx",  "j2k",
        "jpm",  "ico",  "cur",   "icns",  "tga",  "icb",   "vda", "vst", "pbm",  "pgm",  "ppm",
        "pnm",  "pam",  "xbm",   "xpm",   "svg",  "svgz",  "exr", "hdr", "pic",  "psd",  "dng",
        "cr2",  "crw",  "nef",   "nrw",   "arw",  "sr2",   "srf", "orf", "raf",  "rw2",  "pef",
        "x3f",  "erf",  "raw",   "dcr",   "kdc",  "mrw",   "3fr", "mos", "mef",  "k25",  "fits",
        "fit",  "fts",  "ras",   "sgi",   "rgb",  "rgba",  "bw",  "pcx", "wbmp", "apng", "jng",
        "mng",  "djvu", "djv",   "wmf",   "emf",  "xcf",   "ora", "kra", "jxr",  "wdp",  "hdp",
        "qoi",  "dds",  "bpg",   "jxs",   "jls",  "heics"};
    return imagenes;
}

bool esExtensionImagen(std::string ext) {
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    return extensionesImagen().count(ext) > 0;
}

bool esImagen(const Ruta& url) {
    return esExtensionImagen(url.extension().string());
}

} // namespace Livora
