#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QAudioOutput;
class QMediaPlayer;

namespace quaro {

// Plays one recado's audio for the inbox's detail: a toggle between playing
// and paused that resumes where it stopped for the same file and starts
// over for another. A file that cannot be played simply does not play.
// Main thread; owned by the row that shows it.
class AudioPlayback : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
public:
    explicit AudioPlayback(QObject* parent = nullptr);
    ~AudioPlayback() override;

    bool isPlaying() const { return m_playing; }

    Q_INVOKABLE void toggle(const QUrl& url);
    // The same for a file's path, however odd its characters.
    Q_INVOKABLE void toggleFile(const QString& path) { toggle(QUrl::fromLocalFile(path)); }
    // Stops and lets the player go (the row disappeared or shows another
    // recado).
    Q_INVOKABLE void stop();

signals:
    void isPlayingChanged();

private:
    void setPlaying(bool playing);
    void start(const QUrl& url);

    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
    QUrl m_url;
    bool m_playing = false;
};

} // namespace quaro
