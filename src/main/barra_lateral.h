#pragma once
#include "modelo/estado_ventana.h"

#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <string>

namespace Livora {

class VistaPrincipal;

// The file list: one row per record with its thumbnail, name, size line and badges, a
// context menu, and the "Unir todo en un PDF" and "Añadir archivos" buttons below.
class BarraLateral : public QWidget {
    Q_OBJECT
public:
    BarraLateral(VistaPrincipal& vista, QWidget* padre = nullptr);
    void mostrar(const EstadoVentana& e);
    QListWidget* lista() const { return lista_; }
    QPushButton* botonUnir() const { return unir_; }
    QPushButton* botonAnadir() const { return anadir_; }
    // The context menu's entries for a record, as they would be shown.
    QStringList entradasMenu(const Uuid& id) const;

private:
    void menu(const QPoint& p);
    VistaPrincipal& vista_;
    QListWidget* lista_;
    QPushButton* unir_;
    QPushButton* anadir_;
    // What each row shows, by record id: a row is made again only when this changes.
    std::map<QString, std::string> firmas_;
    bool actualizando_ = false;
};

} // namespace Livora
