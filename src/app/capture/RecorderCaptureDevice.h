#pragma once

#include "app/audio/Recorder.h"
#include "app/audio/SoundServer.h"
#include "app/capture/CaptureDevice.h"

#include <QObject>

class QMediaDevices;

namespace quaro {

// The capture device of the running application: the recorder over Qt
// Multimedia, with the system's device-change notification. Linux has no
// microphone permission, so access is always authorised; an absent
// microphone is the recorder's "Nenhum microfone encontrado.". Main thread.
class RecorderCaptureDevice : public QObject, public CaptureDevice {
    Q_OBJECT
public:
    explicit RecorderCaptureDevice(QObject* parent = nullptr);
    ~RecorderCaptureDevice() override;

    std::vector<Microphone> microphones() override;
    std::optional<std::string> defaultMicrophoneID() override;
    void start(std::optional<std::string> microphoneID, std::filesystem::path file,
               StartCompletion completion) override;
    void stop(StopCompletion completion) override;
    void pause() override;
    void resume() override;
    void switchMicrophone(std::optional<std::string> id) override;
    void setSampleTap(SampleTap tap) override;
    double seconds() const override;
    float level() const override;
    void setUnexpectedStopHandler(UnexpectedStopHandler handler) override;
    void setMicrophonesChangedHandler(std::function<void()> handler) override;

private:
    Recorder m_recorder;
    QMediaDevices* m_devices = nullptr;
    // Hears a new default input, which Qt's device list may not report.
    SoundServerWatch m_server;
    std::function<void()> m_microphonesChanged;
};

} // namespace quaro
