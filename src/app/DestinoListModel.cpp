#include "app/DestinoListModel.h"

#include "app/QtStrings.h"

namespace quaro {

int DestinoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant DestinoListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Destino& d = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return toQString(d.name);
    case IdRole: return toQString(d.id);
    case InstructionRole: return toQString(d.instruction);
    case ColorHexRole: return toQString(d.colorHex);
    case SortRole: return qlonglong(d.sort);
    default: return {};
    }
}

QHash<int, QByteArray> DestinoListModel::roleNames() const
{
    return {
        {IdRole, "id"},
        {NameRole, "name"},
        {InstructionRole, "instruction"},
        {ColorHexRole, "colorHex"},
        {SortRole, "sort"},
    };
}

QVariantMap DestinoListModel::byId(const QString& id) const
{
    const std::string key = id.toStdString();
    for (int row = 0; row < rowCount(); ++row) {
        if (m_rows[std::size_t(row)].id != key)
            continue;
        QVariantMap values;
        const auto names = roleNames();
        for (auto it = names.begin(); it != names.end(); ++it)
            values.insert(QString::fromLatin1(it.value()), data(index(row), it.key()));
        return values;
    }
    return {};
}

void DestinoListModel::setDestinos(std::vector<Destino> destinos)
{
    applyRows(m_rows, std::move(destinos), [](const Destino& d) -> const std::string& { return d.id; });
}

} // namespace quaro
