#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <optional>
#include <string>

namespace quaro {

// The sound server as it is now. Qt 6.4 learns of a new default input only
// when it next reads its device list, and not always then; the server itself
// knows at once. Both are asked through `pactl`, which PulseAudio and
// PipeWire (through its Pulse server) answer alike. Where pactl is missing
// the callers fall back on Qt's view.
namespace SoundServer {

// The name (Qt's device id) of the default input; absent when pactl is
// missing, fails or takes longer than a second. Any thread; blocks that long
// at most.
std::optional<std::string> defaultSourceName();

} // namespace SoundServer

// Follows the server's events for as long as it lives (one `pactl subscribe`
// child): `changed` after the default input or the list of inputs changed,
// once per burst of events. Without pactl it stays silent. Thread of
// creation.
class SoundServerWatch : public QObject {
    Q_OBJECT
public:
    explicit SoundServerWatch(QObject* parent = nullptr);
    ~SoundServerWatch() override;

signals:
    void changed();

private:
    void readEvents();

    QProcess m_pactl;
    QTimer m_settle;
};

} // namespace quaro
