#include "app/capture/TranscriptionFlow.h"

#include "core/Log.h"
#include "core/QuaroText.h"

#include <algorithm>
#include <limits>
#include <system_error>

namespace quaro {

namespace {

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

std::optional<Destino> destinoFor(const Recado& recado, const std::vector<Destino>& destinos)
{
    if (!recado.destinoID)
        return std::nullopt;
    auto found = std::find_if(destinos.begin(), destinos.end(),
                              [&](const Destino& destino) { return destino.id == *recado.destinoID; });
    if (found == destinos.end())
        return std::nullopt;
    return *found;
}

} // namespace

TranscriptionFlow::TranscriptionFlow(QuaroStore& store, SpeechEngine& speech, CaptureHooks hooks, QObject* parent)
    : QObject(parent), m_store(store), m_hooks(std::move(hooks)), m_queue(speech)
{
}

void TranscriptionFlow::transcribe(TranscriptionJob job)
{
    m_running.insert(job.id);
    if (!job.live) {
        enqueueFile(std::move(job));
        return;
    }
    // The queue runs in order: when the tail's turn has come, every stretch
    // before it has had its own.
    Stretch& tail = job.live->tail;
    std::vector<float> samples = tail.speech ? std::move(tail.samples) : std::vector<float>{};
    tail.samples.clear();
    auto language = job.languageID;
    m_queue.enqueueSamples(std::move(samples), std::move(language), {},
                           [this, job = std::move(job)](Result<std::string, TranscriberError> text) mutable {
                               finishLive(std::move(job), text);
                           });
}

void TranscriptionFlow::finishLive(TranscriptionJob job, const Result<std::string, TranscriberError>& tail)
{
    const LiveStretches& stretches = *job.live->stretches;
    std::string transcript;
    bool whole = tail && !*stretches.dropped && stretches.failed == 0;
    for (const auto& text : stretches.texts) {
        if (!text) {
            whole = false;
            break;
        }
        const std::string_view piece = QuaroText::trimmingWhitespaceAndNewlines(*text);
        if (!piece.empty())
            transcript += (transcript.empty() ? "" : " ") + std::string(piece);
    }
    if (!whole) {
        log(LogArea::app, QStringLiteral("transcrição ao vivo"),
            QStringLiteral("um trecho falhou; transcrevendo o arquivo inteiro de %1").arg(text(job.id)));
        job.live.reset();
        enqueueFile(std::move(job));
        return;
    }
    const std::string_view last = QuaroText::trimmingWhitespaceAndNewlines(*tail);
    if (!last.empty())
        transcript += (transcript.empty() ? "" : " ") + std::string(last);
    finish(job, transcript);
}

void TranscriptionFlow::enqueueFile(TranscriptionJob job)
{
    auto audio = job.audio;
    auto language = job.languageID;
    auto model = job.model;
    m_queue.enqueue(
        std::move(audio), std::move(language),
        [this, job = std::move(job)](Result<std::string, TranscriberError> transcript) { finish(job, transcript); },
        std::move(model));
}

void TranscriptionFlow::finish(const TranscriptionJob& job, const Result<std::string, TranscriberError>& transcript)
{
    if (auto running = m_running.find(job.id); running != m_running.end())
        m_running.erase(running);

    std::optional<QString> lost;
    if (transcript && QuaroText::trimmingWhitespaceAndNewlines(*transcript).empty()) {
        log(LogArea::app, QStringLiteral("transcrição"), QStringLiteral("nenhuma fala em %1").arg(text(job.id)));
        lost = storeFailure(job, nothingHeardTitle);
    } else if (transcript) {
        auto stored = storeTranscript(job, *transcript);
        if (stored) {
            afterFiling(job);
        } else if (job.unfiled) {
            // The second insert failed as well: keep the file, say so.
            log(LogArea::app, QStringLiteral("insert"), text(stored.error().description()));
            lost = text(stored.error().description());
        } else {
            log(LogArea::app, QStringLiteral("transcrição"), text(stored.error().description()));
            (void)m_store.setStatus(job.id, RecadoStatus::falhou, std::string(failedTitle));
        }
    } else {
        log(LogArea::app, QStringLiteral("transcrição"), text(transcript.error().description()));
        lost = storeFailure(job, failedTitle);
    }

    if (onFinished)
        onFinished(job.id, lost);
    if (m_hooks.reload)
        m_hooks.reload();
    if (m_hooks.kickCloud)
        m_hooks.kickCloud();
}

Result<void, DatabaseError> TranscriptionFlow::storeTranscript(const TranscriptionJob& job,
                                                              const std::string& transcript)
{
    const auto destinos = m_hooks.destinos ? m_hooks.destinos() : std::vector<Destino>{};
    const auto mentioned = QuaroText::destinoMentioned(transcript, destinos);
    // A destino named in the speech wins over the one selected when recording.
    const auto destinoID = mentioned ? std::optional(mentioned->id) : job.chosenDestinoID;
    const auto title = QuaroText::title(transcript);
    if (!job.unfiled)
        return m_store.finishTranscription(job.id, transcript, title, destinoID, job.languageID);

    Recado recado = *job.unfiled;
    recado.transcript = transcript;
    recado.title = title;
    recado.destinoID = destinoID;
    recado.language = job.languageID;
    recado.status = RecadoStatus::pendente;
    return m_store.insert(recado);
}

// The recado becomes falhou so that it can be transcribed again; the audio is
// kept. Returns why it could not be stored when even that failed.
std::optional<QString> TranscriptionFlow::storeFailure(const TranscriptionJob& job, const char* title)
{
    if (job.earlierTitle) {
        (void)m_store.setStatus(job.id, RecadoStatus::pendente, *job.earlierTitle);
        return std::nullopt;
    }
    if (!job.unfiled) {
        (void)m_store.setStatus(job.id, RecadoStatus::falhou, std::string(title));
        return std::nullopt;
    }
    Recado recado = *job.unfiled;
    recado.status = RecadoStatus::falhou;
    recado.title = title;
    if (auto inserted = m_store.insert(recado); !inserted) {
        log(LogArea::app, QStringLiteral("insert"), text(inserted.error().description()));
        return text(inserted.error().description());
    }
    return std::nullopt;
}

void TranscriptionFlow::afterFiling(const TranscriptionJob& job)
{
    auto read = m_store.recado(job.id);
    // No row (deleted meanwhile, or unreadable): leave the file alone.
    if (!read || !read->has_value())
        return;
    Recado recado = std::move(**read);
    if (!job.keepAudio) {
        std::error_code ignored;
        std::filesystem::remove(job.audio, ignored);
        if (m_store.setAudioPath(job.id, std::nullopt))
            recado.audioPath.reset();
    }
    if (m_hooks.recadoReady) {
        const auto destinos = m_hooks.destinos ? m_hooks.destinos() : std::vector<Destino>{};
        m_hooks.recadoReady(recado, destinoFor(recado, destinos));
    }
}

int TranscriptionFlow::recoverInterrupted()
{
    auto stuck = m_store.recados(RecadoStatus::transcrevendo, std::nullopt, std::nullopt,
                                 std::numeric_limits<std::int64_t>::max());
    if (!stuck) {
        log(LogArea::app, QStringLiteral("transcrição"), text(stuck.error().description()));
        return 0;
    }
    int recovered = 0;
    for (const Recado& recado : *stuck) {
        if (isTranscribing(recado.id))
            continue;
        if (m_store.setStatus(recado.id, RecadoStatus::falhou, std::string(failedTitle)))
            ++recovered;
    }
    if (recovered > 0)
        log(LogArea::app, QStringLiteral("transcrição"),
            QStringLiteral("%1 recado(s) interrompido(s) marcado(s) como falhou").arg(recovered));
    return recovered;
}

} // namespace quaro
