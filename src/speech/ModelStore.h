#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "TranscriberError.h"
#include "core/Result.h"

namespace quaro {

// Where a speech model comes from and how to recognise a good copy of it.
struct ModelSource {
    std::string url;
    std::string fileName;
    std::uint64_t size = 0;
    std::string sha1; // lower-case hexadecimal

    // whisper's multilingual "base" model, as its authors publish it.
    static ModelSource whisperBase();
};

struct DownloadProgress {
    std::uint64_t received = 0;
    std::uint64_t total = 0;
};
using DownloadProgressHandler = std::function<void(const DownloadProgress&)>;

// Keeps speech models in one folder (by default "<support>/Models") and
// fetches a missing one on first use: over HTTPS into a temporary file in the
// same folder, checked for size and SHA-1, then renamed into place. A failed,
// interrupted or cancelled download leaves nothing behind, so the next
// attempt starts clean. Thread-safe: concurrent callers of `ensure` for the
// same store wait for one download instead of starting their own.
class ModelStore {
public:
    explicit ModelStore(std::filesystem::path directory);

    // "$XDG_DATA_HOME/Quaro/Models", by default "~/.local/share/Quaro/Models".
    static std::filesystem::path defaultDirectory();

    const std::filesystem::path& directory() const { return m_directory; }
    std::filesystem::path pathFor(const ModelSource& source) const;

    // The model's path, downloading it first when it is missing. `progress`
    // is called from this thread while bytes arrive.
    Result<std::filesystem::path, TranscriberError> ensure(const ModelSource& source,
                                                          const DownloadProgressHandler& progress = {});

    // Stops a download in progress (from any thread); its `ensure` fails with
    // `DownloadCancelled`.
    void cancel() { m_cancelled = true; }

private:
    Result<void, TranscriberError> download(const ModelSource& source, const std::filesystem::path& target,
                                            const DownloadProgressHandler& progress);

    std::filesystem::path m_directory;
    std::mutex m_downloading;
    std::atomic<bool> m_cancelled{false};
};

} // namespace quaro
