#include "main/traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstring>

namespace Livora {

namespace {

// Texts of Qt 6 that its Spanish catalogue (6.4) does not have yet: the file dialog's
// kinds of entry.
class TextosQueFaltan : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* contexto, const char* texto, const char*, int) const override {
        struct Texto {
            const char* contexto;
            const char* original;
            const char* espanol;
        };
        static constexpr Texto tabla[] = {
            {"QAbstractFileIconProvider", "Folder", "Carpeta"},
            {"QAbstractFileIconProvider", "Drive", "Unidad"},
            {"QAbstractFileIconProvider", "Shortcut", "Acceso directo"},
            {"QAbstractFileIconProvider", "Unknown", "Desconocido"},
        };
        for (const Texto& t : tabla)
            if (std::strcmp(contexto, t.contexto) == 0 && std::strcmp(texto, t.original) == 0)
                return QString::fromUtf8(t.espanol);
        return {};
    }
};

const char* const kEspanol = "es_ES.UTF-8";

} // namespace

bool instalarEspanol(QCoreApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    app.installTranslator(new TextosQueFaltan(&app));
    auto* catalogo = new QTranslator(&app);
    const QString dirs[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                            QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& dir : dirs)
        if (catalogo->load(QStringLiteral("qtbase_es"), dir)) {
            // Installed last, searched first; the supplement only answers what it lacks.
            app.installTranslator(catalogo);
            return true;
        }
    delete catalogo;
    return false;
}

LocaleEspanol::LocaleEspanol() {
    if (qEnvironmentVariableIsSet("LC_ALL")) antes_ = qgetenv("LC_ALL");
    qputenv("LC_ALL", kEspanol);
}

void LocaleEspanol::devolver() {
    if (devuelto_) return;
    devuelto_ = true;
    // Qt reads the session's locale once: read it now, while it is Spanish.
    (void)QLocale::system().name();
    if (antes_)
        qputenv("LC_ALL", *antes_);
    else
        qunsetenv("LC_ALL");
    std::setlocale(LC_ALL, "");
}

} // namespace Livora
