#include "main/aplicacion.h"
#include "motor/memoria.h"

int main(int argc, char** argv) {
    Livora::usarPaginasGrandes(argv);
    return Livora::ejecutarAplicacion(argc, argv);
}
