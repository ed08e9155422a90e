#include "app/MicrophoneListModel.h"

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
    return std::any_of(m_microphones.begin(), m_microphones.end(),
                       [&](const Microphone& microphone) { return microphone.id == id; });
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
