// The update check against a feed served on 127.0.0.1, and the single-instance door.
#include "main/actualizador.h"
#include "main/instancia.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <thread>

#include <gtest/gtest.h>

using namespace Livora;

namespace {

// Each system's download in one feed: the Debian package is the link, its version given on
// the enclosure; a release for other systems only is no update; 0.10 is newer than 0.9.
const QByteArray kFeed = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
  <item><sparkle:version>0.9.0</sparkle:version>
    <enclosure url="https://example.invalid/livora-0.9.0.tar.gz"/></item>
  <item>
    <enclosure url="https://example.invalid/livora-0.10.2.dmg" sparkle:os="macos"/>
    <enclosure url="https://example.invalid/livora_0.10.2_amd64.deb" sparkle:version="0.10.2"
               type="application/vnd.debian.binary-package"/>
    <enclosure url="https://example.invalid/livora-0.10.2.tar.gz"/></item>
  <item><sparkle:version>0.11.0</sparkle:version>
    <enclosure url="https://example.invalid/livora-0.11.0.dmg" sparkle:os="macos"/></item>
</channel></rss>)";

// Answers every request with one fixed HTTP response.
class ServidorFeed : public QTcpServer {
public:
    explicit ServidorFeed(QByteArray cuerpo, int estado = 200) {
        connect(this, &QTcpServer::newConnection, this, [this, cuerpo, estado] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [s, cuerpo, estado] {
                    s->readAll();
                    s->write("HTTP/1.1 " + QByteArray::number(estado) +
                             " OK\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                             QByteArray::number(cuerpo.size()) + "\r\nConnection: close\r\n\r\n" +
                             cuerpo);
                    s->disconnectFromHost();
                });
            }
        });
        listen(QHostAddress::LocalHost, 0);
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(serverPort());
    }
};

ResultadoActualizacion buscar(const QString& url, const QString& version) {
    Actualizador a(url, version);
    QSignalSpy spy(&a, &Actualizador::terminado);
    a.buscar();
    EXPECT_TRUE(spy.count() > 0 || spy.wait(20000));
    return spy.isEmpty() ? ResultadoActualizacion{}
                         : spy.first().first().value<ResultadoActualizacion>();
}

TEST(Appcast, LeeLaEntradaMasNuevaYComparaVersionesPorNumeros) {
    const auto e = leerAppcast(kFeed);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->version, "0.10.2");
    EXPECT_EQ(e->enlace, "https://example.invalid/livora_0.10.2_amd64.deb");
    EXPECT_GT(compararVersiones("1.10", "1.9"), 0);
    EXPECT_EQ(compararVersiones("1.0", "1"), 0);
    EXPECT_LT(compararVersiones("0.1.0", "0.1.1"), 0);
    EXPECT_FALSE(leerAppcast("<rss><channel><item>"));
    EXPECT_FALSE(leerAppcast("<rss><channel></channel></rss>"));
}

TEST(Appcast, ServidorLocalRespondeNuevaAlDiaOFallo) {
    using E = ResultadoActualizacion::Estado;
    ServidorFeed feed(kFeed), roto("esto no es xml <"), error404("", 404);
    // A port nobody listens on.
    QTcpServer libre;
    libre.listen(QHostAddress::LocalHost, 0);
    const QString sinNadie = QStringLiteral("http://127.0.0.1:%1/x.xml").arg(libre.serverPort());
    libre.close();
    struct Caso {
        QString url, version;
        E estado;
        QString texto; // its start
    };
    const Caso casos[] = {
        {feed.url(), "0.1.0", E::Nueva, "Hay una versión nueva de Livora: 0.10.2"},
        {feed.url(), "0.10.2", E::AlDia, "Livora está al día (versión 0.10.2)."},
        {roto.url(), "0.1.0", E::Fallo, "No se pudo buscar actualizaciones: "},
        {error404.url(), "0.1.0", E::Fallo, "No se pudo buscar actualizaciones: "},
        {sinNadie, "0.1.0", E::Fallo, "No se pudo buscar actualizaciones: "},
        {"", "0.1.0", E::Fallo, "No se pudo buscar actualizaciones: "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.url.toStdString() + " " + c.version.toStdString());
        const auto r = buscar(c.url, c.version);
        EXPECT_EQ(r.estado, c.estado);
        EXPECT_TRUE(r.texto().startsWith(c.texto)) << r.texto().toStdString();
        if (c.estado == E::Nueva) {
            EXPECT_EQ(r.version, "0.10.2");
        }
        if (c.estado == E::Fallo) {
            EXPECT_FALSE(r.error.isEmpty());
        }
    }
}

TEST(InstanciaUnica, LaSegundaEntregaSusArchivosALaPrimera) {
    const QString nombre =
        QStringLiteral("livora-prueba-%1").arg(QCoreApplication::applicationPid());
    InstanciaUnica sinNadie(nombre);
    EXPECT_FALSE(sinNadie.enviar({"/tmp/a.jpg"}));

    InstanciaUnica primera(nombre);
    ASSERT_TRUE(primera.escuchar());
    QSignalSpy spy(&primera, &InstanciaUnica::archivosRecibidos);
    QStringList recibidos;
    QObject::connect(&primera, &InstanciaUnica::archivosRecibidos,
                     [&](const QStringList& r) { recibidos = r; });
    // The second launch runs in its own thread here, as it would in its own process.
    bool entregado = false;
    std::thread segunda([&] {
        InstanciaUnica otra(nombre);
        entregado = otra.enviar({"/tmp/otra foto.jpg", "/tmp/informe.pdf"});
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, 20000));
    segunda.join();
    EXPECT_TRUE(entregado);
    EXPECT_EQ(recibidos, (QStringList{"/tmp/otra foto.jpg", "/tmp/informe.pdf"}));
}

TEST(InstanciaUnica, UnaPorPantalla) {
    // Another session of the same user (another display) gets its own window.
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY"), x = qgetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":1");
    const QString uno = InstanciaUnica::nombrePorDefecto();
    qputenv("DISPLAY", ":2");
    EXPECT_NE(InstanciaUnica::nombrePorDefecto(), uno);
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_NE(InstanciaUnica::nombrePorDefecto(), uno);
    EXPECT_FALSE(InstanciaUnica::nombrePorDefecto().contains('/'));
    for (const auto& [nombre, valor] :
         {std::pair("WAYLAND_DISPLAY", wayland), std::pair("DISPLAY", x)})
        if (valor.isNull())
            qunsetenv(nombre);
        else
            qputenv(nombre, valor);
}

} // namespace
