#pragma once

#include "app/capture/AudioImporter.h"
#include "app/capture/CaptureHooks.h"
#include "app/capture/TranscriptionFlow.h"
#include "core/QuaroStore.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <vector>

namespace quaro {

// Audio import: keeps the files Quaro reads, converts them one after another
// off the main thread, files each as a recado to transcribe, and sums the
// batch up in `notice`. Main thread; store, transcription flow and hooks
// outlive it.
class ImportFlow : public QObject {
    Q_OBJECT
public:
    static constexpr const char* notAudioNotice = "Esse arquivo não é um áudio que o Quaro lê (m4a, mp3, wav, opus…).";

    ImportFlow(QuaroStore& store, TranscriptionFlow& transcription, std::filesystem::path audioDirectory,
               CaptureHooks hooks, QObject* parent = nullptr);

    void importFiles(const std::vector<std::filesystem::path>& files);

    // The one-line message about the last import; empty before any.
    const QString& notice() const { return m_notice; }
    // The user closed the notice, or it has been read long enough.
    void clearNotice() { setNotice({}); }
    int pending() const { return m_importer.pending(); }

signals:
    // Emitted on every new notice, even one with the same text, so that a
    // view showing it for a while starts over.
    void noticeChanged();

private:
    struct Batch {
        std::size_t remaining = 0;
        int imported = 0;
        std::vector<QString> errors;
    };

    void fileImported(const std::filesystem::path& source, const std::string& id,
                      const Result<ImportedAudio, AudioImportError>& imported, const CaptureChoice& choice,
                      Batch& batch);
    void finishBatch(const Batch& batch);
    void setNotice(QString notice);

    QuaroStore& m_store;
    TranscriptionFlow& m_transcription;
    std::filesystem::path m_audioDirectory;
    CaptureHooks m_hooks;
    AudioImporter m_importer;
    QString m_notice;
};

} // namespace quaro
