#pragma once
#include <QFont>
#include <QFrame>
#include <QString>

#include <vector>

class QLineEdit;
class QListWidget;
class QToolButton;

namespace Livora {

struct Emoji {
    int grupo = 0;
    QString emoji, nombre, etiquetas;
};
struct GrupoEmoji {
    int id = 0;
    QString nombre;
};
struct ListaEmojis {
    std::vector<GrupoEmoji> grupos;
    std::vector<Emoji> emojis;
};

// The table the build makes: "#", group and its name on group lines; otherwise group, emoji,
// Spanish name and comma-separated keywords, tab-separated, in display order.
ListaEmojis leerEmojis(const QString& tabla);
// A font that draws emoji in colour (the packaged colour font first), at that pixel size.
QFont fuenteEmoji(const QFont& base, int pixeles);
// The compiled-in list; without it, the quick emoji in one group.
const ListaEmojis& listaEmojis();
// With a query, every emoji whose name or keywords hold each of its words (ignoring case and
// accents: "corazon" finds "corazón"); without one, the emoji of the group.
std::vector<const Emoji*> filtrarEmojis(const ListaEmojis& lista, const QString& consulta,
                                        int grupo);

// The window's own emoji picker: a popup with a search field, one tab per group and a
// grid; choosing an emoji hands it over and closes the popup.
class SelectorEmoji : public QFrame {
    Q_OBJECT
public:
    explicit SelectorEmoji(QWidget* padre = nullptr);
    // Shown just above (or below, when there is no room) the given widget.
    void abrirJunto(QWidget* ancla);
    QLineEdit* busqueda() const { return busqueda_; }
    QListWidget* rejilla() const { return rejilla_; }
    void elegirGrupo(int grupo);

Q_SIGNALS:
    void elegido(const QString& emoji);

private:
    void llenar();
    QLineEdit* busqueda_;
    QListWidget* rejilla_;
    std::vector<QToolButton*> pestanas_;
    int grupo_ = 0;
};

} // namespace Livora
