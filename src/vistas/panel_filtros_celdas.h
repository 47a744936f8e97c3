#pragma once
#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QWidget>

#include <functional>

class QSlider;
class QVariantAnimation;

// The pieces of the filter panel: a preset cell and a slider row.
namespace Livora {

class CeldaPreset : public QAbstractButton {
    Q_OBJECT
public:
    CeldaPreset(const QString& clave, const QString& nombre, QWidget* parent = nullptr);
    QString clave() const { return clave_; }
    void setMiniatura(const QImage& img);
    void setActiva(bool activa);
    bool activa() const { return activa_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString clave_;
    QImage miniatura_;
    bool activa_ = false;
    double avance_ = 0; // 0 … 1 towards the active look
    QVariantAnimation* animacion_ = nullptr;
};

// The symbol of a slider row: its tooltip names the slider; double-click resets.
class SimboloDeslizador : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
Q_SIGNALS:
    void dobleClic();

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

class Deslizador : public QWidget {
    Q_OBJECT
public:
    Deslizador(const QString& simbolo, const QString& etiqueta, double minimo, double maximo,
               double neutro, QWidget* parent = nullptr);
    void setValor(double v);
    double valor() const { return valor_; }
    double neutro() const { return neutro_; }
    SimboloDeslizador* simbolo() const { return simbolo_; }
    QSlider* slider() const { return slider_; }

Q_SIGNALS:
    void valorCambiado(double v);

private:
    void pintarSimbolo();

    QString nombreSimbolo_;
    double minimo_, maximo_, neutro_;
    double valor_;
    bool fijando_ = false;
    SimboloDeslizador* simbolo_ = nullptr;
    QSlider* slider_ = nullptr;
};

} // namespace Livora
