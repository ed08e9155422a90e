#pragma once

#include "app/capture/SpeechEngine.h"
#include "app/common/SerialWorker.h"
#include "app/state/Preferences.h"
#include "speech/ModelStore.h"
#include "speech/WhisperCatalogue.h"

#include <QAbstractListModel>
#include <QString>
#include <QVariantList>

#include <atomic>
#include <filesystem>
#include <vector>

namespace quaro {

// The whisper models for the settings: which one transcribes (kept under the
// preference "whisperModel", `base` when absent or unknown, and handed to the
// speech engine for every transcription that names none), which are on this
// computer, and their downloads, one at a time off the main thread, with
// progress and cancel, verified as the transcriber's own first-use download
// is. Roles: `modelId`, `label`, `size`, `memory`, `hint` (texts), `present`,
// `chosen` (booleans). Main thread; the preferences and the engine outlive it.
class ModelCatalogue : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count CONSTANT)
    Q_PROPERTY(QString chosen READ chosen NOTIFY chosenChanged)
    // The model being downloaded; empty when none is.
    Q_PROPERTY(QString downloading READ downloading NOTIFY downloadingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    // Why the last download failed; empty after a success or a cancel.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    // The models on this computer other than the chosen one, [{ value, label }],
    // for transcribing a recado again with another.
    Q_PROPERTY(QVariantList alternatives READ alternatives NOTIFY presenceChanged)
public:
    enum Role { IdRole = Qt::UserRole + 1, LabelRole, SizeRole, MemoryRole, HintRole, PresentRole, ChosenRole };

    static constexpr const char* preferenceKey = "whisperModel";

    ModelCatalogue(Preferences& preferences, SpeechEngine& speech, WhisperCatalogue catalogue,
                   std::filesystem::path directory, QObject* parent = nullptr);
    ~ModelCatalogue() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(m_catalogue.models().size()); }
    QString chosen() const { return m_chosen; }
    QString downloading() const { return m_downloading; }
    double progress() const { return m_progress; }
    QString message() const { return m_message; }
    QVariantList alternatives() const;
    bool isPresent(const QString& id) const;

    // Stores the choice; a model not on this computer starts downloading.
    Q_INVOKABLE void choose(const QString& id);
    // Ignored while another download runs or when the model is here.
    Q_INVOKABLE void download(const QString& id);
    Q_INVOKABLE void cancel();
    // Frees the space of a model that is neither chosen nor downloading.
    Q_INVOKABLE void remove(const QString& id);
    // Looks again at what is on disk (the transcriber fetches the chosen
    // model itself on first use).
    Q_INVOKABLE void refresh();

    // "75 MB", "1,5 GB".
    static QString sizeText(std::uint64_t bytes);

signals:
    void chosenChanged();
    void downloadingChanged();
    void progressChanged();
    void messageChanged();
    void presenceChanged();
    // A download ended: `ok` false when it failed or was cancelled.
    void downloadFinished(const QString& id, bool ok);

private:
    void onProgress(const QString& id, double fraction);
    void finishDownload(const QString& id, const Result<std::filesystem::path, TranscriberError>& result);
    void setMessage(const QString& message);
    int rowOf(const QString& id) const;

    Preferences& m_preferences;
    SpeechEngine& m_speech;
    WhisperCatalogue m_catalogue;
    ModelStore m_store;
    std::vector<bool> m_present;
    QString m_chosen;
    QString m_downloading;
    double m_progress = 0;
    std::atomic<int> m_reportedPerMille{-1};
    QString m_message;
    SerialWorker m_worker;
};

} // namespace quaro
