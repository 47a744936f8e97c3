#pragma once

class QCoreApplication;

namespace Livora {

// Makes Qt's own texts Spanish (standard dialogs and buttons, the text fields' context
// menu, the colour and file dialogs) and its formats those of Spain (dates and numbers
// in the file dialog), whatever the session's language. Qt's catalogue comes from
// Debian's qt6-translations-l10n; without it those texts stay in English. Returns whether
// the catalogue was loaded.
bool instalarEspanol(QCoreApplication& app);

} // namespace Livora
