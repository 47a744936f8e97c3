#include "main/secciones_pdf.h"

#include "main/estilo.h"
#include "main/iconos.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace Livora {

QString textoPaginas(std::size_t n) {
    return QString::number(n) + (n == 1 ? " página" : " páginas");
}

bool borradorDistinto(const OpcionesPDF& borrador, const OpcionesPDF& aplicadas) {
    return !(borrador == aplicadas);
}

bool borradorAplicable(const OpcionesPDF& borrador) {
    return !(borrador.proteger && borrador.contrasena.empty());
}

namespace {

void ponerTexto(QLineEdit* campo, const std::string& texto) {
    const QString t = QString::fromStdString(texto);
    // Rewriting an unchanged text would move the cursor while the user types.
    if (campo->text() != t) {
        QSignalBlocker b(campo);
        campo->setText(t);
    }
}
} // namespace

SeccionesPDF::SeccionesPDF(QWidget* padre) : QWidget(padre) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);

    // Páginas
    v->addWidget(Estilo::tituloSeccion("Páginas", this));
    auto* tp = Estilo::tarjeta(this);
    filaPaginas_ = tp;
    auto* hp = new QHBoxLayout(tp);
    hp->setContentsMargins(10, 8, 10, 8);
    hp->setSpacing(8);
    iconoPaginas_ = new QLabel(tp);
    iconoPaginas_->setPixmap(pixmapIcono("doc.on.doc", Estilo::secundario, 16, 2));
    paginas_ = new QLabel(tp);
    restaurar_ = new QPushButton("Restaurar", tp);
    restaurar_->setFlat(true);
    restaurar_->setToolTip("Volver al orden y páginas originales");
    restaurar_->setCursor(Qt::PointingHandCursor);
    organizar_ = new QPushButton("Organizar…", tp);
    organizar_->setCursor(Qt::PointingHandCursor);
    hp->addWidget(iconoPaginas_);
    hp->addWidget(paginas_, 1);
    hp->addWidget(restaurar_);
    hp->addWidget(organizar_);
    v->addWidget(tp);
    v->addSpacing(8);

    // Seguridad y propiedades
    v->addWidget(Estilo::tituloSeccion("Seguridad y propiedades", this));
    auto* ts = Estilo::tarjeta(this);
    auto* vs = new QVBoxLayout(ts);
    vs->setContentsMargins(10, 8, 10, 8);
    vs->setSpacing(8);
    proteger_ = new QCheckBox("Proteger con contraseña", ts);
    proteger_->setIcon(icono("lock", Estilo::secundario));
    vs->addWidget(proteger_);
    auto* form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(6);
    etiquetaContrasena_ = new QLabel("Contraseña", ts);
    contrasena_ = new QLineEdit(ts);
    contrasena_->setEchoMode(QLineEdit::Password);
    contrasena_->setPlaceholderText("Contraseña");
    titulo_ = new QLineEdit(ts);
    titulo_->setPlaceholderText("Opcional");
    autor_ = new QLineEdit(ts);
    autor_->setPlaceholderText("Opcional");
    form->addRow(etiquetaContrasena_, contrasena_);
    form->addRow(new QLabel("Título", ts), titulo_);
    form->addRow(new QLabel("Autor", ts), autor_);
    vs->addLayout(form);
    filaBotones_ = new QWidget(ts);
    auto* hb = new QHBoxLayout(filaBotones_);
    hb->setContentsMargins(0, 0, 0, 0);
    hb->addStretch(1);
    descartar_ = new QPushButton("Descartar", filaBotones_);
    aplicar_ = new QPushButton("Aplicar", filaBotones_);
    aplicar_->setDefault(true);
    aplicar_->setObjectName("primario");
    hb->addWidget(descartar_);
    hb->addWidget(aplicar_);
    vs->addWidget(filaBotones_);
    v->addWidget(ts);
    auto* pie = new QLabel("Se aplica a todas las salidas. Con contraseña, el PDF pedirá la "
                           "clave al abrirse.",
                           this);
    pie->setWordWrap(true);
    pie->setStyleSheet("color: #6e6e73; font-size: 11px; padding-left: 2px;");
    v->addWidget(pie);

    connect(restaurar_, &QPushButton::clicked, this, &SeccionesPDF::restaurar);
    connect(organizar_, &QPushButton::clicked, this, &SeccionesPDF::organizar);
    connect(descartar_, &QPushButton::clicked, this, &SeccionesPDF::descartar);
    connect(aplicar_, &QPushButton::clicked, this, &SeccionesPDF::aplicar);
    connect(proteger_, &QCheckBox::toggled, this, [this] { editado(); });
    for (auto* campo : {contrasena_, titulo_, autor_}) {
        connect(campo, &QLineEdit::textEdited, this, [this] { editado(); });
        connect(campo, &QLineEdit::returnPressed, this, &SeccionesPDF::aplicar);
    }
}

void SeccionesPDF::editado() {
    borrador_.proteger = proteger_->isChecked();
    borrador_.contrasena = contrasena_->text().toStdString();
    borrador_.titulo = titulo_->text().toStdString();
    borrador_.autor = autor_->text().toStdString();
    Q_EMIT borradorCambiado(borrador_);
}

void SeccionesPDF::mostrar(const ArchivoEstado& a, const OpcionesPDF& borrador, bool procesando) {
    borrador_ = borrador;
    paginas_->setText(textoPaginas(a.paginas.size()));
    restaurar_->setVisible(a.paginasEditadas());
    filaPaginas_->setEnabled(!procesando);
    {
        QSignalBlocker b(proteger_);
        proteger_->setChecked(borrador.proteger);
    }
    etiquetaContrasena_->setVisible(borrador.proteger);
    contrasena_->setVisible(borrador.proteger);
    ponerTexto(contrasena_, borrador.contrasena);
    ponerTexto(titulo_, borrador.titulo);
    ponerTexto(autor_, borrador.autor);
    filaBotones_->setVisible(borradorDistinto(borrador, a.opcionesPDF));
    aplicar_->setEnabled(borradorAplicable(borrador));
}

} // namespace Livora
