#pragma once
#include <QLabel>
#include <QWidget>

namespace Livora {

class Aparicion;

// The notice banner: a glass capsule near the bottom edge of its parent that slides up
// and fades in when a notice is posted, and leaves the same way. A click dismisses it.
class BannerAviso : public QWidget {
    Q_OBJECT
public:
    explicit BannerAviso(QWidget* padre);
    void setTexto(const QString& texto);
    QString texto() const { return texto_; }
    // Keeps the banner centred 24 points (or `elevacion`) above the parent's bottom edge.
    void recolocar();
    void setElevacion(int puntos);

Q_SIGNALS:
    void pulsado();

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent*) override { Q_EMIT pulsado(); }

private:
    QPoint posicionFinal() const;
    QString texto_;
    int elevacion_ = 24;
    QLabel* etiqueta_;
    Aparicion* aparicion_;
};

} // namespace Livora
