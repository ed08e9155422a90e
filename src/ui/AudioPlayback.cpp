#include "ui/AudioPlayback.h"

#include <QAudioOutput>
#include <QMediaPlayer>

namespace quaro {

AudioPlayback::AudioPlayback(QObject* parent) : QObject(parent) {}

AudioPlayback::~AudioPlayback()
{
    if (m_player)
        m_player->disconnect(this);
}

void AudioPlayback::toggle(const QUrl& url)
{
    if (m_playing) {
        if (m_player)
            m_player->pause();
        setPlaying(false);
        return;
    }
    if (m_player && m_url == url) {
        m_player->play();
        setPlaying(m_player->playbackState() == QMediaPlayer::PlayingState);
        return;
    }
    start(url);
}

void AudioPlayback::start(const QUrl& url)
{
    stop();
    if (!url.isLocalFile())
        return;
    m_url = url;
    m_output = std::make_unique<QAudioOutput>();
    m_player = std::make_unique<QMediaPlayer>();
    m_player->setAudioOutput(m_output.get());
    connect(m_player.get(), &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) { setPlaying(state == QMediaPlayer::PlayingState); });
    // The end of the file and a file that cannot be read both leave the
    // button ready to play again.
    connect(m_player.get(), &QMediaPlayer::errorOccurred, this, [this] { setPlaying(false); });
    m_player->setSource(url);
    m_player->play();
    setPlaying(m_player->playbackState() == QMediaPlayer::PlayingState);
}

void AudioPlayback::stop()
{
    if (m_player) {
        m_player->disconnect(this);
        m_player->stop();
    }
    m_player.reset();
    m_output.reset();
    m_url.clear();
    setPlaying(false);
}

void AudioPlayback::setPlaying(bool playing)
{
    if (m_playing == playing)
        return;
    m_playing = playing;
    emit isPlayingChanged();
}

} // namespace quaro
