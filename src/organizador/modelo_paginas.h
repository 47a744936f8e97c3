#pragma once
#include "organizador/organizador.h"

#include <QAbstractListModel>

namespace Livora {

// The organiser's page list as an item model: one row per page, in list order.
class ModeloPaginas : public QAbstractListModel {
    Q_OBJECT
public:
    enum Rol {
        RolId = Qt::UserRole + 1, // the page reference's identifier, as text
        RolRotacion,              // extra rotation as stored (not normalised)
        RolSeleccionada,
        RolArrastrada,
    };

    explicit ModeloPaginas(const Organizador& organizador, QObject* padre = nullptr);
    int rowCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;

    const PaginaPDF& pagina(int fila) const;
    // The organiser changed: rows when its list did, the per-row state otherwise.
    void actualizar(Cambio cambio);

private:
    const Organizador& org_;
    std::size_t filas_ = 0;
};

} // namespace Livora
