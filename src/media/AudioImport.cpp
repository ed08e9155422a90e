#include "media/AudioImport.h"

#include "media/AacWriter.h"
#include "media/PcmSink.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <system_error>

namespace quaro {

namespace {

// Owns the output file while a conversion runs; opened only once the source
// proves decodable.
class WriterSink : public PcmSink {
public:
    explicit WriterSink(std::filesystem::path destination) : m_destination(std::move(destination)) {}

    Result<void, AudioImportError> begin() override
    {
        m_writer = QUARO_TRY(AacWriter::create(m_destination));
        return {};
    }
    Result<void, AudioImportError> write(const float* samples, std::size_t count) override
    {
        if (count == 0)
            return {};
        if (!m_writer)
            return Failure{AudioImportError::unsupported(AudioImportError::conversionFailed)};
        QUARO_TRY(m_writer->write(samples, count));
        return {};
    }
    Result<void, AudioImportError> close()
    {
        if (!m_writer)
            return {};
        QUARO_TRY(m_writer->close());
        return {};
    }
    std::int64_t frames() const { return m_writer ? m_writer->frames() : 0; }

private:
    std::filesystem::path m_destination;
    std::unique_ptr<AacWriter> m_writer;
};

bool isPlainName(const std::string& id)
{
    return !id.empty() && id != "." && id != ".." && id.find('/') == std::string::npos
        && id.find('\0') == std::string::npos;
}

} // namespace

bool AudioImport::acceptsExtension(const std::filesystem::path& file)
{
    std::string ext = file.extension().string();
    if (ext.empty())
        return false;
    ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return std::find_if(std::begin(extensions), std::end(extensions), [&](const char* e) { return ext == e; })
        != std::end(extensions);
}

bool AudioImport::isRegularFile(const std::filesystem::path& file)
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(file, ignored);
}

Result<ImportedAudio, AudioImportError> AudioImport::importFile(const std::filesystem::path& source,
                                                                const std::string& id,
                                                                const std::filesystem::path& directory)
{
    if (!isPlainName(id))
        return Failure{AudioImportError::system("Identificador de áudio inválido: " + id + ".")};
    if (!isRegularFile(source))
        return Failure{AudioImportError::unreadable(source.filename().string(), "not a regular file")};
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec)
        return Failure{AudioImportError::system(
            "Não consegui criar a pasta " + directory.string() + " (" + ec.message() + ").", ec.message())};

    const std::filesystem::path destination = directory / (id + ".m4a");
    // Importing a file onto itself would destroy the source.
    if (std::filesystem::equivalent(source, destination, ec))
        return Failure{AudioImportError::system("O áudio de origem já está em " + destination.string() + ".")};
    std::filesystem::remove(destination, ec);

    WriterSink sink(destination);
    auto decoded = media::decodeFile(source, AacWriter::sampleRate, sink);
    auto closed = sink.close();
    auto fail = [&](AudioImportError error) -> Result<ImportedAudio, AudioImportError> {
        std::error_code ignored;
        std::filesystem::remove(destination, ignored);
        return Failure{std::move(error)};
    };
    if (!decoded)
        return fail(decoded.error());
    if (!closed)
        return fail(closed.error());
    if (sink.frames() < minimumFrames)
        return fail(AudioImportError::empty());
    return ImportedAudio{destination, double(sink.frames()) / double(AacWriter::sampleRate)};
}

std::future<Result<ImportedAudio, AudioImportError>> AudioImport::importFileAsync(std::filesystem::path source,
                                                                                  std::string id,
                                                                                  std::filesystem::path directory)
{
    return std::async(std::launch::async, [source = std::move(source), id = std::move(id),
                                           directory = std::move(directory)] {
        return importFile(source, id, directory);
    });
}

} // namespace quaro
