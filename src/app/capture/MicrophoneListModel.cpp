#include "app/capture/MicrophoneListModel.h"

#include <algorithm>

namespace quaro {

MicrophoneListModel::MicrophoneListModel(QObject* parent) : QAbstractListModel(parent) {}

int MicrophoneListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant MicrophoneListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Microphone& microphone = m_microphones[static_cast<size_t>(index.row())];
    switch (role) {
    case IdRole: return QString::fromStdString(microphone.id);
    case Qt::DisplayRole:
    case NameRole: return QString::fromStdString(microphone.name);
    case ShortNameRole: return QString::fromStdString(microphone.shortName());
    default: return {};
    }
}

QHash<int, QByteArray> MicrophoneListModel::roleNames() const
{
    return {{IdRole, "id"}, {NameRole, "name"}, {ShortNameRole, "shortName"}};
}

bool MicrophoneListModel::contains(const std::string& id) const
{
    return rowOf(id) >= 0;
}

int MicrophoneListModel::rowOf(const std::string& id) const
{
    const auto found = std::find_if(m_microphones.begin(), m_microphones.end(),
                                    [&](const Microphone& microphone) { return microphone.id == id; });
    return found == m_microphones.end() ? -1 : int(found - m_microphones.begin());
}

void MicrophoneListModel::setDefaultID(std::optional<std::string> id)
{
    if (id == m_defaultID)
        return;
    m_defaultID = std::move(id);
    emit defaultIDChanged();
}

void MicrophoneListModel::setMicrophones(std::vector<Microphone> microphones)
{
    if (microphones == m_microphones)
        return;
    const int before = count();
    beginResetModel();
    m_microphones = std::move(microphones);
    endResetModel();
    if (count() != before)
        emit countChanged();
}

} // namespace quaro
