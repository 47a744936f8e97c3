// Display images decoded lazily, bounded in bytes.
#include "main/previas.h"
#include "soporte.h"

#include <QSignalSpy>

using namespace Livora;
using namespace prueba;

namespace {

TEST(Previas, SeDecodificanAlPedirlasYLaCacheRespetaSuLimite) {
    // Room for about two 100 × 100 pictures (40 kB each).
    CachePrevias cache(90'000);
    QSignalSpy listas(&cache, &CachePrevias::lista);
    auto pedir = [&](const QString& clave, int lado) {
        return cache.pedir(clave, [lado] {
            QImage i(lado, lado, QImage::Format_ARGB32_Premultiplied);
            i.fill(Qt::red);
            return i;
        });
    };
    EXPECT_TRUE(pedir("a", 100).isNull()) << "first request only starts the decode";
    ASSERT_TRUE(QTest::qWaitFor([&] { return listas.count() == 1; }, 20000));
    EXPECT_EQ(pedir("a", 100).size(), QSize(100, 100));
    pedir("b", 100);
    pedir("c", 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listas.count() == 3; }, 20000));
    EXPECT_LE(cache.bytes(), 90'000u);
    EXPECT_FALSE(pedir("c", 100).isNull());
    EXPECT_TRUE(pedir("a", 100).isNull()) << "the least recently used picture was dropped";
}

TEST(Previas, UnaFotoRealSeReduceSinAgrandarse) {
    const QImage p = previaDeArchivo(datos("foto_exif.jpg"), 100);
    ASSERT_FALSE(p.isNull());
    EXPECT_EQ(std::max(p.width(), p.height()), 100);
    const QImage grande = previaDeArchivo(datos("foto_exif.jpg"), 5000);
    EXPECT_EQ(grande.size(), QSize(480, 320));
    const QImage transparente = previaDeArchivo(datos("transparente.png"), 64);
    ASSERT_FALSE(transparente.isNull());
    EXPECT_TRUE(transparente.hasAlphaChannel());
    EXPECT_TRUE(previaDeArchivo(datos("no_existe.jpg"), 64).isNull());
}

} // namespace
