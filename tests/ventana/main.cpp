#include "main/iconos.h"
#include "motor/codec.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Discovery runs this binary outside ctest's environment too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Livora::iniciarRecursos();
    Livora::iniciarMotor();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
