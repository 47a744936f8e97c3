#include "main/dialogos_qt.h"

#include "motor/tipos.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <set>

namespace Livora {

DialogoContrasena::DialogoContrasena(const QString& titulo, const QString& informativo,
                                     QWidget* padre)
    : QDialog(padre) {
    setWindowTitle("Livora");
    setModal(true);
    auto* v = new QVBoxLayout(this);
    auto* t = new QLabel(titulo, this);
    t->setStyleSheet("font-weight: 700; font-size: 14px;");
    v->addWidget(t);
    auto* i = new QLabel(informativo, this);
    i->setObjectName("informativo");
    v->addWidget(i);
    campo_ = new QLineEdit(this);
    campo_->setEchoMode(QLineEdit::Password);
    campo_->setFixedSize(240, 24);
    v->addWidget(campo_);
    auto* botones = new QDialogButtonBox(this);
    auto* abrir = botones->addButton("Abrir", QDialogButtonBox::AcceptRole);
    botones->addButton("Cancelar", QDialogButtonBox::RejectRole);
    abrir->setDefault(true);
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    v->addWidget(botones);
    campo_->setFocus();
}

std::vector<Ruta> DialogosQt::elegirArchivos(const std::string& mensaje) {
    // Every image type the intake takes, in both cases, and PDF.
    QStringList patrones{"*.pdf", "*.PDF"};
    for (const auto& ext : extensionesImagen())
        patrones << "*." + QString::fromStdString(ext)
                 << "*." + QString::fromStdString(ext).toUpper();
    const QStringList elegidos = QFileDialog::getOpenFileNames(
        padre_, mensaje.empty() ? QString("Elegir archivos") : QString::fromStdString(mensaje),
        QString(), "Imágenes y PDF (" + patrones.join(' ') + ");;Todos los archivos (*)");
    std::vector<Ruta> r;
    for (const QString& s : elegidos)
        r.emplace_back(s.toStdString());
    return r;
}

std::optional<std::string> DialogosQt::pedirContrasena(const std::string& titulo,
                                                       const std::string& informativo) {
    DialogoContrasena d(QString::fromStdString(titulo), QString::fromStdString(informativo),
                        padre_);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.contrasena().toStdString();
}

std::optional<Ruta> DialogosQt::guardarComo(const std::string& nombrePropuesto) {
    QFileDialog d(padre_, "Guardar");
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.selectFile(QString::fromStdString(nombrePropuesto));
    // A name typed without its extension still gets the proposed one.
    const QString ext = QString::fromStdString(Ruta(nombrePropuesto).extension().string()).mid(1);
    if (!ext.isEmpty()) {
        d.setDefaultSuffix(ext);
        d.setNameFilters({ext.toUpper() + " (*." + ext + ")", "Todos los archivos (*)"});
    }
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    return Ruta(d.selectedFiles().front().toStdString());
}

void EscritorioQt::revelar(const std::vector<Ruta>& rutas) {
    if (rutas.empty()) return;
    QStringList uris;
    for (const auto& r : rutas)
        uris << QUrl::fromLocalFile(QString::fromStdString(r.string())).toString();
    QDBusMessage m = QDBusMessage::createMethodCall("org.freedesktop.FileManager1",
                                                    "/org/freedesktop/FileManager1",
                                                    "org.freedesktop.FileManager1", "ShowItems");
    m << uris << QString();
    const QDBusMessage respuesta = QDBusConnection::sessionBus().call(m, QDBus::Block, 3000);
    if (respuesta.type() != QDBusMessage::ErrorMessage) return;
    // No file manager service: open each folder once.
    std::set<Ruta> carpetas;
    for (const auto& r : rutas)
        carpetas.insert(r.parent_path());
    for (const auto& c : carpetas)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(c.string())));
}

void EscritorioQt::copiarAlPortapapeles(const Ruta& ruta) {
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(ruta.string()));
    auto* datos = new QMimeData;
    datos->setUrls({url});
    datos->setData("x-special/gnome-copied-files", "copy\n" + url.toEncoded());
    QApplication::clipboard()->setMimeData(datos);
}

void EscritorioQt::abrirCon(const Ruta& ruta) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ruta.string())));
}

void EscritorioQt::enviarPorCorreo(const Ruta& ruta) {
    QProcess::startDetached("xdg-email", {"--attach", QString::fromStdString(ruta.string())});
}

} // namespace Livora
