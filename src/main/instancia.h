#pragma once
#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace Livora {

// One running window per user and display: a second launch hands its files to the first through a
// local socket and exits.
class InstanciaUnica : public QObject {
    Q_OBJECT
public:
    explicit InstanciaUnica(QString nombre = nombrePorDefecto(), QObject* padre = nullptr);
    static QString nombrePorDefecto();
    // Hands the files to a running instance; false when there is none.
    bool enviar(const QStringList& rutas);
    // Becomes the running instance.
    bool escuchar();

Q_SIGNALS:
    void archivosRecibidos(const QStringList& rutas);

private:
    QString nombre_;
    QLocalServer* servidor_ = nullptr;
};

} // namespace Livora
