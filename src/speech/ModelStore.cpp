#include "speech/ModelStore.h"

#include "core/Hex.h"
#include "core/QuaroPaths.h"
#include "core/UniqueFd.h"
#include "core/WriteAll.h"
#include "speech/ModelCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <system_error>

#include <curl/curl.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaro {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPartMarker = ".part-";

void initCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Everything the curl callbacks touch while one download runs.
struct Transfer {
    int fd = -1;
    std::uint64_t expected = 0; // 0: unknown until the server says
    std::uint64_t limit = 0;
    std::uint64_t received = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    EVP_MD_CTX* digest = nullptr;
    const DownloadProgressHandler* progress = nullptr;
    const std::atomic<ModelStore::Ticket>* cancels = nullptr;
    ModelStore::Ticket ticket = 0;
    std::uint64_t reported = 0;

    bool cancelled() const { return cancels->load() != ticket; }
};

size_t onData(char* data, size_t size, size_t count, void* user)
{
    auto& t = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (t.cancelled())
        return 0;
    if (t.received + bytes > t.limit) {
        t.tooLarge = true;
        return 0;
    }
    if (!writeAll(t.fd, std::string_view(data, bytes))) {
        t.writeFailed = true;
        return 0;
    }
    EVP_DigestUpdate(t.digest, data, bytes);
    t.received += bytes;
    return bytes;
}

int onProgress(void* user, curl_off_t total, curl_off_t, curl_off_t, curl_off_t)
{
    auto& t = *static_cast<Transfer*>(user);
    if (t.cancelled())
        return 1;
    if (*t.progress && t.received != t.reported) {
        t.reported = t.received;
        const auto announced = total > 0 ? static_cast<std::uint64_t>(total) : t.limit;
        (*t.progress)(DownloadProgress{t.received, t.expected ? t.expected : std::max(announced, t.received)});
    }
    return 0;
}

// Removes temporary files that a download killed mid-way left behind. A
// download in progress holds a lock on its file (in whatever process it
// runs), and that file is left alone.
void removeLeftovers(const fs::path& directory, const std::string& fileName)
{
    std::error_code ec;
    const std::string prefix = fileName + std::string(kPartMarker);
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) != 0)
            continue;
        const UniqueFd fd(::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!fd)
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            fs::remove(entry.path(), ignored);
        }
    }
}

// A new temporary file for a download, locked for as long as the download
// runs. The lock is checked to belong to the file still at that name: another
// process clearing leftovers may have removed it between creation and lock.
UniqueFd createLockedPartial(std::string& path, const std::string& pattern)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        path = pattern;
        UniqueFd fd(::mkostemp(path.data(), O_CLOEXEC));
        if (!fd)
            return {};
        struct stat held {}, named {};
        if (::flock(fd.get(), LOCK_EX) == 0 && ::fstat(fd.get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            return fd;
    }
    return {};
}

} // namespace

ModelSource ModelSource::whisperBase()
{
    return ModelSource{
        "https://huggingface.co/ggerganov/whisper.cpp/resolve/main/ggml-base.bin",
        "ggml-base.bin",
        147951465,
        "465707469ff3a37a2b9b8d8f89f2f99de7299dac",
        147951465,
    };
}

ModelStore::ModelStore(fs::path directory) : m_directory(std::move(directory)) {}

fs::path ModelStore::defaultDirectory()
{
    // Beside the inbox, without creating anything yet.
    return QuaroPaths::dataHome() / "Quaro" / "Models";
}

fs::path ModelStore::pathFor(const ModelSource& source) const
{
    return m_directory / source.fileName;
}

bool ModelStore::goodInPlace(const ModelSource& source, const fs::path& target) const
{
    std::error_code ec;
    if (!fs::is_regular_file(target, ec))
        return false;
    const ModelCheck check(target);
    if (present(source) && (check.recorded(source.sha1) || check.verify(source.sha1)))
        return true;
    // Truncated, grown or corrupt: every transcription would fail on it.
    check.discard();
    return false;
}

bool ModelStore::present(const ModelSource& source) const
{
    std::error_code ec;
    const fs::path target = pathFor(source);
    if (!fs::is_regular_file(target, ec))
        return false;
    const auto size = fs::file_size(target, ec);
    return !ec && (source.size ? size == source.size : size > 0);
}

void ModelStore::remove(const ModelSource& source) const
{
    ModelCheck(pathFor(source)).discard();
}

