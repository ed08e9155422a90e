#include "app/capture/CaptureFlow.h"

#include "app/state/RecadoOffers.h"
#include "core/Log.h"
#include "core/QuaroPaths.h"
#include "core/Uuid.h"

#include <QPointer>

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace quaro {

namespace {

constexpr const char* stoppedByItself = "A gravação parou sozinha. Tente de novo.";

void removeFile(const std::filesystem::path& file)
{
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

// The recorder writes into an existing file without changing its mode, so
// creating it first keeps the recording private from its first byte.
void createPrivateFile(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
}

} // namespace

CaptureFlow::CaptureFlow(QuaroStore& store, CaptureDevice& device, SpeechEngine& speech,
                         std::filesystem::path audioDirectory, CaptureHooks hooks, CaptureTiming timing,
                         QObject* parent)
    : QObject(parent), m_store(store), m_device(device), m_speech(speech),
      m_audioDirectory(std::move(audioDirectory)), m_hooks(std::move(hooks)), m_timing(timing),
      m_transcription(store, speech, m_hooks), m_import(store, m_transcription, m_audioDirectory, m_hooks),
      m_live(m_transcription.queue())
{
    // A child, so that the meter is seen to be idle whenever capture is.
    m_meter.setParent(this);
    m_meter.setInterval(m_timing.meterIntervalMs);
    connect(&m_meter, &QTimer::timeout, this, &CaptureFlow::meterTick);
    connect(&m_import, &ImportFlow::noticeChanged, this, &CaptureFlow::noticeChanged);
    m_transcription.onFinished = [this](const std::string& id, const std::optional<QString>& lost) {
        transcriptionFinished(id, lost);
    };

    QPointer<CaptureFlow> guard(this);
    m_device.setUnexpectedStopHandler([guard](std::filesystem::path file, std::optional<RecorderError> error) {
        if (guard)
            guard->handleUnexpectedStop(file, error);
    });
    m_device.setMicrophonesChangedHandler([guard] {
        if (guard)
            guard->refreshMicrophones();
    });
    m_device.setSampleTap(m_live.tap());
    connect(&m_live, &LiveTranscription::stretchDone, this, [this](int done) { setLiveStretches(done); });
    refreshMicrophones();
}

CaptureFlow::~CaptureFlow()
{
    m_device.setSampleTap({});
    m_device.setUnexpectedStopHandler({});
    m_device.setMicrophonesChangedHandler({});
}

CaptureChoice CaptureFlow::choice() const
{
    return m_hooks.choice ? m_hooks.choice() : CaptureChoice{};
}

void CaptureFlow::startRecording()
{
    if (isCapturing())
        return;
    ++m_hideToken;
    switch (m_device.permission()) {
    case MicrophonePermission::authorised:
        beginCapture();
        break;
    case MicrophonePermission::denied:
        setPhase(Phase::noPermission());
        break;
    case MicrophonePermission::undetermined:
        m_device.requestPermission([guard = QPointer<CaptureFlow>(this)](bool granted) {
            if (!guard || guard->isCapturing())
                return;
            if (granted)
                guard->beginCapture();
            else
                guard->setPhase(Phase::noPermission());
        });
        break;
    }
}

void CaptureFlow::beginCapture()
{
    const std::string id = makeUUID();
    QuaroPaths::makePrivateDirectory(m_audioDirectory);
    const Capture capture{id, m_audioDirectory / (id + ".m4a")};
    createPrivateFile(capture.file);

    m_current = capture;
    m_shownID = id;
    setLiveStretches(0);
    if (const CaptureChoice now = choice(); now.liveTranscription)
        m_live.begin(id, now.languageID);
    else
        m_live.drop();
    setElapsed(0);
    setLevel(0);
    setPhase(Phase::recording());
    m_device.start(choice().selectedMicID, capture.file,
                   [guard = QPointer<CaptureFlow>(this), capture](Result<void, RecorderError> started) {
                       if (guard)
                           guard->recordingStarted(capture, started);
                   });
}

void CaptureFlow::recordingStarted(const Capture& capture, const Result<void, RecorderError>& started)
{
    // Stopped or dropped before the device answered: that path cleans up.
    if (!m_current || m_current->id != capture.id)
        return;
    if (started) {
        startMeter();
        return;
    }
    m_current.reset();
    m_live.drop();
    removeFile(capture.file);
    fail(QString::fromStdString(started.error().description()));
}

void CaptureFlow::togglePause()
{
    if (m_phase.kind() == Phase::Kind::recording) {
        m_device.pause();
        setPhase(Phase::paused());
    } else if (m_phase.kind() == Phase::Kind::paused) {
        m_device.resume();
        setPhase(Phase::recording());
    }
}

void CaptureFlow::stopAndSend()
{
    if (!isCapturing() || !m_current)
        return;
    stopMeter();
    const double seconds = std::max(m_elapsed, m_device.seconds());
    const CaptureChoice chosen = choice();
    const Capture capture = *m_current;
    m_current.reset();

    if (seconds < m_timing.minimumSeconds) {
        m_live.drop();
        stopDevice([file = capture.file](const Result<std::filesystem::path, RecorderError>&) { removeFile(file); });
        setPhase(Phase::idle());
        return;
    }

    m_lastSentID = capture.id;
    setLastTranscriptionDone(false);
    setPhase(Phase::sent(chosen.selectedDestinoName ? QString::fromStdString(*chosen.selectedDestinoName)
                                                    : QStringLiteral("Caixa")));
    ++m_hideToken;
    scheduleHide(m_timing.sentHideMs);
    stopDevice([guard = QPointer<CaptureFlow>(this), capture, seconds,
                   destino = chosen.selectedDestinoID](Result<std::filesystem::path, RecorderError> stopped) {
        if (guard)
            guard->recordingStopped(capture, seconds, destino, stopped);
    });
}

void CaptureFlow::recordingStopped(const Capture& capture, double seconds, const std::optional<std::string>& chosen,
                                   const Result<std::filesystem::path, RecorderError>& stopped)
{
    if (!stopped) {
        m_live.forget(capture.id);
        if (m_shownID == capture.id && !isCapturing())
            fail(QString::fromStdString(stopped.error().description()));
        if (m_lastSentID == capture.id)
            setLastTranscriptionDone(true);
        return;
    }
    const std::filesystem::path& file = *stopped;
    ::chmod(file.c_str(), 0600);
    const CaptureChoice now = choice();
    Recado recado;
    recado.id = capture.id;
    recado.createdAt = currentTimestamp();
    recado.duration = seconds;
    recado.audioPath = file.string();
    recado.title = TranscriptionFlow::transcribingTitle;
    recado.destinoID = chosen;
    recado.status = RecadoStatus::transcrevendo;
    recado.language = now.languageID;

    TranscriptionJob job{capture.id, file, chosen, now.languageID, now.keepAudio, {}, {}};
    job.live = m_live.finish(capture.id, seconds, now.languageID);
    if (m_lastSentID == capture.id)
        setLiveStretches(job.live ? job.live->doneBeforeStop : 0);
    if (job.live)
        log(LogArea::app, QStringLiteral("transcrição ao vivo"),
            QStringLiteral("%1 trecho(s) pronto(s) antes de parar, %2 na fila")
                .arg(job.live->doneBeforeStop)
                .arg(job.live->stretches->waiting()));
    if (auto inserted = m_store.insert(recado); !inserted) {
        log(LogArea::app, QStringLiteral("insert"), QString::fromStdString(inserted.error().description()));
        job.unfiled = recado;
    }
    if (m_hooks.reload)
        m_hooks.reload();
    m_transcription.transcribe(std::move(job));
}

void CaptureFlow::stopDevice(CaptureDevice::StopCompletion then)
{
    ++m_stopping;
    m_device.stop([guard = QPointer<CaptureFlow>(this),
                   then = std::move(then)](Result<std::filesystem::path, RecorderError> stopped) {
        then(std::move(stopped));
        if (guard && --guard->m_stopping == 0)
            emit guard->stopsSettled();
    });
}

void CaptureFlow::finishForQuit(int boundMs, std::function<void()> done)
{
    if (isCapturing())
        stopAndSend();
    if (m_stopping == 0) {
        done();
        return;
    }
    // Whichever comes first; the other finds nothing left to do.
    auto once = std::make_shared<std::function<void()>>(std::move(done));
    auto fire = [once] {
        if (auto run = std::exchange(*once, {}))
            run();
    };
    connect(this, &CaptureFlow::stopsSettled, this, fire, Qt::SingleShotConnection);
    QTimer::singleShot(boundMs, this, fire);
}

void CaptureFlow::transcriptionFinished(const std::string& id, const std::optional<QString>& lost)
{
    if (id == m_lastSentID)
        setLastTranscriptionDone(true);
    // The speech could not be filed at all; its file stays in the audio
    // folder. Say so, unless a new recording is under way.
    if (lost && !isCapturing())
        fail(*lost);
}

void CaptureFlow::discard()
{
    if (isCapturing()) {
        stopMeter();
        m_live.drop();
        if (m_current) {
            stopDevice([file = m_current->file](const Result<std::filesystem::path, RecorderError>&) {
                removeFile(file);
            });
        }
        m_current.reset();
    }
    setPhase(Phase::idle());
}

void CaptureFlow::dismissMessage()
{
    // Moving the token on cancels the message's own hide, which would
    // otherwise come later and clear whatever is shown by then.
    ++m_hideToken;
    if (!isCapturing())
        setPhase(Phase::idle());
}

void CaptureFlow::toggleRecording()
{
    if (isCapturing())
        stopAndSend();
    else
        startRecording();
}

void CaptureFlow::handleUnexpectedStop(const std::filesystem::path& file, const std::optional<RecorderError>& error)
{
    // Only the recording in progress; a report about an earlier file must
    // not end this one or delete anything.
    if (!isCapturing() || !m_current || m_current->file != file)
        return;
    stopMeter();
    m_current.reset();
    m_live.drop();
    removeFile(file);
    fail(error ? QString::fromStdString(error->description()) : QString::fromUtf8(stoppedByItself));
}

void CaptureFlow::fail(const QString& message)
{
    stopMeter();
    setPhase(Phase::failed(message));
    ++m_hideToken;
    scheduleHide(m_timing.failedHideMs);
}

void CaptureFlow::scheduleHide(int milliseconds)
{
    // Only the token decides: any later message or capture has moved it on.
    auto hide = [guard = QPointer<CaptureFlow>(this), token = m_hideToken] {
        if (guard && token == guard->m_hideToken && !guard->isCapturing())
            guard->setPhase(Phase::idle());
    };
    if (m_timing.schedule)
        m_timing.schedule(milliseconds, std::move(hide));
    else
        QTimer::singleShot(milliseconds, this, std::move(hide));
}

void CaptureFlow::startMeter()
{
    m_meter.start();
}

void CaptureFlow::stopMeter()
{
    m_meter.stop();
    setLevel(0);
}

void CaptureFlow::meterTick()
{
    if (!isCapturing())
        return;
    setElapsed(m_device.seconds());
    const double target = m_phase.kind() == Phase::Kind::paused ? 0.0 : static_cast<double>(m_device.level());
    setLevel(0.4 * target + 0.6 * m_level);
}

void CaptureFlow::importAudio(const QList<QUrl>& urls)
{
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : urls) {
        // Only local files are read. A web address is never fetched, nor
        // taken for a relative path (which could name a local file): it is
        // left out, and a drop of nothing else is told it is not audio.
        if (url.isLocalFile())
            files.emplace_back(url.toLocalFile().toStdString());
    }
    importFiles(files);
}

void CaptureFlow::importFiles(const std::vector<std::filesystem::path>& files)
{
    m_import.importFiles(files);
}

bool CaptureFlow::canTranscribeAgain(const QString& id) const
{
    const std::string key = id.toStdString();
    if (m_transcription.isTranscribing(key))
        return false;
    auto read = m_store.recado(key);
    if (!read || !read->has_value())
        return false;
    const Recado& recado = **read;
    std::error_code ec;
    return menuOffer(recado.status).transcribeAgain && recado.audioPath &&
           std::filesystem::is_regular_file(*recado.audioPath, ec);
}

void CaptureFlow::transcribeAgain(const QString& id, const QString& model)
{
    if (!canTranscribeAgain(id))
        return;
    const std::string key = id.toStdString();
    auto read = m_store.recado(key);
    if (!read || !read->has_value())
        return;
    const Recado& recado = **read;
    (void)m_store.setStatus(key, RecadoStatus::transcrevendo, std::string(TranscriptionFlow::transcribingTitle));
    if (m_hooks.reload)
        m_hooks.reload();
    const CaptureChoice now = choice();
    TranscriptionJob job{key, *recado.audioPath, recado.destinoID, now.languageID, now.keepAudio, {}};
    job.model = model.toStdString();
    if (recado.status == RecadoStatus::pendente)
        job.earlierTitle = recado.title;
    m_transcription.transcribe(std::move(job));
}

QString CaptureFlow::microphonePermission() const
{
    switch (m_device.permission()) {
    case MicrophonePermission::authorised:
        return QStringLiteral("authorised");
    case MicrophonePermission::undetermined:
        return QStringLiteral("undetermined");
    case MicrophonePermission::denied:
        break;
    }
    return QStringLiteral("denied");
}

void CaptureFlow::requestMicrophonePermission()
{
    m_device.requestPermission([guard = QPointer<CaptureFlow>(this)](bool granted) {
        if (guard)
            emit guard->microphonePermissionAnswered(granted ? QStringLiteral("authorised")
                                                             : guard->microphonePermission());
    });
}

void CaptureFlow::refreshMicrophones()
{
    m_microphones.setMicrophones(m_device.microphones());
    m_microphones.setDefaultID(m_device.defaultMicrophoneID());
    // A chosen microphone that is gone stays chosen: the recorder records
    // from the default meanwhile, and takes the chosen one back here when it
    // returns. Following the system, a recording follows a new default.
    const auto selected = choice().selectedMicID;
    if (isCapturing() && (!selected || m_microphones.contains(*selected)))
        m_device.switchMicrophone(selected);
}

void CaptureFlow::switchMicrophone(std::optional<std::string> id)
{
    if (isCapturing())
        m_device.switchMicrophone(std::move(id));
}

int CaptureFlow::recoverInterrupted()
{
    return m_transcription.recoverInterrupted();
}

void CaptureFlow::setPhase(Phase phase)
{
    if (phase == m_phase)
        return;
    m_phase = std::move(phase);
    emit phaseChanged();
}

void CaptureFlow::setElapsed(double elapsed)
{
    if (elapsed == m_elapsed)
        return;
    m_elapsed = elapsed;
    emit elapsedChanged();
}

void CaptureFlow::setLevel(double level)
{
    if (level == m_level)
        return;
    m_level = level;
    emit levelChanged();
}

void CaptureFlow::setLiveStretches(int done)
{
    if (done == m_liveStretches)
        return;
    m_liveStretches = done;
    emit liveStretchesChanged();
}

void CaptureFlow::setLastTranscriptionDone(bool done)
{
    if (done == m_lastTranscriptionDone)
        return;
    m_lastTranscriptionDone = done;
    emit lastTranscriptionDoneChanged();
}

} // namespace quaro
