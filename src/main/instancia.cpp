#include "main/instancia.h"

#include <QLocalSocket>
#include <QRegularExpression>

#include <unistd.h>

namespace Livora {

InstanciaUnica::InstanciaUnica(QString nombre, QObject* padre)
    : QObject(padre), nombre_(std::move(nombre)) {}

QString InstanciaUnica::nombrePorDefecto() {
    // Per user and per display: a launch in another session (another X display or Wayland
    // socket of the same user) opens its own window instead of feeding one nobody sees.
    QString pantalla = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (pantalla.isEmpty()) pantalla = qEnvironmentVariable("DISPLAY");
    pantalla.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
    return QStringLiteral("livora-%1-%2").arg(getuid()).arg(pantalla);
}

bool InstanciaUnica::enviar(const QStringList& rutas) {
    QLocalSocket s;
    s.connectToServer(nombre_);
    if (!s.waitForConnected(1000)) return false;
    // One absolute path per line; an empty message just brings the window forward.
    s.write(rutas.join('\n').toUtf8() + '\n');
    s.flush();
    s.waitForBytesWritten(2000);
    s.disconnectFromServer();
    if (s.state() != QLocalSocket::UnconnectedState) s.waitForDisconnected(2000);
    return true;
}

bool InstanciaUnica::escuchar() {
    servidor_ = new QLocalServer(this);
    servidor_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!servidor_->listen(nombre_)) {
        // A socket left behind by a crashed instance: nobody answered on it.
        QLocalServer::removeServer(nombre_);
        if (!servidor_->listen(nombre_)) return false;
    }
    connect(servidor_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* c = servidor_->nextPendingConnection()) {
            auto* buffer = new QByteArray;
            connect(c, &QLocalSocket::readyRead, c, [c, buffer] { buffer->append(c->readAll()); });
            connect(c, &QLocalSocket::disconnected, this, [this, c, buffer] {
                buffer->append(c->readAll());
                QStringList rutas;
                for (const QByteArray& l : buffer->split('\n'))
                    if (!l.isEmpty()) rutas << QString::fromUtf8(l);
                delete buffer;
                c->deleteLater();
                Q_EMIT archivosRecibidos(rutas);
            });
        }
    });
    return true;
}

} // namespace Livora