Result<fs::path, TranscriberError> ModelStore::ensure(const ModelSource& source, const DownloadProgressHandler& progress,
                                                     std::optional<Ticket> ticket)
{
    const Ticket mine = ticket.value_or(this->ticket());
    const fs::path target = pathFor(source);
    std::lock_guard lock(m_downloading);

    if (goodInPlace(source, target))
        return target;
    // Cancelled while waiting for another caller's download: not restarted.
    if (m_cancels.load() != mine)
        return Failure{TranscriberError::downloadCancelled()};

    QuaroPaths::makePrivateDirectory(m_directory);
    std::error_code ec;
    if (!fs::is_directory(m_directory, ec))
        return Failure{TranscriberError::modelDownload("a pasta " + m_directory.string() + " não pôde ser criada")};
    removeLeftovers(m_directory, source.fileName);

    QUARO_TRY(download(source, target, progress, mine));
    return target;
}

Result<void, TranscriberError> ModelStore::download(const ModelSource& source, const fs::path& target,
                                                   const DownloadProgressHandler& progress, Ticket ticket)
{
    initCurl();

    std::string path;
    UniqueFd fd = createLockedPartial(
        path, (m_directory / (source.fileName + std::string(kPartMarker) + "XXXXXX")).string());
    if (!fd)
        return Failure{TranscriberError::modelDownload("não foi possível gravar em " + m_directory.string())};
    const fs::path partial = path;

    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    Transfer transfer;
    transfer.fd = fd.get();
    transfer.expected = source.size;
    // A copy known only by its digest may differ a little from the size
    // announced for it, not by a quarter.
    transfer.limit = source.size                ? source.size
                     : source.approximateSize ? source.approximateSize + source.approximateSize / 4
                                              : std::numeric_limits<std::uint64_t>::max();
    transfer.digest = digest.get();
    transfer.progress = &progress;
    transfer.cancels = &m_cancels;
    transfer.ticket = ticket;

    auto fail = [&](TranscriberError error) -> Result<void, TranscriberError> {
        fd.reset();
        std::error_code ec;
        fs::remove(partial, ec);
        return Failure{std::move(error)};
    };
    if (!digest || !curl || !EVP_DigestInit_ex(digest.get(), EVP_sha1(), nullptr))
        return fail(TranscriberError::modelDownload("falta de memória"));

    char curlError[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, source.url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https,http");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    // A connection that delivers nothing for a minute is given up on.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Quaro");
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &onData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(c);
    if (code == CURLE_ABORTED_BY_CALLBACK || transfer.cancelled())
        return fail(TranscriberError::downloadCancelled());
    if (transfer.tooLarge)
        return fail(TranscriberError::modelCorrupt("maior que " + std::to_string(transfer.limit) + " bytes"));
    if (transfer.writeFailed)
        return fail(TranscriberError::modelDownload("não foi possível gravar em " + m_directory.string()));
    if (code != CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        if (code == CURLE_HTTP_RETURNED_ERROR && status > 0)
            return fail(TranscriberError::modelDownload("HTTP " + std::to_string(status)));
        return fail(TranscriberError::modelDownload(curlError[0] ? curlError : curl_easy_strerror(code)));
    }
    if (source.size && transfer.received != source.size)
        return fail(TranscriberError::modelCorrupt(std::to_string(transfer.received) + " de " +
                                                   std::to_string(source.size) + " bytes"));

    unsigned char sum[EVP_MAX_MD_SIZE];
    unsigned int sumSize = 0;
    EVP_DigestFinal_ex(digest.get(), sum, &sumSize);
    if (hexEncode(std::span<const unsigned char>(sum, sumSize)) != source.sha1)
        return fail(TranscriberError::modelCorrupt("soma SHA-1 diferente"));

    if (::fsync(fd.get()) != 0)
        return fail(TranscriberError::modelDownload("não foi possível gravar em " + m_directory.string()));
    ::fchmod(fd.get(), 0600);
    std::error_code ec;
    // Renamed while still locked, so no one clears it as a leftover first.
    fs::rename(partial, target, ec);
    fd.reset();
    if (ec) {
        fs::remove(partial, ec);
        return Failure{TranscriberError::modelDownload("não foi possível gravar em " + m_directory.string())};
    }
    // Checked on the way in: the record spares hashing it again at next use.
    ModelCheck(target).record(source.sha1);
    if (progress)
        progress(DownloadProgress{transfer.received, transfer.received});
    return {};
}

} // namespace quaro
