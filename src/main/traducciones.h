#pragma once
#include <QByteArray>

#include <optional>

class QCoreApplication;

namespace Livora {

// Makes Qt's own texts Spanish (standard dialogs and buttons, the text fields' context
// menu, the colour and file dialogs) whatever the session's language. Qt's catalogue
// comes from Debian's qt6-translations-l10n; the few texts it lacks are supplied here.
// Returns whether the catalogue was loaded.
bool instalarEspanol(QCoreApplication& app);

// Qt writes dates and sizes in its dialogs with the session's locale, which it reads when
// the application object starts. Made before the application object, this makes that
// locale Spanish for Qt; `devolver`, once the object exists, gives the C library back the
// session's own locale (the engines' libraries keep the user's character set).
class LocaleEspanol {
public:
    LocaleEspanol();
    ~LocaleEspanol() { devolver(); }
    LocaleEspanol(const LocaleEspanol&) = delete;
    LocaleEspanol& operator=(const LocaleEspanol&) = delete;
    void devolver();

private:
    std::optional<QByteArray> antes_;
    bool devuelto_ = false;
};

} // namespace Livora
