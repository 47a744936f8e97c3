#include "organizador/miniaturas_organizador.h"

#include "vistas/prioridad.h"
#include "motor/pdf.h"
#include "vistas/imagen_qt.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>

#include <vips/vips.h>

namespace Livora {

namespace {

std::size_t pesoDe(const QImage& img) {
    return static_cast<std::size_t>(img.sizeInBytes());
}

// A picture fitted into a box of `lado` pixels or more is good enough for that box.
bool basta(int ladoHecho, int lado) {
    return ladoHecho >= lado;
}

} // namespace

struct MiniaturasOrganizador::Lectores {
    std::mutex m;
    std::vector<std::unique_ptr<LectorMiniaturas>> libres;

    std::unique_ptr<LectorMiniaturas> tomar() {
        std::lock_guard l(m);
        if (libres.empty()) return std::make_unique<LectorMiniaturas>();
        auto r = std::move(libres.back());
        libres.pop_back();
        return r;
    }
    void devolver(std::unique_ptr<LectorMiniaturas> lector) {
        std::lock_guard l(m);
        libres.push_back(std::move(lector));
    }
};

namespace {

// Runs on a worker: the record's thumbnail when it is large enough, else the page drawn
// for the box.
QImage dibujar(const PaginaPDF& pagina, int lado, const std::optional<Imagen>& registrada,
               LectorMiniaturas& lector) {
    cederPrioridad(Cesion::Vista);
    QImage r;
    if (registrada)
        r = proveedorImagen(*registrada)(QSize(lado, lado));
    else if (auto m = lector.dibujar(pagina, lado, lado))
        r = imagenQt(*m);
    vips_thread_shutdown();
    return r;
}

} // namespace

MiniaturasOrganizador::MiniaturasOrganizador(std::map<std::string, Imagen> registro,
                                             std::size_t maxBytes, QObject* padre)
    : QObject(padre), registro_(std::move(registro)), maxBytes_(maxBytes),
      lectores_(std::make_shared<Lectores>()) {
    hilos_.setMaxThreadCount(std::max(1, std::min(2, QThread::idealThreadCount())));
}

// Pages not started yet are dropped; the few being drawn finish (each takes milliseconds)
// and their results go nowhere.
MiniaturasOrganizador::~MiniaturasOrganizador() {
    hilos_.clear();
    hilos_.waitForDone();
}

void MiniaturasOrganizador::empezarCuadro() {
    ++cuadro_;
    pedidos_.clear();
}

QImage MiniaturasOrganizador::imagen(const PaginaPDF& pagina, int lado, bool visible) {
    std::string clave = claveMiniatura(pagina);
    QImage img;
    int hecho = 0;
    if (auto it = cache_.find(clave); it != cache_.end()) {
        Entrada& e = it->second;
        orden_.splice(orden_.begin(), orden_, e.enOrden);
        e.cuadro = cuadro_;
        img = e.imagen;
        hecho = e.lado;
    }
    if (!basta(hecho, lado) && !fallidas_.count(clave))
        pedidos_.push_back({pagina, std::move(clave), lado, visible});
    return img;
}

void MiniaturasOrganizador::terminarCuadro() {
    std::stable_partition(pedidos_.begin(), pedidos_.end(),
                          [](const Pedido& p) { return p.visible; });
    cola_ = std::move(pedidos_);
    pedidos_.clear();
    lanzar();
}

bool MiniaturasOrganizador::fallida(const PaginaPDF& pagina) const {
    return fallidas_.count(claveMiniatura(pagina)) > 0;
}

void MiniaturasOrganizador::lanzar() {
    const auto maximo = static_cast<std::size_t>(hilos_.maxThreadCount());
    while (enVuelo_.size() < maximo && !cola_.empty()) {
        Pedido p = std::move(cola_.front());
        cola_.erase(cola_.begin());
        if (auto it = enVuelo_.find(p.clave); it != enVuelo_.end() && basta(it->second, p.lado))
            continue;
        enVuelo_[p.clave] = p.lado;
        std::optional<Imagen> registrada;
        if (auto it = registro_.find(p.clave);
            it != registro_.end() && std::max(it->second.width(), it->second.height()) >= p.lado)
            registrada = it->second;
        // Results come back through the application object, checked against this one on
        // the interface thread, so a store gone meanwhile is never touched.
        QPointer<MiniaturasOrganizador> yo(this);
        hilos_.start([yo, p, registrada, lectores = lectores_]() {
            auto lector = lectores->tomar();
            QImage img = dibujar(p.pagina, p.lado, registrada, *lector);
            lectores->devolver(std::move(lector));
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [yo, clave = p.clave, lado = p.lado, img]() {
                    if (yo) yo->recibir(clave, lado, img);
                },
                Qt::QueuedConnection);
        });
    }
}

void MiniaturasOrganizador::recibir(const std::string& clave, int lado, QImage img) {
    enVuelo_.erase(clave);
    if (img.isNull())
        fallidas_.insert(clave);
    else
        guardar(clave, lado, std::move(img));
    lanzar();
    Q_EMIT dibujada(QString::fromStdString(clave));
}

void MiniaturasOrganizador::guardar(const std::string& clave, int lado, QImage img) {
    if (auto it = cache_.find(clave); it != cache_.end()) {
        if (it->second.lado > lado) return; // a larger one arrived first
        bytes_ -= pesoDe(it->second.imagen);
        orden_.erase(it->second.enOrden);
        cache_.erase(it);
    }
    orden_.push_front(clave);
    bytes_ += pesoDe(img);
    cache_[clave] = Entrada{std::move(img), lado, cuadro_, orden_.begin()};
    // Oldest out, but never a picture the current frame shows.
    while (bytes_ > maxBytes_ && !orden_.empty()) {
        auto it = cache_.find(orden_.back());
        if (it->second.cuadro == cuadro_) break;
        bytes_ -= pesoDe(it->second.imagen);
        cache_.erase(it);
        orden_.pop_back();
    }
}

std::map<std::string, Imagen>
MiniaturasOrganizador::paraRegistro(const std::vector<PaginaPDF>& paginas) const {
    std::map<std::string, Imagen> r;
    for (const auto& p : paginas) {
        if (r.size() >= miniaturasIniciales) break;
        std::string clave = claveMiniatura(p);
        if (r.count(clave)) continue;
        if (auto it = registro_.find(clave); it != registro_.end()) {
            r.emplace(clave, it->second);
        } else if (auto c = cache_.find(clave); c != cache_.end()) {
            if (auto m = imagenMotor(c->second.imagen)) r.emplace(clave, *m);
        }
    }
    return r;
}

} // namespace Livora
