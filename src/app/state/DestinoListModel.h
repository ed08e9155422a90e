#pragma once

#include "app/state/KeyedListModel.h"
#include "core/Destino.h"

#include <QVariantMap>

#include <vector>

namespace quaro {

// The destinos in store order, for QML (settings, inbox sidebar, panel).
// Updated by InboxState on every reload. Main thread only.
// The base is spelled in full: QML type registration matches bases by the spelled name.
class DestinoListModel : public quaro::KeyedListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        InstructionRole,
        ColorHexRole,
        SortRole,
    };
    Q_ENUM(Role)

    using KeyedListModel::KeyedListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setDestinos(std::vector<Destino> destinos);
    const std::vector<Destino>& destinos() const { return m_rows; }
    // The destino with `id`, keyed by role name; empty when it is not listed.
    Q_INVOKABLE QVariantMap byId(const QString& id) const;
    // The row holding `id`, or -1; the id at `row`, or empty.
    Q_INVOKABLE int rowOf(const QString& id) const;
    Q_INVOKABLE QString idAt(int row) const;

private:
    std::vector<Destino> m_rows;
};

} // namespace quaro
