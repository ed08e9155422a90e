#pragma once

#include <QObject>
#include <QString>

namespace quaro {

class CaptureFlow;

// What the settings and onboarding views ask of the desktop: the clipboard,
// the browser and file viewer, the audio file chooser and the sound
// settings. Borrows the capture flow, which must outlive it. Main thread.
class DesktopBridge : public QObject {
    Q_OBJECT
public:
    explicit DesktopBridge(CaptureFlow& capture, QObject* parent = nullptr);

    // Replaces what the clipboard holds with `text`, as plain text.
    Q_INVOKABLE void copyText(const QString& text);
    Q_INVOKABLE bool openUrl(const QString& address);
    Q_INVOKABLE bool openFile(const QString& path);
    // Asks for audio files ("Importar áudios") and imports the chosen ones.
    Q_INVOKABLE void chooseAudioToImport();
    // The desktop's sound settings, where inputs are allowed and picked;
    // false when none of the known panels could be started.
    Q_INVOKABLE bool openMicrophoneSettings();

private:
    CaptureFlow& m_capture;
};

} // namespace quaro
