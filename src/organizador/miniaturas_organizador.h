#pragma once
#include "modelo/modelo.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Livora {

// The organiser's page thumbnails: drawn on worker threads at the size the cells need,
// only for the pages that are on screen or about to be, and kept in a bounded cache
// (least recently used first out) keyed like the record's thumbnails ("path#index"), so a
// 500-page document opens at once and memory stays flat however far it is scrolled.
// The view asks during each paint, between empezarCuadro and terminarCuadro.
class MiniaturasOrganizador : public QObject {
    Q_OBJECT
public:
    // `registro`: the record's thumbnails, used when they are large enough.
    explicit MiniaturasOrganizador(std::map<std::string, Imagen> registro,
                                   std::size_t maxBytes = 64u << 20, QObject* padre = nullptr);
    ~MiniaturasOrganizador() override;

    void empezarCuadro();
    // The best picture at hand for the page, null while there is none. When it is missing
    // or drawn for a smaller box than `lado` × `lado` pixels, it is asked for; `visible`
    // cells are drawn before the ones just off screen.
    QImage imagen(const PaginaPDF& pagina, int lado, bool visible = true);
    // Starts drawing what this frame asked for; what earlier frames asked for and this one
    // did not (cells scrolled past) is dropped.
    void terminarCuadro();
    // Drawing this page failed: its cell keeps its progress indicator.
    bool fallida(const PaginaPDF& pagina) const;
    // What the record keeps when the organiser is applied: the thumbnails of its first
    // pages (the rest are drawn again when they come into view).
    std::map<std::string, Imagen> paraRegistro(const std::vector<PaginaPDF>& paginas) const;

    std::size_t bytes() const { return bytes_; }
    std::size_t guardadas() const { return cache_.size(); }
    bool ocupado() const { return !enVuelo_.empty() || !cola_.empty(); }

Q_SIGNALS:
    // The picture for this key arrived ("path#index").
    void dibujada(const QString& clave);

private:
    struct Pedido {
        PaginaPDF pagina;
        std::string clave;
        int lado = 0;
        bool visible = true;
    };
    struct Entrada {
        QImage imagen;
        int lado = 0;
        std::uint64_t cuadro = 0;
        std::list<std::string>::iterator enOrden;
    };
    void lanzar();
    void recibir(const std::string& clave, int lado, QImage img);
    void guardar(const std::string& clave, int lado, QImage img);

    std::map<std::string, Imagen> registro_;
    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::uint64_t cuadro_ = 0;
    std::list<std::string> orden_; // most recent first
    std::unordered_map<std::string, Entrada> cache_;
    std::vector<Pedido> pedidos_; // asked during the current frame
    std::vector<Pedido> cola_;    // still to start, in order
    std::unordered_map<std::string, int> enVuelo_;
    std::unordered_set<std::string> fallidas_;
    // Readers keep their documents open between pages; a job borrows one. They are owned
    // here, not by the worker threads, so they close when the store goes, not whenever a
    // thread happens to end (poppler's shared state must not be torn down during exit).
    struct Lectores;
    std::shared_ptr<Lectores> lectores_;
    QThreadPool hilos_;
};

} // namespace Livora
