#pragma once
#include "modelo/estado_ventana.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVariantAnimation>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

namespace Livora {

// One of the two glass cards of the start screen. While highlighted it grows by 3 % and
// shows a dashed accent outline.
class TarjetaInicio : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(qreal realce READ realce WRITE setRealce)
public:
    TarjetaInicio(std::string simbolo, QString titulo, QString texto,
                  std::vector<std::pair<std::string, QString>> chips, QWidget* padre);
    void setResaltada(bool si);
    bool resaltada() const { return resaltada_; }
    qreal realce() const { return realce_; }
    void setRealce(qreal r) {
        realce_ = r;
        update();
    }
    QSize sizeHint() const override { return {360, 240}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override { update(); }
    void focusInEvent(QFocusEvent* e) override;
    void leaveEvent(QEvent*) override { update(); }

private:
    std::string simbolo_;
    QString titulo_, texto_;
    std::vector<std::pair<std::string, QString>> chips_;
    bool resaltada_ = false;
    qreal realce_ = 0;
    QPropertyAnimation* anim_;
};

// The start screen's wand, which bounces whenever a drag comes over the window or leaves.
class SimboloRebote : public QWidget {
    Q_OBJECT
public:
    SimboloRebote(std::string simbolo, int lado, QWidget* padre);
    void rebotar();
    bool rebotando() const { return anim_->state() == QAbstractAnimation::Running; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::string simbolo_;
    int lado_;
    qreal escala_ = 1;
    QVariantAnimation* anim_;
};

// The start screen shown while no file is open.
class PantallaInicio : public QWidget {
    Q_OBJECT
public:
    explicit PantallaInicio(QWidget* padre = nullptr);
    void mostrar(const EstadoVentana& e);
    TarjetaInicio* tarjetaAbrir() const { return abrir_; }
    TarjetaInicio* tarjetaUnir() const { return unir_; }
    QString lineaEstado() const;
    SimboloRebote* varita() const { return simbolo_; }

Q_SIGNALS:
    void abrirPulsado();
    void unirPulsado();
    // Abandon the long PDF work being taken in.
    void cancelarPulsado();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    SimboloRebote* simbolo_;
    TarjetaInicio* abrir_;
    TarjetaInicio* unir_;
    QProgressBar* progreso_;
    QPushButton* cancelar_;
    QLabel* mensaje_;
    bool arrastrando_ = false;
    QPixmap fondo_;
};

} // namespace Livora
