#include "media/RecorderCore.h"

#include "core/Log.h"

#include <cstdint>

namespace quaro {

namespace {
class AacRecordingSink : public RecordingSink {
public:
    explicit AacRecordingSink(std::unique_ptr<AacWriter> writer) : m_writer(std::move(writer)) {}
    Result<void, AudioWriteError> write(const float* samples, std::size_t count) override
    {
        return m_writer->write(samples, count);
    }
    Result<void, AudioWriteError> close() override { return m_writer->close(); }

private:
    std::unique_ptr<AacWriter> m_writer;
};

// The file of a recording that never got going, or that could not be
// completed, is of no use to anyone: it would only sit in the private audio
// folder with no recado pointing at it.
void removeUnfinished(const std::filesystem::path& file)
{
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}
} // namespace

RecordingSinkFactory aacRecordingSinkFactory()
{
    return [](const std::filesystem::path& path) -> Result<std::unique_ptr<RecordingSink>, AudioWriteError> {
        auto writer = QUARO_TRY(AacWriter::create(path));
        return std::unique_ptr<RecordingSink>(new AacRecordingSink(std::move(writer)));
    };
}

RecorderCore::RecorderCore(CaptureSession& session, RecordingSinkFactory sinks)
    : m_session(session), m_sinks(std::move(sinks))
{
}

RecorderCore::~RecorderCore()
{
    (void)closeFile();
}

Result<void, RecorderError> RecorderCore::useMicrophone(const std::optional<std::string>& id, Force force)
{
    std::optional<Microphone> chosen;
    if (id)
        chosen = m_session.device(*id);
    if (!chosen)
        chosen = m_session.defaultDevice();
    if (!chosen)
        return Failure{RecorderError::noMicrophone()};
    if (force == Force::no && m_inputID && *m_inputID == chosen->id)
        return {};
    QUARO_TRY(m_session.attach(*chosen));
    m_inputID = chosen->id;
    m_inputName = chosen->name;
    // The next buffer builds a converter for the new device's format.
    m_converter.reset();
    m_converterSource.reset();
    return {};
}

Result<void, AudioWriteError> RecorderCore::closeFile()
{
    Result<void, AudioWriteError> closed;
    if (m_file) {
        closed = m_file->close();
        m_file.reset();
    }
    m_fileURL.reset();
    m_converter.reset();
    m_converterSource.reset();
    m_level.store(0, std::memory_order_relaxed);
    return closed;
}

Result<void, RecorderError> RecorderCore::start(const std::optional<std::string>& microphoneID,
                                               const std::filesystem::path& file)
{
    (void)closeFile(); // a recording still open stays on disk as it is

    auto fail = [&](RecorderError error) -> Result<void, RecorderError> {
        (void)closeFile();
        return Failure{std::move(error)};
    };
    if (auto used = useMicrophone(microphoneID, Force::no); !used)
        return fail(used.error());
    if (!m_session.prepareOutput())
        return fail(RecorderError::noMicrophone());
    auto sink = m_sinks(file);
    if (!sink)
        return fail(RecorderError::system(sink.error().description()));

    m_file = std::move(sink.value());
    m_fileURL = file;
    m_framesWritten = 0;
    m_seconds.store(0, std::memory_order_relaxed);
    m_level.store(0, std::memory_order_relaxed);
    m_paused = false;
    if (!m_session.isRunning()) {
        m_session.startRunning();
        // A device that accepted the input but delivers nothing is not a
        // recording: say so now rather than produce an empty file.
        if (!m_session.isRunning()) {
            auto failed = fail(RecorderError::cannotUseMicrophone(m_inputName));
            removeUnfinished(file);
            return failed;
        }
    }
    return {};
}

Result<std::filesystem::path, RecorderError> RecorderCore::stop()
{
    if (!m_file || !m_fileURL)
        return Failure{RecorderError::notRecording()};
    const std::filesystem::path location = *m_fileURL;
    auto closed = closeFile();
    if (m_session.isRunning())
        m_session.stopRunning();
    // The file is only complete once closed: a failure here is a lost
    // recording, not a success.
    if (!closed) {
        removeUnfinished(location);
        return Failure{RecorderError::system(closed.error().description())};
    }
    return location;
}

void RecorderCore::pause()
{
    m_paused = true;
    m_level.store(0, std::memory_order_relaxed);
}

void RecorderCore::resume()
{
    m_paused = false;
}

void RecorderCore::switchMicrophone(const std::optional<std::string>& id)
{
    auto used = useMicrophone(id, Force::no);
    if (used)
        return;
    log(LogArea::capture, "troca de microfone: " + used.error().description());
    (void)useMicrophone(std::nullopt, Force::yes);
}

void RecorderCore::deviceDisconnected(const std::string& id)
{
    if (m_inputID && *m_inputID == id)
        (void)useMicrophone(std::nullopt, Force::yes);
}

std::optional<UnexpectedStop> RecorderCore::handleBuffer(const PcmBufferView& buffer)
{
    if (!m_file || m_paused)
        return std::nullopt;
    if (buffer.frames == 0 || !buffer.planes)
        return std::nullopt;

    m_level.store(quaro::level(buffer), std::memory_order_relaxed);

    if (!m_converterSource || *m_converterSource != buffer.format) {
        // Remembered even when no converter can be made, so buffers of an
        // unusable format keep being dropped until the format changes.
        auto made = AudioConverter::make(buffer.format);
        if (made) {
            m_converter.emplace(std::move(made).value());
        } else {
            m_converter.reset();
            log(LogArea::capture, "gravação: formato do microfone sem conversão: " + made.error().reason);
        }
        m_converterSource = buffer.format;
    }
    if (!m_converter)
        return std::nullopt;
    if (buffer.frames > std::size_t(INT32_MAX))
        return std::nullopt;
    const auto* const* planes = reinterpret_cast<const std::uint8_t* const*>(buffer.planes);
    if (!m_converter->convert(planes, int(buffer.frames), m_converted) || m_converted.empty())
        return std::nullopt;

    auto written = m_file->write(m_converted.data(), m_converted.size());
    if (written) {
        m_framesWritten += std::int64_t(m_converted.size());
        m_seconds.store(double(m_framesWritten) / double(AudioConverter::targetRate), std::memory_order_relaxed);
        if (m_tap)
            m_tap(m_converted.data(), m_converted.size());
        return std::nullopt;
    }

    UnexpectedStop stopped{m_fileURL.value_or(std::filesystem::path{}), RecorderError::system(written.error().description())};
    const bool known = m_fileURL.has_value();
    (void)closeFile();
    if (m_session.isRunning())
        m_session.stopRunning();
    if (!known)
        return std::nullopt;
    return stopped;
}

} // namespace quaro
