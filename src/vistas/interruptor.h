#pragma once
#include <QAbstractButton>

class QVariantAnimation;

namespace Livora {

// An on/off switch with its label on the left, like the desktop's settings switches.
class Interruptor : public QAbstractButton {
    Q_OBJECT
public:
    explicit Interruptor(const QString& texto, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    QVariantAnimation* animacion_ = nullptr;
    double avance_ = 0; // 0 off … 1 on, animated
};

} // namespace Livora
