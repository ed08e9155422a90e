#include "app/capture/MicrophoneChoice.h"

#include "app/capture/MicrophoneListModel.h"
#include "app/state/Preferences.h"

#include <QVariantMap>

namespace quaro {

const QString MicrophoneChoice::nameKey = QStringLiteral("microphoneName");

MicrophoneChoice::MicrophoneChoice(MicrophoneListModel& microphones, Preferences& preferences, QObject* parent)
    : QObject(parent), m_microphones(microphones), m_preferences(preferences)
{
    connect(&m_preferences, &Preferences::selectedMicIDChanged, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &QAbstractItemModel::modelReset, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &MicrophoneListModel::countChanged, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &QAbstractItemModel::dataChanged, this, &MicrophoneChoice::changed);
    connect(&m_microphones, &MicrophoneListModel::defaultIDChanged, this, &MicrophoneChoice::changed);
    connect(this, &MicrophoneChoice::changed, this, &MicrophoneChoice::rememberChosenName);
    rememberChosenName();
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
    const int row = m_microphones.rowOf(chosen.toStdString());
    return row < 0 ? -1 : row + 1; // chosen but not connected: no entry is checked
}

// The sound server's default; the first device when it names none that is
// listed (a monitor, or a server that is not answering).
int MicrophoneChoice::defaultRow() const
{
    if (m_microphones.microphones().empty())
        return -1;
    const auto& id = m_microphones.defaultID();
    const int row = id ? m_microphones.rowOf(*id) : -1;
    return row < 0 ? 0 : row;
}

bool MicrophoneChoice::chosenAbsent() const
{
    const QString chosen = m_preferences.selectedMicID();
    return !chosen.isEmpty() && !m_microphones.contains(chosen.toStdString());
}

int MicrophoneChoice::selectedRow() const
{
    const int option = optionIndex();
    return option > 0 ? option - 1 : defaultRow();
}

QString MicrophoneChoice::selectedID() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : QString::fromStdString(m_microphones.microphones()[std::size_t(row)].id);
}

QString MicrophoneChoice::standInName() const
{
    const QString absent = m_preferences.stringValue(nameKey).value_or(QStringLiteral("microfone escolhido"));
    return QStringLiteral("Padrão do sistema (%1 ausente)").arg(absent);
}

QString MicrophoneChoice::name() const
{
    if (chosenAbsent())
        return standInName();
    const int row = selectedRow();
    return row < 0 ? QString() : QString::fromStdString(m_microphones.microphones()[std::size_t(row)].name);
}

QString MicrophoneChoice::shortName() const
{
    if (chosenAbsent())
        return standInName();
    const int row = selectedRow();
    return row < 0 ? QString() : QString::fromStdString(m_microphones.microphones()[std::size_t(row)].shortName());
}

bool MicrophoneChoice::followsSystem() const { return m_preferences.selectedMicID().isEmpty(); }

void MicrophoneChoice::choose(const QString& id) { m_preferences.setSelectedMicID(id); }

void MicrophoneChoice::setFollowsSystem(bool on) { m_preferences.setSelectedMicID(on ? QString() : selectedID()); }

void MicrophoneChoice::rememberChosenName()
{
    const QString chosen = m_preferences.selectedMicID();
    if (chosen.isEmpty()) {
        if (m_preferences.stringValue(nameKey))
            m_preferences.removeValue(nameKey);
        return;
    }
    const int row = m_microphones.rowOf(chosen.toStdString());
    if (row < 0)
        return;
    const QString name = QString::fromStdString(m_microphones.microphones()[std::size_t(row)].name);
    if (m_preferences.stringValue(nameKey) != name)
        m_preferences.setValue(nameKey, name);
}

} // namespace quaro
