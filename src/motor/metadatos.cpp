#include "motor/metadatos.h"

#include "motor/png.h"
#include "motor/texto.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include <exiv2/exiv2.hpp>

namespace Livora {

namespace {

std::optional<std::string> texto(const Exiv2::ExifData& d, const char* clave) {
    auto it = d.findKey(Exiv2::ExifKey(clave));
    if (it == d.end() || it->typeId() != Exiv2::asciiString) return std::nullopt;
    std::string s = it->toString();
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    // EXIF says ASCII, but older cameras and software wrote Latin-1 or Windows-1252.
    return textoUtf8(s);
}

std::optional<double> numero(const Exiv2::ExifData& d, const char* clave) {
    auto it = d.findKey(Exiv2::ExifKey(clave));
    if (it == d.end() || it->count() < 1) return std::nullopt;
    switch (it->typeId()) {
    case Exiv2::unsignedRational:
    case Exiv2::signedRational: {
        auto r = it->toRational(0);
        if (r.second == 0) return std::nullopt;
        return static_cast<double>(r.first) / r.second;
    }
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble:
        return static_cast<double>(it->toFloat(0));
    default:
        return std::nullopt;
    }
}

// Degrees, minutes and seconds as three rationals, to unsigned decimal degrees.
std::optional<double> grados(const Exiv2::ExifData& d, const char* clave) {
    auto it = d.findKey(Exiv2::ExifKey(clave));
    if (it == d.end() || it->typeId() != Exiv2::unsignedRational || it->count() < 1)
        return std::nullopt;
    double total = 0, divisor = 1;
    for (long i = 0; i < std::min<long>(3, it->count()); ++i, divisor *= 60) {
        auto r = it->toRational(i);
        if (r.second == 0) {
            if (i == 0) return std::nullopt;
            continue;
        }
        total += static_cast<double>(r.first) / r.second / divisor;
    }
    return total;
}

bool tieneGrupo(const Exiv2::ExifData& d, const std::string& grupo) {
    for (const auto& e : d)
        if (e.groupName() == grupo) return true;
    return false;
}

// The blocks outputs may carry: IFD0, the Exif IFD and its interoperability IFD, GPS.
// The thumbnail (IFD1) and maker notes are left out; Orientation is 1 because the pixels
// are decoded upright.
Exiv2::ExifData exifConservable(const Exiv2::ExifData& origen) {
    Exiv2::ExifData r;
    for (const auto& e : origen) {
        const std::string g = e.groupName();
        if (g != "Image" && g != "Photo" && g != "GPSInfo" && g != "Iop") continue;
        const std::string k = e.key();
        if (k == "Exif.Photo.MakerNote" || k == "Exif.Image.ExifTag" || k == "Exif.Image.GPSTag" ||
            k == "Exif.Photo.InteroperabilityTag" || k == "Exif.Image.JPEGInterchangeFormat" ||
            k == "Exif.Image.JPEGInterchangeFormatLength" || k == "Exif.Image.StripOffsets" ||
            k == "Exif.Image.StripByteCounts" || k == "Exif.Image.TileOffsets" ||
            k == "Exif.Image.TileByteCounts" || k == "Exif.Image.XMLPacket" ||
            k == "Exif.Image.IPTCNAA" || k == "Exif.Image.InterColorProfile")
            continue;
        r.add(e);
    }
    auto o = r.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (o != r.end()) *o = static_cast<std::uint16_t>(1);
    return r;
}

} // namespace

std::optional<Propiedades> leerPropiedades(const Ruta& url) {
    iniciarMotor();
    try {
        auto imagen = Exiv2::ImageFactory::open(url.string());
        if (!imagen.get()) return std::nullopt;
        imagen->readMetadata();
        const auto& exif = imagen->exifData();
        const auto& iptc = imagen->iptcData();
        Propiedades p;
        if (auto o = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation")); o != exif.end())
            p.orientation = static_cast<int>(o->toLong());
        if (tieneGrupo(exif, "Image")) {
            p.tiff =
                DiccionarioTIFF{texto(exif, "Exif.Image.Make"), texto(exif, "Exif.Image.Model"),
                                texto(exif, "Exif.Image.Software")};
        }
        if (tieneGrupo(exif, "Photo")) {
            DiccionarioEXIF e;
            e.lensModel = texto(exif, "Exif.Photo.LensModel");
            e.dateTimeOriginal = texto(exif, "Exif.Photo.DateTimeOriginal");
            e.fNumber = numero(exif, "Exif.Photo.FNumber");
            e.exposureTime = numero(exif, "Exif.Photo.ExposureTime");
            auto iso = exif.findKey(Exiv2::ExifKey("Exif.Photo.ISOSpeedRatings"));
            if (iso != exif.end() &&
                (iso->typeId() == Exiv2::unsignedShort || iso->typeId() == Exiv2::unsignedLong)) {
                std::vector<std::int64_t> lista;
                for (long i = 0; i < iso->count(); ++i)
                    lista.push_back(iso->toLong(i));
                e.isoSpeedRatings = lista;
            }
            p.exif = e;
        }
        if (tieneGrupo(exif, "GPSInfo")) {
            p.gps = DiccionarioGPS{grados(exif, "Exif.GPSInfo.GPSLatitude"),
                                   texto(exif, "Exif.GPSInfo.GPSLatitudeRef"),
                                   grados(exif, "Exif.GPSInfo.GPSLongitude"),
                                   texto(exif, "Exif.GPSInfo.GPSLongitudeRef")};
        }
        p.iptc = !iptc.empty();

        Exiv2::ExifData kept = exifConservable(exif);
        if (!kept.empty()) {
            Exiv2::Blob blob;
            Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, kept);
            p.exifCrudo.assign(blob.begin(), blob.end());
        }
        if (!iptc.empty()) {
            Exiv2::DataBuf buf = Exiv2::IptcParser::encode(iptc);
            p.iptcCrudo.assign(buf.pData_, buf.pData_ + buf.size_);
        }
        if (!p.tiff && !p.exif && !p.gps && !p.iptc) return std::nullopt;
        return p;
    } catch (...) {
        return std::nullopt;
    }
}

std::string decimalCorto(double v) {
    char buf[64];
    auto [fin, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc{}) return "0.0";
    std::string s(buf, fin);
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return s;
}

std::vector<ItemMetadato> resumenMetadatos(const std::optional<Propiedades>& propiedades) {
    std::vector<ItemMetadato> r;
    if (!propiedades) return r;
    const auto& p = *propiedades;
    auto linea = [&](const char* icono, const char* titulo, std::string valor,
                     bool sensible = false) {
        ItemMetadato m;
        m.icono = icono;
        m.titulo = titulo;
        m.valor = std::move(valor);
        m.sensible = sensible;
        r.push_back(std::move(m));
    };

    if (p.tiff) {
        std::string make = p.tiff->make.value_or(""), model = p.tiff->model.value_or("");
        if (!make.empty() || !model.empty()) {
            std::string v = make + " " + model;
            auto esBlanco = [](char c) { return c == ' ' || c == '\t'; };
            while (!v.empty() && esBlanco(v.back()))
                v.pop_back();
            std::size_t i = 0;
            while (i < v.size() && esBlanco(v[i]))
                ++i;
            linea("camera.fill", "Cámara", v.substr(i));
        }
    }
    if (p.exif && p.exif->lensModel) linea("camera.aperture", "Objetivo", *p.exif->lensModel);
    if (p.exif && p.exif->dateTimeOriginal)
        linea("calendar", "Fecha de captura", *p.exif->dateTimeOriginal);
    if (p.exif) {
        std::vector<std::string> partes;
        if (p.exif->fNumber) partes.push_back("ƒ/" + decimalCorto(*p.exif->fNumber));
        if (p.exif->exposureTime && *p.exif->exposureTime > 0) {
            double t = *p.exif->exposureTime;
            if (t >= 1) {
                partes.push_back(decimalCorto(t) + " s");
            } else {
                double inv = std::round(1.0 / t);
                // A reciprocal beyond 64 bits cannot be written as 1/N; show the seconds.
                if (inv < 9.2e18)
                    partes.push_back("1/" + std::to_string(static_cast<std::int64_t>(inv)) + " s");
                else
                    partes.push_back(decimalCorto(t) + " s");
            }
        }
        if (p.exif->isoSpeedRatings && !p.exif->isoSpeedRatings->empty())
            partes.push_back("ISO " + std::to_string(p.exif->isoSpeedRatings->front()));
        if (!partes.empty()) {
            std::string v;
            for (std::size_t i = 0; i < partes.size(); ++i)
                v += (i ? " · " : "") + partes[i];
            linea("dial.high", "Exposición", v);
        }
    }
    if (p.gps && p.gps->latitude && p.gps->longitude) {
        double lat = *p.gps->latitude, lon = *p.gps->longitude;
        if (p.gps->latitudeRef == std::optional<std::string>("S")) lat = -lat;
        if (p.gps->longitudeRef == std::optional<std::string>("W")) lon = -lon;
        char buf[96];
        std::snprintf(buf, sizeof buf, "%.4f, %.4f", lat, lon);
        linea("location.fill", "Ubicación GPS", buf, true);
    }
    if (p.tiff && p.tiff->software) linea("gearshape", "Software", *p.tiff->software);
    return r;
}

Propiedades metadatosPreservables(const std::optional<Propiedades>& propiedades) {
    Propiedades r;
    if (!propiedades) return r;
    r.exif = propiedades->exif;
    r.gps = propiedades->gps;
    r.tiff = propiedades->tiff;
    r.iptc = propiedades->iptc;
    r.exifCrudo = propiedades->exifCrudo;
    r.iptcCrudo = propiedades->iptcCrudo;
    return r;
}

std::optional<Bytes> insertarMetadatos(const Bytes& codificado, const Propiedades& metadatos) {
    if (metadatos.exifCrudo.empty() && metadatos.iptcCrudo.empty()) return codificado;
    try {
        auto imagen = Exiv2::ImageFactory::open(codificado.data(), codificado.size());
        if (!imagen.get()) return std::nullopt;
        imagen->readMetadata();
        // exiv2 writes PNG EXIF only as a raw profile with an "Exif\0\0" prefix, which
        // cwebp copies into the WebP as is (exiftool: "Improper EXIF header"); the PNG's
        // EXIF chunks are added below instead.
        const bool png = imagen->mimeType() == "image/png";
        if (!metadatos.exifCrudo.empty() && !png) {
            Exiv2::ExifData exif;
            Exiv2::ExifParser::decode(exif, metadatos.exifCrudo.data(),
                                      static_cast<std::uint32_t>(metadatos.exifCrudo.size()));
            imagen->setExifData(exif);
        }
        if (!metadatos.iptcCrudo.empty() && imagen->mimeType() != "image/webp") {
            Exiv2::IptcData iptc;
            Exiv2::IptcParser::decode(iptc, metadatos.iptcCrudo.data(),
                                      static_cast<std::uint32_t>(metadatos.iptcCrudo.size()));
            imagen->setIptcData(iptc);
        }
        imagen->writeMetadata();
        auto& io = imagen->io();
        io.seek(0, Exiv2::BasicIo::beg);
        Bytes salida(io.size());
        if (io.read(salida.data(), static_cast<long>(salida.size())) !=
            static_cast<long>(salida.size()))
            return std::nullopt;
        if (png && !metadatos.exifCrudo.empty())
            return insertarTrozosPNG(salida, trozosExifPNG(metadatos.exifCrudo));
        return salida;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace Livora
