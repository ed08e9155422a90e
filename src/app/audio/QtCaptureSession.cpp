#include "app/audio/QtCaptureSession.h"

#include "app/audio/SoundServer.h"

#include <QIODevice>
#include <QMediaDevices>

namespace quaro {

namespace {
Microphone microphoneOf(const QAudioDevice& device)
{
    return {device.id().toStdString(), device.description().toStdString()};
}

QAudioDevice findInput(const std::string& id)
{
    const QByteArray wanted = QByteArray::fromStdString(id);
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        if (device.id() == wanted)
            return device;
    return {};
}
} // namespace

void QtCaptureSession::DeleteLater::operator()(QObject* object) const
{
    object->deleteLater();
}

QtCaptureSession::QtCaptureSession(QObject* parent) : QObject(parent), m_devices(new QMediaDevices(this))
{
    connect(m_devices, &QMediaDevices::audioInputsChanged, this, &QtCaptureSession::devicesChanged);
}

QtCaptureSession::~QtCaptureSession()
{
    // Deleted at once, not later: the worker's event loop may be ending.
    if (m_source) {
        m_source->stop();
        delete m_source.release();
    }
}

std::vector<Microphone> QtCaptureSession::microphones()
{
    std::vector<Microphone> list;
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        list.push_back(microphoneOf(device));
    return list;
}

std::optional<Microphone> QtCaptureSession::device(const std::string& id)
{
    const QAudioDevice found = findInput(id);
    if (found.isNull())
        return std::nullopt;
    return microphoneOf(found);
}

std::optional<Microphone> QtCaptureSession::defaultDevice()
{
    // The server's word first: Qt's default lags behind a change.
    if (const auto name = SoundServer::defaultSourceName()) {
        const QAudioDevice named = findInput(*name);
        if (!named.isNull())
            return microphoneOf(named);
    }
    const QAudioDevice found = QMediaDevices::defaultAudioInput();
    if (found.isNull())
        return std::nullopt;
    return microphoneOf(found);
}

std::optional<PcmFormat> QtCaptureSession::pcmFormat(const QAudioFormat& format)
{
    PcmFormat pcm;
    switch (format.sampleFormat()) {
    case QAudioFormat::Float: pcm.sampleType = SampleType::float32; break;
    case QAudioFormat::Int16: pcm.sampleType = SampleType::int16; break;
    case QAudioFormat::Int32: pcm.sampleType = SampleType::int32; break;
    default: return std::nullopt;
    }
    pcm.sampleRate = format.sampleRate();
    pcm.channels = format.channelCount();
    pcm.interleaved = true; // Qt always delivers interleaved frames
    return pcm;
}

QIODevice* QtCaptureSession::startSource(QAudioSource& source)
{
    QIODevice* io = source.start();
    if (!io || source.error() != QAudio::NoError) {
        source.stop();
        return nullptr;
    }
    connect(io, &QIODevice::readyRead, this, &QtCaptureSession::readAvailable);
    return io;
}

Result<void, RecorderError> QtCaptureSession::attach(const Microphone& microphone)
{
    const QAudioDevice device = findInput(microphone.id);
    if (device.isNull())
        return Failure{RecorderError::cannotUseMicrophone(microphone.name)};
    QAudioFormat format = device.preferredFormat();
    if (!pcmFormat(format))
        format.setSampleFormat(QAudioFormat::Int16);
    SourcePtr source(new QAudioSource(device, format));
    QAudioSource* raw = source.get();
    connect(raw, &QAudioSource::stateChanged, this,
            [this, raw](QAudio::State state) { sourceStateChanged(raw, state); });

    QIODevice* io = nullptr;
    if (m_running) {
        // The old input keeps running until the new one has started.
        io = startSource(*source);
        if (!io)
            return Failure{RecorderError::cannotUseMicrophone(microphone.name)};
    }
    SourcePtr previous = std::move(m_source);
    m_source = std::move(source);
    if (previous)
        previous->stop();
    m_io = io;
    m_device = device;
    m_format = *pcmFormat(format);
    m_bytesPerFrame = format.bytesPerFrame();
    m_pending.clear();
    return {};
}

bool QtCaptureSession::prepareOutput()
{
    return m_source != nullptr && m_bytesPerFrame > 0;
}

void QtCaptureSession::startRunning()
{
    if (!m_source)
        return;
    m_io = startSource(*m_source);
    m_running = m_io != nullptr;
}

void QtCaptureSession::stopRunning()
{
    if (m_source)
        m_source->stop();
    m_io = nullptr;
    m_running = false;
    m_pending.clear();
}

void QtCaptureSession::readAvailable()
{
    auto* io = qobject_cast<QIODevice*>(sender());
    if (!io || io != m_io)
        return;
    m_pending.append(io->readAll());
    const qsizetype frames = m_pending.size() / m_bytesPerFrame;
    if (frames <= 0)
        return;
    const void* plane = m_pending.constData();
    if (m_onBuffer)
        m_onBuffer(PcmBufferView{m_format, std::size_t(frames), &plane});
    // The handler may have switched devices and cleared the buffer.
    m_pending.remove(0, std::min<qsizetype>(m_pending.size(), frames * m_bytesPerFrame));
}

void QtCaptureSession::devicesChanged()
{
    if (m_device.isNull() || !findInput(m_device.id().toStdString()).isNull())
        return;
    if (m_onDeviceLost)
        m_onDeviceLost(m_device.id().toStdString());
}

void QtCaptureSession::sourceStateChanged(QAudioSource* source, QAudio::State state)
{
    // A source that dies while recording usually means its device is gone,
    // sometimes before the device list says so.
    if (source != m_source.get() || !m_running || state != QAudio::StoppedState
        || source->error() == QAudio::NoError)
        return;
    if (m_onDeviceLost)
        m_onDeviceLost(m_device.id().toStdString());
}

} // namespace quaro
