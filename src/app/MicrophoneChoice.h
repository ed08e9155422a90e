#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

namespace quaro {

class MicrophoneListModel;
class Preferences;

// The microphone choice as the panel and the widget show it: the options
// ("Padrão do sistema" first), the device in use (the chosen one when it is
// connected, else the system's, taken as the first listed) and the switch
// between following the system and a fixed device. Borrows the list and the
// preferences, which must outlive it. Main thread only.
class MicrophoneChoice : public QObject {
    Q_OBJECT
    // [{ id, name }]: "" names the system default.
    Q_PROPERTY(QVariantList options READ options NOTIFY changed)
    Q_PROPERTY(int optionIndex READ optionIndex NOTIFY changed)
    Q_PROPERTY(QString selectedID READ selectedID NOTIFY changed)
    Q_PROPERTY(QString name READ name NOTIFY changed)
    Q_PROPERTY(QString shortName READ shortName NOTIFY changed)
    Q_PROPERTY(bool followsSystem READ followsSystem NOTIFY changed)
public:
    MicrophoneChoice(MicrophoneListModel& microphones, Preferences& preferences, QObject* parent = nullptr);

    QVariantList options() const;
    int optionIndex() const;
    // The device in use; empty when there is no microphone at all.
    QString selectedID() const;
    QString name() const;
    QString shortName() const;
    bool followsSystem() const;

    // An empty id follows the system.
    Q_INVOKABLE void choose(const QString& id);
    // On: follow the system. Off: keep the device in use.
    Q_INVOKABLE void setFollowsSystem(bool on);

signals:
    void changed();

private:
    int selectedRow() const;

    MicrophoneListModel& m_microphones;
    Preferences& m_preferences;
};

} // namespace quaro
