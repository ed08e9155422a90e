#pragma once

#include "app/common/SerialWorker.h"
#include "media/AudioImport.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <string>

namespace quaro {

// Converts dropped or opened audio files into Quaro's own copies, one after
// another off the main thread; completions come back on the main thread in
// the order the files were given.
class AudioImporter : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(Result<ImportedAudio, AudioImportError>)>;

    explicit AudioImporter(QObject* parent = nullptr);

    // Makes `directory/<id>.m4a` from `source`, readable by its owner only.
    void importFile(std::filesystem::path source, std::string id, std::filesystem::path directory,
                    Completion done);

    int pending() const { return m_worker.outstanding(); }

private:
    SerialWorker m_worker;
};

} // namespace quaro
