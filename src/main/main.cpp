#include "main/aplicacion.h"

int main(int argc, char** argv) {
    return Livora::ejecutarAplicacion(argc, argv);
}
