#include "app/capture/TranscriptionQueue.h"

namespace quaro {

TranscriptionQueue::TranscriptionQueue(SpeechEngine& engine, QObject* parent)
    : QObject(parent), m_engine(engine)
{
}

TranscriptionQueue::~TranscriptionQueue()
{
    // A model download would hold the quit for minutes; give it up.
    m_engine.cancel();
}

void TranscriptionQueue::enqueue(std::filesystem::path audio, std::string languageID, Completion done,
                                 std::string model)
{
    using Transcript = Result<std::string, TranscriberError>;
    m_worker.run<Transcript>(
        [engine = &m_engine, audio = std::move(audio), languageID = std::move(languageID), model = std::move(model)] {
            return model.empty() ? engine->transcribe(audio, languageID)
                                 : engine->transcribeWith(audio, languageID, model);
        },
        std::move(done));
}

void TranscriptionQueue::enqueueSamples(std::vector<float> samples, std::string languageID,
                                        std::shared_ptr<const std::atomic<bool>> dropped, Completion done)
{
    using Transcript = Result<std::string, TranscriberError>;
    m_worker.run<Transcript>(
        [engine = &m_engine, samples = std::move(samples), languageID = std::move(languageID),
         dropped = std::move(dropped)]() -> Transcript {
            if (dropped && *dropped)
                return Failure{TranscriberError::recognition("trecho descartado")};
            return engine->transcribeSamples(samples, languageID);
        },
        std::move(done));
}

} // namespace quaro
