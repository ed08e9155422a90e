#include "app/capture/ImportFlow.h"

#include "core/Log.h"
#include "core/QuaroPaths.h"
#include "core/Uuid.h"

#include <QFileInfo>

#include <system_error>

namespace quaro {

namespace {

QString displayName(const std::filesystem::path& file)
{
    return QString::fromStdString(file.filename().string());
}

// The time the user made the file, as far as the file system knows it.
Timestamp creationTime(const std::filesystem::path& file)
{
    const QDateTime born = QFileInfo(QString::fromStdString(file.string())).birthTime();
    return born.isValid() ? static_cast<double>(born.toMSecsSinceEpoch()) / 1000.0 : currentTimestamp();
}

} // namespace

ImportFlow::ImportFlow(QuaroStore& store, TranscriptionFlow& transcription, std::filesystem::path audioDirectory,
                       CaptureHooks hooks, QObject* parent)
    : QObject(parent), m_store(store), m_transcription(transcription),
      m_audioDirectory(std::move(audioDirectory)), m_hooks(std::move(hooks))
{
}

void ImportFlow::importFiles(const std::vector<std::filesystem::path>& files)
{
    std::vector<std::filesystem::path> accepted;
    for (const auto& file : files) {
        if (AudioImport::acceptsExtension(file) && AudioImport::isRegularFile(file))
            accepted.push_back(file);
    }
    if (accepted.empty()) {
        setNotice(QString::fromUtf8(notAudioNotice));
        return;
    }

    const CaptureChoice choice = m_hooks.choice ? m_hooks.choice() : CaptureChoice{};
    setNotice(accepted.size() == 1 ? QStringLiteral("Importando %1…").arg(displayName(accepted.front()))
                                   : QStringLiteral("Importando %1 áudios…").arg(accepted.size()));

    QuaroPaths::makePrivateDirectory(m_audioDirectory);
    auto batch = std::make_shared<Batch>();
    batch->remaining = accepted.size();
    for (const auto& source : accepted) {
        std::string id = makeUUID();
        m_importer.importFile(source, id, m_audioDirectory,
                              [this, source, id, choice, batch](Result<ImportedAudio, AudioImportError> imported) {
                                  fileImported(source, id, imported, choice, *batch);
                                  if (--batch->remaining == 0)
                                      finishBatch(*batch);
                              });
    }
}

void ImportFlow::fileImported(const std::filesystem::path& source, const std::string& id,
                              const Result<ImportedAudio, AudioImportError>& imported, const CaptureChoice& choice,
                              Batch& batch)
{
    if (!imported) {
        batch.errors.push_back(QString::fromStdString(imported.error().description()));
        return;
    }
    Recado recado;
    recado.id = id;
    recado.createdAt = creationTime(source);
    recado.duration = imported->duration;
    recado.audioPath = imported->path.string();
    recado.title = TranscriptionFlow::transcribingTitle;
    recado.destinoID = choice.selectedDestinoID;
    recado.status = RecadoStatus::transcrevendo;
    recado.language = choice.languageID;
    if (auto inserted = m_store.insert(recado); !inserted) {
        // The source is untouched, so nothing is lost; the copy would only
        // be an orphan in the audio folder.
        const QString message = QString::fromStdString(inserted.error().description());
        log(LogArea::app, QStringLiteral("insert"), message);
        batch.errors.push_back(message);
        std::error_code ignored;
        std::filesystem::remove(imported->path, ignored);
        return;
    }
    if (m_hooks.reload)
        m_hooks.reload();
    const bool keepAudio = m_hooks.choice ? m_hooks.choice().keepAudio : true;
    m_transcription.transcribe({id, imported->path, choice.selectedDestinoID, choice.languageID, keepAudio, {}, {}});
    ++batch.imported;
}

void ImportFlow::finishBatch(const Batch& batch)
{
    if (!batch.errors.empty())
        setNotice(batch.errors.front());
    else if (batch.imported == 1)
        setNotice(QStringLiteral("Áudio importado. Transcrevendo no computador…"));
    else
        setNotice(QStringLiteral("%1 áudios importados. Transcrevendo no computador…").arg(batch.imported));
    if (m_hooks.reload)
        m_hooks.reload();
}

void ImportFlow::setNotice(QString notice)
{
    m_notice = std::move(notice);
    emit noticeChanged();
}

} // namespace quaro
