#include "main/traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Livora {

bool instalarEspanol(QCoreApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* catalogo = new QTranslator(&app);
    const QString dirs[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                            QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& dir : dirs)
        if (catalogo->load(QStringLiteral("qtbase_es"), dir)) {
            app.installTranslator(catalogo);
            return true;
        }
    delete catalogo;
    return false;
}

} // namespace Livora
