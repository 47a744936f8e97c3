#include "organizador/modelo_paginas.h"

namespace Livora {

ModeloPaginas::ModeloPaginas(const Organizador& organizador, QObject* padre)
    : QAbstractListModel(padre), org_(organizador), filas_(organizador.estado().paginas.size()) {}

int ModeloPaginas::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(filas_);
}

const PaginaPDF& ModeloPaginas::pagina(int fila) const {
    return org_.estado().paginas.at(static_cast<std::size_t>(fila));
}

QVariant ModeloPaginas::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= rowCount()) return {};
    const auto& e = org_.estado();
    const PaginaPDF& p = pagina(indice.row());
    switch (rol) {
    case Qt::DisplayRole:
        return QString::number(indice.row() + 1);
    case RolId:
        return QString::fromStdString(p.id.texto());
    case RolRotacion:
        return QVariant::fromValue<qlonglong>(p.rotacion);
    case RolSeleccionada:
        return e.seleccion.count(p.id) > 0;
    case RolArrastrada:
        return e.arrastrada == p.id;
    default:
        return {};
    }
}

Qt::ItemFlags ModeloPaginas::flags(const QModelIndex& indice) const {
    if (!indice.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

void ModeloPaginas::actualizar(Cambio cambio) {
    if (cambio == Cambio::Lista || cambio == Cambio::Reorden) {
        beginResetModel();
        filas_ = org_.estado().paginas.size();
        endResetModel();
    } else if (filas_ > 0) {
        Q_EMIT dataChanged(index(0), index(static_cast<int>(filas_) - 1),
                           {RolSeleccionada, RolArrastrada});
    }
}

} // namespace Livora
