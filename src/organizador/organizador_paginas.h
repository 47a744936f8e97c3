#pragma once
#include "modelo/modelo.h"
#include "organizador/organizador.h"
#include "organizador/servicios_organizador.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QToolButton;

namespace Livora {

class Aparicion;
class BannerAviso;
class MiniaturasOrganizador;
class ModeloPaginas;
class RejillaPaginas;

// The floating bar of actions on the selection, shown while something is selected.
class BarraSeleccion : public QWidget {
    Q_OBJECT
public:
    explicit BarraSeleccion(QWidget* padre);
    // Slides up and fades in, or back out.
    void setMostrada(bool si);
    bool mostrada() const { return mostrada_; }
    void recolocar();
    QToolButton* boton(const QString& ayuda) const;

Q_SIGNALS:
    void girar(int paso);
    void duplicar();
    void extraer();
    void eliminar();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPoint posicionFinal() const;
    bool mostrada_ = false;
    Aparicion* aparicion_;
};

// The page organiser: header, grid and bottom bar over an Organizador, built fresh for each
// opening with the record's pages and thumbnails. "Aplicar" hands the final list and the
// thumbnails to `alAplicar`; "Cancelar" discards everything.
class OrganizadorPaginas : public QWidget {
    Q_OBJECT
public:
    using AlAplicar =
        std::function<void(std::vector<PaginaPDF>, std::map<std::string, Imagen> miniaturas)>;

    OrganizadorPaginas(ServiciosOrganizador servicios, std::string nombreBase,
                       std::vector<PaginaPDF> paginas, std::map<std::string, Imagen> miniaturas,
                       AlAplicar alAplicar, std::function<void()> alCancelar,
                       QWidget* padre = nullptr);
    ~OrganizadorPaginas() override;

    Organizador& nucleo() { return *org_; }
    RejillaPaginas* rejilla() const { return rejilla_; }
    MiniaturasOrganizador& miniaturas() const { return *miniaturas_; }
    BarraSeleccion* barra() const { return barra_; }
    BannerAviso* aviso() const { return aviso_; }
    QString lineaMostrada() const;
    QAbstractButton* boton(const QString& texto) const;

    // Every way files come in (open panel, drop) ends here: their pages go after the
    // selection, read off the interface thread.
    void insertar(std::vector<Ruta> urls);
    void elegirParaInsertar();
    void insertarBlanco();
    void extraer(const std::set<Uuid>& objetivo);
    void aplicar();
    void cancelar();

protected:
    void resizeEvent(QResizeEvent*) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void construirCabecera();
    void construirAtajos();
    void mostrar(Cambio c);
    void menuPagina(int fila, const QPoint& global);
    // Runs `trabajo` through the window's workers with the header's progress shown, and
    // `fin` with its result here, unless the organiser has closed meanwhile.
    template <class R> void enSegundoPlano(std::function<R()> trabajo, std::function<void(R)> fin);

    ServiciosOrganizador s_;
    std::string nombreBase_;
    AlAplicar alAplicar_;
    std::function<void()> alCancelar_;
    std::unique_ptr<Organizador> org_;
    MiniaturasOrganizador* miniaturas_;
    ModeloPaginas* modelo_;
    RejillaPaginas* rejilla_;
    BarraSeleccion* barra_;
    BannerAviso* aviso_;
    QLabel* linea_;
    QProgressBar* progreso_;
    QToolButton* deshacer_;
    QToolButton* insertar_;
    std::vector<QLabel*> iconosTamano_;
    QPushButton* aplicar_;
    QSlider* tamano_;
    int trabajos_ = 0;
};

} // namespace Livora
