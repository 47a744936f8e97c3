#pragma once
#include "modelo/modelo.h"
#include "vistas/reglas_salidas.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;

namespace Livora {

// The user-tuned JPEG's controls: quality, width and height with the aspect lock, the
// device presets and "Original". The window owns the settings: it hears every change and
// hands the settings back; quality and size changes also ask for a (debounced)
// regeneration, the lock alone does not.
class ControlesPersonalizada : public QWidget {
    Q_OBJECT
public:
    explicit ControlesPersonalizada(QWidget* parent = nullptr);

    // Shows the window's settings; emits nothing.
    void setAjustes(const AjustesImagen& ajustes);
    const AjustesImagen& ajustes() const { return ajustes_; }
    // The file's current source size (placeholders and the aspect rule); none without one.
    void setFuente(const std::optional<TamanoFuente>& fuente);

Q_SIGNALS:
    void ajustesCambiados(const Livora::AjustesImagen& ajustes);
    void regeneracionPedida();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void refrescar();
    void tamanoEscrito(bool ancho, const QString& texto);
    void cambiar(bool regenerar);

    AjustesImagen ajustes_;
    std::optional<TamanoFuente> fuente_;
    bool refrescando_ = false;

    QSlider* calidad_ = nullptr;
    QLabel* textoCalidad_ = nullptr;
    QLineEdit* ancho_ = nullptr;
    QLineEdit* alto_ = nullptr;
    QToolButton* candado_ = nullptr;
    QToolButton* presets_ = nullptr;
    QToolButton* original_ = nullptr;
};

} // namespace Livora
