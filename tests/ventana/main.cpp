#include "main/iconos.h"
#include "main/traducciones.h"
#include "motor/codec.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Discovery runs this binary outside ctest's environment too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Started as the application starts: Qt's texts and formats in Spanish.
    Livora::LocaleEspanol localeEspanol;
    QApplication app(argc, argv);
    localeEspanol.devolver();
    Livora::instalarEspanol(app);
    Livora::iniciarRecursos();
    Livora::iniciarMotor();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
