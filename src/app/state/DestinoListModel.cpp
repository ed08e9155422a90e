#include "app/state/DestinoListModel.h"

#include "app/common/QtStrings.h"

#include <algorithm>

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
    const int row = rowOf(id);
    if (row < 0)
        return {};
    QVariantMap values;
    const auto names = roleNames();
    for (auto it = names.begin(); it != names.end(); ++it)
        values.insert(QString::fromLatin1(it.value()), data(index(row), it.key()));
    return values;
}

int DestinoListModel::rowOf(const QString& id) const
{
    const std::string key = id.toStdString();
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [&](const Destino& d) { return d.id == key; });
    return found == m_rows.end() ? -1 : int(found - m_rows.begin());
}

QString DestinoListModel::idAt(int row) const
{
    return row >= 0 && row < rowCount() ? toQString(m_rows[std::size_t(row)].id) : QString();
}

void DestinoListModel::setDestinos(std::vector<Destino> destinos)
{
    applyRows(m_rows, std::move(destinos), [](const Destino& d) -> const std::string& { return d.id; });
}

} // namespace quaro
