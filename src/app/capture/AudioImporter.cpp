#include "app/capture/AudioImporter.h"

#include <sys/stat.h>

namespace quaro {

AudioImporter::AudioImporter(QObject* parent) : QObject(parent) {}

void AudioImporter::importFile(std::filesystem::path source, std::string id, std::filesystem::path directory,
                               Completion done)
{
    using Imported = Result<ImportedAudio, AudioImportError>;
    m_worker.run<Imported>(
        [source = std::move(source), id = std::move(id), directory = std::move(directory)]() -> Imported {
            auto imported = AudioImport::importFile(source, id, directory);
            if (imported)
                ::chmod(imported->path.c_str(), 0600);
            return imported;
        },
        std::move(done));
}

} // namespace quaro
