#include "main/dialogos_qt.h"

#include "motor/tipos.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace Livora {

namespace {
// Every type the loaders of this build accept, in both cases (the dialog's filter is
// case-sensitive).
QString filtroEntradas() {
    QStringList patrones;
    for (const auto& p : patronesLegibles())
        patrones << QString::fromStdString(p);
    patrones << "*.pdf"
             << "*.PDF";
    return "Imágenes y PDF (" + patrones.join(' ') + ");;Todos los archivos (*)";
}
} // namespace

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
    const QStringList elegidos = QFileDialog::getOpenFileNames(
        padre_, mensaje.empty() ? QString("Elegir archivos") : QString::fromStdString(mensaje),
        QString(), filtroEntradas());
    std::vector<Ruta> r;
    for (const QString& s : elegidos)
        r.emplace_back(s.toStdString());
    return r;
}

PanelAbrir::PanelAbrir(QWidget* padre) : QFileDialog(padre, "Elegir archivos o carpetas") {
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setNameFilter(filtroEntradas());
    setLabelText(QFileDialog::LookIn, "Buscar en:");
    setLabelText(QFileDialog::FileName, "Nombre:");
    setLabelText(QFileDialog::FileType, "Tipo:");
    setLabelText(QFileDialog::Accept, "Abrir");
    setLabelText(QFileDialog::Reject, "Cancelar");
}

void PanelAbrir::accept() {
    const QStringList sel = selectedFiles();
    const bool hayCarpeta =
        std::any_of(sel.begin(), sel.end(), [](const QString& s) { return QFileInfo(s).isDir(); });
    // QFileDialog would enter the folder instead of choosing it.
    if (hayCarpeta)
        QDialog::accept();
    else
        QFileDialog::accept();
}

std::vector<Ruta> PanelAbrir::elegidas() const {
    std::vector<Ruta> r;
    for (const QString& s : selectedFiles())
        r.emplace_back(s.toStdString());
    return r;
}

std::vector<Ruta> DialogosQt::elegirArchivosYCarpetas() {
    PanelAbrir panel(padre_);
    if (panel.exec() != QDialog::Accepted) return {};
    return panel.elegidas();
}

bool DialogosQt::confirmar(const std::string& mensaje, const std::string& aceptar,
                           const std::string& cancelar) {
    QMessageBox m(QMessageBox::Question, "Livora", QString::fromStdString(mensaje),
                  QMessageBox::NoButton, padre_);
    QPushButton* si = m.addButton(QString::fromStdString(aceptar), QMessageBox::AcceptRole);
    QPushButton* no = m.addButton(QString::fromStdString(cancelar), QMessageBox::RejectRole);
    m.setDefaultButton(si);
    m.setEscapeButton(no);
    m.exec();
    return m.clickedButton() == si;
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

void EscritorioQt::abrirCarpeta(const Ruta& carpeta) {
    const QString c = carpeta.empty() ? QDir::homePath() : QString::fromStdString(carpeta.string());
    QDesktopServices::openUrl(QUrl::fromLocalFile(c));
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
