#pragma once
#include "modelo/estado_ventana.h"
#include "vistas/animacion.h"

#include <QHash>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVariantAnimation>
#include <QWidget>

#include <string>
#include <vector>

namespace Livora {

class VistaPrincipal;

// The file list: one drawn row per record with its thumbnail, name, size line and badges, a
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

    // Rows still on their way out (shrinking and fading), not counted in lista().
    int filasSaliendo() const;

private:
    void menu(const QPoint& p);
    // `carpetas`: each record's folder label, as carpetasDistintivas gives them.
    void reconstruir(const EstadoVentana& e, const std::vector<std::string>& carpetas);
    QListWidgetItem* nuevaFila(const ArchivoEstado& a, const std::string& carpeta, int fila);
    // Grows a new row into place, or shrinks and fades a row out and then removes it.
    void animarFila(QListWidgetItem* it, bool entra, Transicion t);
    void seleccionarActivo(const EstadoVentana& e);
    VistaPrincipal& vista_;
    QListWidget* lista_;
    QPushButton* unir_;
    QPushButton* anadir_;
    bool actualizando_ = false;
    QHash<QString, QPointer<QVariantAnimation>> animaciones_; // by record key
};

} // namespace Livora
