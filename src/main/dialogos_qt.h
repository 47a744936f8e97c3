#pragma once
#include "main/servicios.h"

#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

class QWidget;

namespace Livora {

// The password alert: title, informative line, a masked field with the focus, and the
// buttons "Abrir" and "Cancelar".
class DialogoContrasena : public QDialog {
    Q_OBJECT
public:
    DialogoContrasena(const QString& titulo, const QString& informativo, QWidget* padre);
    QString contrasena() const { return campo_->text(); }
    QLineEdit* campo() const { return campo_; }

private:
    QLineEdit* campo_;
};

// The open panel of intake. Qt's bridges to the desktop's own dialogs (GTK, the portal)
// choose either files or one folder, never both, so this is Qt's own file dialog with one
// change: "Abrir" on a selected folder takes that folder, while a double click still
// enters it.
class PanelAbrir : public QFileDialog {
    Q_OBJECT
public:
    explicit PanelAbrir(QWidget* padre);
    std::vector<Ruta> elegidas() const;

public Q_SLOTS:
    void accept() override;
};

class DialogosQt : public Dialogos {
public:
    explicit DialogosQt(QWidget* padre) : padre_(padre) {}
    std::vector<Ruta> elegirArchivos(const std::string& mensaje) override;
    std::vector<Ruta> elegirArchivosYCarpetas() override;
    bool confirmar(const std::string& mensaje, const std::string& aceptar,
                   const std::string& cancelar) override;
    std::optional<std::string> pedirContrasena(const std::string& titulo,
                                               const std::string& informativo) override;
    std::optional<Ruta> guardarComo(const std::string& nombrePropuesto) override;

private:
    QWidget* padre_;
};

// File browser over D-Bus (FileManager1.ShowItems), falling back to opening the folder;
// the clipboard as a copied file; the default application; e-mail through xdg-email.
class EscritorioQt : public Escritorio {
public:
    void revelar(const std::vector<Ruta>& rutas) override;
    void abrirCarpeta(const Ruta& carpeta) override;
    void copiarAlPortapapeles(const Ruta& ruta) override;
    void abrirCon(const Ruta& ruta) override;
    void enviarPorCorreo(const Ruta& ruta) override;
};

} // namespace Livora
