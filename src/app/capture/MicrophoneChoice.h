#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

namespace quaro {

class MicrophoneListModel;
class Preferences;

// The microphone choice as the panel, the widget and the onboarding show it:
// the options ("Padrão do sistema" first), the device in use and the switch
// between following the system and a fixed device. The device in use is the
// chosen one while it is connected, otherwise the sound server's default
// input. A chosen device that is absent (a headset switched off, a server
// not up yet) stays chosen: it is used again when it returns, and meanwhile
// the names say that the default stands in for it. Borrows the list and the
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
    // The chosen device's name, kept for the time it is absent.
    static const QString nameKey;

    MicrophoneChoice(MicrophoneListModel& microphones, Preferences& preferences, QObject* parent = nullptr);

    QVariantList options() const;
    // The chosen entry; -1 while the chosen device is absent.
    int optionIndex() const;
    // The device in use; empty when there is no microphone at all.
    QString selectedID() const;
    // Its name, or "Padrão do sistema (<chosen> ausente)" while the default
    // stands in for an absent choice.
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
    int defaultRow() const;
    bool chosenAbsent() const;
    QString standInName() const;
    void rememberChosenName();

    MicrophoneListModel& m_microphones;
    Preferences& m_preferences;
};

} // namespace quaro
