#pragma once
#include "editores/enlace.h"
#include "modelo/modelo.h"

#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace Livora {

// The layer panel under the text editor: the selected layer's size, colour and shadow, the
// emoji picker and delete buttons, the quick emoji and "Añadir texto".
class PanelCapas : public QWidget {
    Q_OBJECT
public:
    explicit PanelCapas(QWidget* padre = nullptr);

    // The selected layer (none shows the hint) and whether a layer is being typed into.
    void mostrar(std::optional<Enlace<CapaTexto>> seleccionada, bool editando);
    // Asks for a colour (alpha included); none when the user cancels. Tests replace it.
    std::function<std::optional<QColor>(const QColor& inicial)> pedirColor;

    QSlider* deslizadorTamano() const { return tamano_; }
    QPushButton* botonColor() const { return color_; }
    QCheckBox* casillaSombra() const { return sombra_; }
    QPushButton* botonEmojis() const { return emojis_; }
    QPushButton* botonEliminar() const { return eliminar_; }
    QPushButton* botonAnadir() const { return anadir_; }
    const std::vector<QPushButton*>& botonesRapidos() const { return rapidos_; }
    QLabel* pista() const { return pista_; }
    QLabel* pistaRapidos() const { return pistaRapidos_; }
    QWidget* filaControles() const { return controles_; }

Q_SIGNALS:
    void emojiElegido(const QString& emoji);
    void eliminarPulsado();
    void anadirPulsado();
    void selectorPulsado();

private:
    void escribir(const std::function<void(CapaTexto&)>& cambio);
    void pintarMuestra(const Color& c);

    std::optional<Enlace<CapaTexto>> capa_;
    QWidget* controles_;
    QSlider* tamano_;
    QPushButton* color_;
    QCheckBox* sombra_;
    QPushButton* emojis_;
    QPushButton* eliminar_;
    QLabel* pista_;
    std::vector<QPushButton*> rapidos_;
    QLabel* pistaRapidos_;
    QPushButton* anadir_;
};

} // namespace Livora
