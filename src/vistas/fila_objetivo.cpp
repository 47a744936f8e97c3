#include "vistas/fila_objetivo.h"

#include "vistas/estilo.h"
#include "vistas/reglas_salidas.h"
#include "vistas/simbolos.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Livora {

FilaObjetivo::FilaObjetivo(QWidget* parent) : QWidget(parent) {
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    fila->setSpacing(6);
    auto* icono = new QLabel(this);
    icono->setPixmap(simbolo(QStringLiteral("scope"), colorSecundario(palette())).pixmap(14, 14));
    fila->addWidget(icono);
    fila->addWidget(rotulo(QStringLiteral("Peso objetivo"), this));
    fila->addStretch(1);
    campo_ = new QLineEdit(this);
    campo_->setObjectName(QStringLiteral("objetivo"));
    campo_->setPlaceholderText(QStringLiteral("500"));
    campo_->setFixedWidth(64);
    campo_->setAlignment(Qt::AlignRight);
    campo_->setAccessibleName(QStringLiteral("Peso objetivo en KB"));
    fila->addWidget(campo_);
    fila->addWidget(rotulo(QStringLiteral("KB"), this));
    ajustar_ = new QPushButton(QStringLiteral("Ajustar"), this);
    ajustar_->setObjectName(QStringLiteral("ajustar"));
    ajustar_->setFont(fuenteCaption(font()));
    fila->addWidget(ajustar_);

    connect(campo_, &QLineEdit::textEdited, this, [this](const QString& t) {
        actualizar();
        Q_EMIT textoCambiado(t);
    });
    connect(ajustar_, &QPushButton::clicked, this, &FilaObjetivo::pulsar);
    // Enter in the field is the same as the button, and just as picky.
    connect(campo_, &QLineEdit::returnPressed, this, &FilaObjetivo::pulsar);
    actualizar();
}

void FilaObjetivo::setTexto(const QString& texto) {
    if (campo_->text() != texto) campo_->setText(texto);
    actualizar();
}

QString FilaObjetivo::texto() const {
    return campo_->text();
}

bool FilaObjetivo::puedeAjustar() const {
    return leerObjetivo(campo_->text().toStdString()).has_value();
}

void FilaObjetivo::actualizar() {
    ajustar_->setEnabled(puedeAjustar());
}

void FilaObjetivo::pulsar() {
    if (auto kb = leerObjetivo(campo_->text().toStdString())) Q_EMIT ajustar(*kb);
}

} // namespace Livora
