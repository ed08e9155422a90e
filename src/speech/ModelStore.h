#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/Result.h"
#include "speech/TranscriberError.h"

namespace quaro {

// Where a speech model comes from and how to recognise a good copy of it.
struct ModelSource {
    std::string url;
    std::string fileName;
    // Exact size in bytes; 0 when only the digest is published, and then
    // the SHA-1 alone decides.
    std::uint64_t size = 0;
    std::string sha1; // lower-case hexadecimal
    // Approximate size when the exact one is unknown: the progress total
    // when the server gives no length, and a bound on what is accepted.
    std::uint64_t approximateSize = 0;

    // whisper's multilingual "base" model, as its authors publish it.
    static ModelSource whisperBase();
};

struct DownloadProgress {
    std::uint64_t received = 0;
    std::uint64_t total = 0;
};
using DownloadProgressHandler = std::function<void(const DownloadProgress&)>;

// Keeps speech models in one folder (by default "<support>/Models", created
// owner-only) and fetches a missing one on first use: over HTTPS into a
// temporary file in the same folder, checked for size and SHA-1, then renamed
// into place. A model already in place is checked against its SHA-1 once, and
// again whenever its size or modification time changed (see ModelCheck); a
// bad copy is replaced. A failed, interrupted or cancelled download leaves
// nothing behind, so the next attempt starts clean; a download in progress
// (in this process or another) keeps its temporary file locked, and only
// unlocked leftovers are cleared. Thread-safe: concurrent callers of `ensure`
// for the same store wait for one download instead of starting their own.
class ModelStore {
public:
    explicit ModelStore(std::filesystem::path directory);

    // "$XDG_DATA_HOME/Quaro/Models", by default "~/.local/share/Quaro/Models".
    static std::filesystem::path defaultDirectory();

    const std::filesystem::path& directory() const { return m_directory; }
    std::filesystem::path pathFor(const ModelSource& source) const;

    // Taken when a caller starts wanting a model; `cancel` voids every ticket
    // taken before it.
    using Ticket = std::uint64_t;
    Ticket ticket() const { return m_cancels.load(); }

    // The model's path, downloading it first when it is missing or bad.
    // `progress` is called from this thread while bytes arrive. `ticket`
    // (by default one taken on entry) says which cancellations concern this
    // call.
    Result<std::filesystem::path, TranscriberError> ensure(const ModelSource& source,
                                                          const DownloadProgressHandler& progress = {},
                                                          std::optional<Ticket> ticket = std::nullopt);

    // Whether a copy of the model is in place, judged by its name and size
    // alone (cheap enough for an interface to ask often); `ensure` checks
    // its digest before use.
    bool present(const ModelSource& source) const;

    // Deletes the model and its check record, to free the space.
    void remove(const ModelSource& source) const;

    // Stops the download in progress and every call waiting for it (from any
    // thread): they fail with `DownloadCancelled`, and the waiters do not
    // start a download of their own. Calls made after it download afresh.
    void cancel() { ++m_cancels; }

private:
    Result<void, TranscriberError> download(const ModelSource& source, const std::filesystem::path& target,
                                            const DownloadProgressHandler& progress, Ticket ticket);
    bool goodInPlace(const ModelSource& source, const std::filesystem::path& target) const;

    std::filesystem::path m_directory;
    std::mutex m_downloading;
    std::atomic<Ticket> m_cancels{0};
};

} // namespace quaro
