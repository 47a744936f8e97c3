#pragma once
#include "modelo/modelo.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace Livora {

// "1 página", "12 páginas".
QString textoPaginas(std::size_t n);
// "Aplicar" is offered while the working copy differs, and enabled unless it asks for
// protection without a password.
bool borradorDistinto(const OpcionesPDF& borrador, const OpcionesPDF& aplicadas);
bool borradorAplicable(const OpcionesPDF& borrador);

// The PDF record's inspector sections: "Páginas" and "Seguridad y propiedades". It renders
// the record and the window's working copy; every edit goes out as a signal.
class SeccionesPDF : public QWidget {
    Q_OBJECT
public:
    explicit SeccionesPDF(QWidget* padre = nullptr);
    void mostrar(const ArchivoEstado& archivo, const OpcionesPDF& borrador, bool procesando);

Q_SIGNALS:
    void borradorCambiado(const Livora::OpcionesPDF& borrador);
    void aplicar();
    void descartar();
    void restaurar();
    void organizar();

private:
    void editado();

    OpcionesPDF borrador_;
    QWidget* filaPaginas_;
    QLabel* iconoPaginas_;
    QLabel* paginas_;
    QPushButton* restaurar_;
    QPushButton* organizar_;
    QCheckBox* proteger_;
    QLabel* etiquetaContrasena_;
    QLineEdit* contrasena_;
    QLineEdit* titulo_;
    QLineEdit* autor_;
    QWidget* filaBotones_;
    QPushButton* descartar_;
    QPushButton* aplicar_;
};

} // namespace Livora
