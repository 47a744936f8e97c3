#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Livora {

// The source properties of an image as the decoder reports them: the typed values the
// summary reads, and the kept blocks ready to be written into outputs. A sub-dictionary
// that the file does not carry is absent; a value of the wrong type is absent too.
struct DiccionarioTIFF {
    std::optional<std::string> make;
    std::optional<std::string> model;
    std::optional<std::string> software;
    bool operator==(const DiccionarioTIFF&) const = default;
};

struct DiccionarioEXIF {
    std::optional<std::string> lensModel;
    std::optional<std::string> dateTimeOriginal;
    std::optional<double> fNumber;
    std::optional<double> exposureTime; // seconds
    std::optional<std::vector<std::int64_t>> isoSpeedRatings;
    bool operator==(const DiccionarioEXIF&) const = default;
};

struct DiccionarioGPS {
    std::optional<double> latitude; // unsigned decimal degrees
    std::optional<std::string> latitudeRef;
    std::optional<double> longitude;
    std::optional<std::string> longitudeRef;
    bool operator==(const DiccionarioGPS&) const = default;
};

struct Propiedades {
    std::optional<std::int64_t> pixelWidth;
    std::optional<std::int64_t> pixelHeight;
    std::optional<int> orientation;

    std::optional<DiccionarioTIFF> tiff;
    std::optional<DiccionarioEXIF> exif;
    std::optional<DiccionarioGPS> gps;
    bool iptc = false;

    // The EXIF blocks (IFD0, Exif IFD with interoperability, GPS) as a TIFF-structured
    // blob without the "Exif\0\0" prefix, thumbnail and maker notes left out and
    // Orientation set to 1 (pixels are decoded upright). Empty when there is none.
    std::vector<std::uint8_t> exifCrudo;
    // The IPTC records as an IIM blob; empty when there are none.
    std::vector<std::uint8_t> iptcCrudo;

    bool operator==(const Propiedades&) const = default;
};

} // namespace Livora
