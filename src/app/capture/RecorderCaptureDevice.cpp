#include "app/capture/RecorderCaptureDevice.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace quaro {

RecorderCaptureDevice::RecorderCaptureDevice(QObject* parent)
    : QObject(parent), m_devices(new QMediaDevices(this))
{
    const auto tell = [this] {
        if (m_microphonesChanged)
            m_microphonesChanged();
    };
    connect(m_devices, &QMediaDevices::audioInputsChanged, this, tell);
    connect(&m_server, &SoundServerWatch::changed, this, tell);
}

RecorderCaptureDevice::~RecorderCaptureDevice() = default;

std::vector<Microphone> RecorderCaptureDevice::microphones()
{
    return Recorder::microphones();
}

std::optional<std::string> RecorderCaptureDevice::defaultMicrophoneID()
{
    if (auto name = SoundServer::defaultSourceName())
        return name;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return std::nullopt;
    return device.id().toStdString();
}

void RecorderCaptureDevice::start(std::optional<std::string> microphoneID, std::filesystem::path file,
                                  StartCompletion completion)
{
    m_recorder.start(std::move(microphoneID), std::move(file), std::move(completion));
}

void RecorderCaptureDevice::stop(StopCompletion completion)
{
    m_recorder.stop(std::move(completion));
}

void RecorderCaptureDevice::pause()
{
    m_recorder.pause();
}

void RecorderCaptureDevice::resume()
{
    m_recorder.resume();
}

void RecorderCaptureDevice::switchMicrophone(std::optional<std::string> id)
{
    m_recorder.switchMicrophone(std::move(id));
}

void RecorderCaptureDevice::setSampleTap(SampleTap tap)
{
    m_recorder.setSampleTap(std::move(tap));
}

double RecorderCaptureDevice::seconds() const
{
    return m_recorder.seconds();
}

float RecorderCaptureDevice::level() const
{
    return m_recorder.level();
}

void RecorderCaptureDevice::setUnexpectedStopHandler(UnexpectedStopHandler handler)
{
    m_recorder.onUnexpectedStop = std::move(handler);
}

void RecorderCaptureDevice::setMicrophonesChangedHandler(std::function<void()> handler)
{
    m_microphonesChanged = std::move(handler);
}

} // namespace quaro
