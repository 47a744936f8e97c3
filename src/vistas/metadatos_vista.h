#pragma once
#include "modelo/modelo.h"

#include <QFrame>
#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

class QToolButton;
class QVBoxLayout;

namespace Livora {

class Interruptor;

// What the metadata popover says for one file, by state.
struct ContenidoPopoverMetadatos {
    std::string titulo;
    // An empty summary shows only the green "no metadata" line.
    bool vacio = false;
    std::string textoVacio;
    std::string simboloVacio;
    std::vector<ItemMetadato> lineas;
    std::string etiqueta;
    std::string simboloEtiqueta;
    bool etiquetaAviso = false; // orange (switch off) rather than secondary
    std::string nota;
};

ContenidoPopoverMetadatos contenidoPopoverMetadatos(const std::string& nombreArchivo,
                                                    const std::vector<ItemMetadato>& resumen,
                                                    bool quitarMetadatos);
bool hayLineaSensible(const std::vector<ItemMetadato>& resumen);
// The info button's symbol: the warning when any line is sensitive.
std::string simboloInfoMetadatos(const std::vector<ItemMetadato>& resumen);

// The popover: the file's metadata summary and what the switch will do with it.
class PopoverMetadatos : public QFrame {
    Q_OBJECT
public:
    explicit PopoverMetadatos(QWidget* parent = nullptr);

    void setContenido(const ContenidoPopoverMetadatos& contenido);
    // Shows it under the anchor's bounds, the arrow pointing up at it.
    void mostrarBajo(QWidget* ancla);

Q_SIGNALS:
    void cerrado();

protected:
    void paintEvent(QPaintEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void reconstruir();

    ContenidoPopoverMetadatos contenido_;
    bool pendiente_ = false; // contenido_ not yet in the rows
    QVBoxLayout* pila_ = nullptr;
    QWidget* cuerpo_ = nullptr;
    int flechaX_ = 170;
};

// The inspector row: "Quitar metadatos (EXIF, GPS)" and the info button with its popover.
class FilaMetadatos : public QWidget {
    Q_OBJECT
public:
    explicit FilaMetadatos(QWidget* parent = nullptr);

    void setQuitarMetadatos(bool quitar);
    bool quitarMetadatos() const;
    // The active file: its name (with extension) and its summary.
    void setArchivo(const QString& nombre, const std::vector<ItemMetadato>& resumen);
    void setMostrarInfo(bool mostrar);
    bool mostrandoInfo() const;
    PopoverMetadatos* popover() const { return popover_; }

Q_SIGNALS:
    // The user flipped the switch: every open image regenerates.
    void quitarMetadatosCambiado(bool quitar);
    void mostrarInfoCambiado(bool mostrar);

private:
    void actualizar();

    Interruptor* interruptor_ = nullptr;
    QToolButton* info_ = nullptr;
    PopoverMetadatos* popover_ = nullptr;
    QString nombre_;
    std::vector<ItemMetadato> resumen_;
    bool cerrandoDesdeFuera_ = false;
};

} // namespace Livora
