#include "modelo/presets.h"

namespace Livora {

const std::vector<GrupoPresetsResolucion>& gruposPresetsResolucion() {
    static const std::vector<GrupoPresetsResolucion> grupos = {
        {"Móvil",
         {
             {"iPhone 17", 402, 874},
             {"iPhone 16 & 17 Pro", 402, 874},
             {"iPhone 16", 393, 852},
             {"iPhone 16 & 17 Pro Max", 440, 956},
             {"iPhone 16 Plus", 430, 932},
             {"iPhone Air", 420, 912},
             {"iPhone 14 & 15 Pro Max", 430, 932},
             {"iPhone 14 & 15 Pro", 393, 852},
             {"iPhone 13 & 14", 390, 844},
             {"iPhone 14 Plus", 428, 926},
             {"Android Compact", 412, 917},
             {"Android Medium", 700, 840},
         }},
        {"Tablet",
         {
             {"iPad mini 8.3", 744, 1133},
             {"Surface Pro 8", 1440, 960},
             {"iPad Pro 11\"", 834, 1194},
             {"iPad Pro 12.9\"", 1024, 1366},
             {"Android Expanded", 1280, 800},
         }},
        {"Escritorio",
         {
             {"MacBook Air", 1280, 832},
             {"MacBook Pro 14\"", 1512, 982},
             {"MacBook Pro 16\"", 1728, 1117},
             {"Desktop", 1440, 1024},
             {"Wireframes", 1440, 1024},
         }},
    };
    return grupos;
}

} // namespace Livora
