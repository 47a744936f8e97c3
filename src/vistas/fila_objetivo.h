#pragma once
#include <QWidget>

#include <cstdint>

class QLineEdit;
class QPushButton;

namespace Livora {

// "Peso objetivo": a kilobyte field and "Ajustar", enabled only for a whole number. Typing
// only reports the text; the window sets the target and regenerates when asked.
class FilaObjetivo : public QWidget {
    Q_OBJECT
public:
    explicit FilaObjetivo(QWidget* parent = nullptr);

    void setTexto(const QString& texto);
    QString texto() const;
    bool puedeAjustar() const;

Q_SIGNALS:
    void textoCambiado(const QString& texto);
    void ajustar(qint64 kb);

private:
    void actualizar();
    void pulsar();

    QLineEdit* campo_ = nullptr;
    QPushButton* ajustar_ = nullptr;
};

} // namespace Livora
