#pragma once

#include "media/RecorderCore.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>

class QIODevice;
class QMediaDevices;

namespace quaro {

// The capture session over Qt Multimedia: devices from QMediaDevices, PCM
// buffers from a QAudioSource in the device's own format. Lives on the
// recorder's worker thread and is only touched there.
class QtCaptureSession : public QObject, public CaptureSession {
    Q_OBJECT
public:
    using BufferHandler = std::function<void(const PcmBufferView&)>;
    using DeviceLostHandler = std::function<void(const std::string& id)>;

    explicit QtCaptureSession(QObject* parent = nullptr);
    ~QtCaptureSession() override;

    static std::vector<Microphone> microphones();

    void setBufferHandler(BufferHandler handler) { m_onBuffer = std::move(handler); }
    void setDeviceLostHandler(DeviceLostHandler handler) { m_onDeviceLost = std::move(handler); }

    std::optional<Microphone> device(const std::string& id) override;
    std::optional<Microphone> defaultDevice() override;
    Result<void, RecorderError> attach(const Microphone& microphone) override;
    bool prepareOutput() override;
    bool isRunning() const override { return m_running; }
    void startRunning() override;
    void stopRunning() override;

private:
    struct DeleteLater {
        void operator()(QObject* object) const;
    };
    using SourcePtr = std::unique_ptr<QAudioSource, DeleteLater>;

    static std::optional<PcmFormat> pcmFormat(const QAudioFormat& format);
    QIODevice* startSource(QAudioSource& source);
    void readAvailable();
    void devicesChanged();
    void sourceStateChanged(QAudioSource* source, QAudio::State state);

    QMediaDevices* m_devices = nullptr;
    QAudioDevice m_device;
    SourcePtr m_source;
    QIODevice* m_io = nullptr;
    PcmFormat m_format;
    int m_bytesPerFrame = 0;
    QByteArray m_pending;
    bool m_running = false;
    BufferHandler m_onBuffer;
    DeviceLostHandler m_onDeviceLost;
};

} // namespace quaro
