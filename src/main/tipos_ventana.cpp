#include "main/tipos_ventana.h"

#include <QMimeDatabase>

namespace Livora {

bool esImagenPorTipo(const Ruta& url) {
    const QString ext = QString::fromStdString(url.extension().string()).toLower();
    if (ext.isEmpty()) return false;
    static const QMimeDatabase db;
    const QMimeType t =
        db.mimeTypeForFile(QStringLiteral("archivo") + ext, QMimeDatabase::MatchExtension);
    if (!t.isValid() || t.isDefault()) return false;
    if (t.name().startsWith(QLatin1String("image/"))) return true;
    const QStringList padres = t.allAncestors();
    for (const QString& p : padres)
        if (p.startsWith(QLatin1String("image/"))) return true;
    return false;
}

} // namespace Livora
