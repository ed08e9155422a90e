#include "app/capture/LiveTranscription.h"

#include "core/Log.h"
#include "media/AudioConverter.h"

#include <QMetaObject>
#include <QPointer>

#include <cmath>
#include <mutex>

namespace quaro {

namespace {

constexpr int kSpeechRate = 16000;
// Samples heard and seconds recorded may differ by the resampler's delay;
// more than this means blocks went missing.
constexpr double kCoverageSlack = 0.25;
// whisper hears 30 s at a time: a single pass costs one window per 30 s.
constexpr double kWindowSeconds = 30.0;

} // namespace

// The part the recorder's thread reaches: the resampler and the cutter of
// the recording in progress, and where to send what is cut.
struct LiveTranscription::Feed {
    std::mutex lock;
    QObject* receiver = nullptr; // cleared when the receiver goes
    bool active = false;
    std::uint64_t generation = 0;
    std::optional<AudioConverter> converter;
    StretchCutter cutter;
    std::size_t heard = 0;
    std::vector<float> scratch;

    explicit Feed(StretchRules rules) : cutter(rules) {}

    void push(const float* samples, std::size_t count)
    {
        std::lock_guard guard(lock);
        if (!active || !converter || !receiver)
            return;
        scratch.clear();
        const auto* planes = reinterpret_cast<const std::uint8_t*>(samples);
        if (!converter->convert(&planes, static_cast<int>(count), scratch)) {
            active = false; // heard no longer covers the recording: one pass it is
            return;
        }
        heard += scratch.size();
        for (Stretch& stretch : cutter.push(scratch)) {
            auto cut = std::make_shared<Stretch>(std::move(stretch));
            QMetaObject::invokeMethod(
                receiver,
                [receiver = static_cast<LiveTranscription*>(receiver), generation = generation, cut] {
                    receiver->stretchCut(generation, std::move(*cut));
                },
                Qt::QueuedConnection);
        }
    }
};

LiveTranscription::LiveTranscription(TranscriptionQueue& queue, StretchRules rules, QObject* parent)
    : QObject(parent), m_queue(queue), m_feed(std::make_shared<Feed>(rules))
{
    m_feed->receiver = this;
}

LiveTranscription::~LiveTranscription()
{
    std::lock_guard guard(m_feed->lock);
    m_feed->receiver = nullptr;
    m_feed->active = false;
}

CaptureDevice::SampleTap LiveTranscription::tap() const
{
    return [feed = m_feed](const float* samples, std::size_t count) { feed->push(samples, count); };
}

void LiveTranscription::begin(const std::string& id, const std::string& languageID)
{
    drop();
    m_recordingID = id;
    auto converter = AudioConverter::make(PcmFormat{SampleType::float32, AudioConverter::targetRate, 1, true},
                                          kSpeechRate);
    if (!converter) {
        log(LogArea::app, QStringLiteral("transcrição ao vivo"), QString::fromStdString(converter.error().reason));
        return;
    }
    m_languageID = languageID;
    m_current = std::make_shared<LiveStretches>();
    std::lock_guard guard(m_feed->lock);
    m_feed->generation = ++m_generation;
    m_feed->converter.emplace(std::move(*converter));
    m_feed->heard = 0;
    (void)m_feed->cutter.finish();
    m_feed->active = true;
}

void LiveTranscription::drop()
{
    if (m_current)
        *m_current->dropped = true;
    m_current.reset();
    std::lock_guard guard(m_feed->lock);
    m_feed->active = false;
    m_feed->converter.reset();
    (void)m_feed->cutter.finish();
    ++m_generation;
}

void LiveTranscription::forget(const std::string& id)
{
    if (id == m_recordingID)
        drop();
}

std::optional<LiveHandover> LiveTranscription::finish(const std::string& id, double seconds,
                                                     const std::string& languageID)
{
    // A later recording may have begun while this one was stopping.
    if (!m_current || id != m_recordingID)
        return std::nullopt;
    std::vector<Stretch> late;
    Stretch tail;
    std::size_t heard = 0;
    bool covered = false;
    {
        std::lock_guard guard(m_feed->lock);
        covered = m_feed->active && m_feed->converter;
        if (covered) {
            std::vector<float> rest;
            covered = bool(m_feed->converter->flush(rest));
            m_feed->heard += rest.size();
            late = m_feed->cutter.push(rest);
        }
        heard = m_feed->heard;
        tail = m_feed->cutter.finish();
        m_feed->active = false;
        m_feed->converter.reset();
        ++m_generation;
    }
    for (Stretch& stretch : late)
        enqueue(std::move(stretch));

    std::shared_ptr<LiveStretches> stretches = std::exchange(m_current, nullptr);
    const double heardSeconds = static_cast<double>(heard) / kSpeechRate;
    const auto fail = [&](const QString& why) -> std::optional<LiveHandover> {
        *stretches->dropped = true;
        if (!why.isEmpty())
            log(LogArea::app, QStringLiteral("transcrição ao vivo"), why);
        return std::nullopt;
    };
    if (*stretches->dropped || stretches->failed > 0)
        return fail({});
    if (languageID != m_languageID)
        return fail(QStringLiteral("o idioma mudou durante a gravação; transcrevendo o arquivo inteiro"));
    if (!covered || std::fabs(heardSeconds - seconds) > kCoverageSlack)
        return fail(QStringLiteral("ouvidos %1 s de %2 s gravados; transcrevendo o arquivo inteiro")
                        .arg(heardSeconds, 0, 'f', 2)
                        .arg(seconds, 0, 'f', 2));
    // Behind at the stop: the stretches still waiting plus the tail would
    // cost more passes than the whole file at once.
    const int windows = static_cast<int>(std::ceil(seconds / kWindowSeconds));
    if (stretches->waiting() > 0 && stretches->waiting() + 1 > windows)
        return fail(QStringLiteral("%1 trecho(s) ainda na fila ao parar; transcrevendo o arquivo inteiro")
                        .arg(stretches->waiting()));
    return LiveHandover{stretches, std::move(tail), stretches->done};
}

void LiveTranscription::stretchCut(std::uint64_t generation, Stretch stretch)
{
    if (generation != m_generation || !m_current)
        return;
    enqueue(std::move(stretch));
}

void LiveTranscription::enqueue(Stretch stretch)
{
    if (!m_current || *m_current->dropped)
        return;
    auto stretches = m_current;
    const std::size_t index = stretches->texts.size();
    if (!stretch.speech) {
        stretches->texts.emplace_back(std::string());
        return;
    }
    if (stretches->waiting() >= maximumBacklog) {
        giveUp(QStringLiteral("%1 trechos na fila: o computador não acompanha a fala; o recado sai numa passada só")
                   .arg(stretches->waiting()));
        return;
    }
    stretches->texts.emplace_back();
    ++stretches->queued;
    m_queue.enqueueSamples(std::move(stretch.samples), m_languageID, stretches->dropped,
                           [stretches, index, guard = QPointer<LiveTranscription>(this)](
                               Result<std::string, TranscriberError> text) {
                               if (text) {
                                   stretches->texts[index] = std::move(*text);
                                   ++stretches->done;
                                   if (guard && guard->m_current == stretches)
                                       emit guard->stretchDone(stretches->done);
                               } else {
                                   ++stretches->failed;
                                   *stretches->dropped = true;
                               }
                           });
}

void LiveTranscription::giveUp(const QString& why)
{
    log(LogArea::app, QStringLiteral("transcrição ao vivo"), why);
    if (m_current)
        *m_current->dropped = true;
}

} // namespace quaro
