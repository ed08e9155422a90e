#include "app/MicrophoneChoice.h"

#include "app/MicrophoneListModel.h"
#include "app/Preferences.h"

#include <QVariantMap>

namespace quaro {

MicrophoneChoice::MicrophoneChoice(MicrophoneListModel& microphones, Preferences& preferences, QObject* parent)
    : QObject(parent), m_microphones(microphones), m_preferences(preferences)
{
    connect(&m_preferences, &Preferences::selectedMicIDChanged, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &QAbstractItemModel::modelReset, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &MicrophoneListModel::countChanged, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &QAbstractItemModel::dataChanged, this, &MicrophoneChoice::changed);
}

QVariantList MicrophoneChoice::options() const
{
    QVariantList list{QVariantMap{{QStringLiteral("id"), QString()},
                                  {QStringLiteral("name"), QStringLiteral("Padrão do sistema")}}};
    for (const Microphone& microphone : m_microphones.microphones())
        list.append(QVariantMap{{QStringLiteral("id"), QString::fromStdString(microphone.id)},
                                {QStringLiteral("name"), QString::fromStdString(microphone.name)}});
    return list;
}

int MicrophoneChoice::optionIndex() const
{
    const QString chosen = m_preferences.selectedMicID();
    if (chosen.isEmpty())
        return 0;
    const auto& list = m_microphones.microphones();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (QString::fromStdString(list[i].id) == chosen)
            return int(i) + 1;
    }
    return -1; // chosen but not connected: no entry is checked
}

int MicrophoneChoice::selectedRow() const
{
    const auto& list = m_microphones.microphones();
    if (list.empty())
        return -1;
    const int option = optionIndex();
    return option > 0 ? option - 1 : 0;
}

QString MicrophoneChoice::selectedID() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : QString::fromStdString(m_microphones.microphones()[std::size_t(row)].id);
}

QString MicrophoneChoice::name() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : QString::fromStdString(m_microphones.microphones()[std::size_t(row)].name);
}

QString MicrophoneChoice::shortName() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : QString::fromStdString(m_microphones.microphones()[std::size_t(row)].shortName());
}

bool MicrophoneChoice::followsSystem() const { return m_preferences.selectedMicID().isEmpty(); }

void MicrophoneChoice::choose(const QString& id) { m_preferences.setSelectedMicID(id); }

void MicrophoneChoice::setFollowsSystem(bool on) { m_preferences.setSelectedMicID(on ? QString() : selectedID()); }

} // namespace quaro
