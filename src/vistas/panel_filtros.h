#pragma once
#include "modelo/modelo.h"

#include <QImage>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

class QToolButton;

namespace Livora {

class CeldaPreset;
class Deslizador;

// One cell of the preset strip.
struct EntradaPresetFiltro {
    std::string clave;
    std::string nombre;
};
// The presets in strip order.
std::vector<EntradaPresetFiltro> presetsPanelFiltros();

// Whether a slider value shows as changed (tinted): 0.001 or more away from neutral.
bool difiereDeNeutro(double valor, double neutro);

// The filter panel: preset previews and the brightness, contrast and saturation sliders.
// It reports every change at once; the window stores it and debounces the regeneration.
class PanelFiltros : public QWidget {
    Q_OBJECT
public:
    explicit PanelFiltros(QWidget* parent = nullptr);

    // Shows the active file's adjustment; emits nothing.
    void setFiltros(const FiltroAjustes& filtros);
    const FiltroAjustes& filtros() const { return filtros_; }
    // Previews keyed by preset; a missing one shows a placeholder.
    void setMiniaturas(const std::map<std::string, QImage>& miniaturas);

Q_SIGNALS:
    void filtrosCambiados(const Livora::FiltroAjustes& filtros);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void cambiar(const FiltroAjustes& nuevo);
    void refrescar();

    FiltroAjustes filtros_;
    std::vector<CeldaPreset*> celdas_;
    Deslizador* brillo_ = nullptr;
    Deslizador* contraste_ = nullptr;
    Deslizador* saturacion_ = nullptr;
    QToolButton* restablecer_ = nullptr;
};

} // namespace Livora
