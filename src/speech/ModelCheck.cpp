#include "speech/ModelCheck.h"

#include "core/Hex.h"

#include <fcntl.h>
#include <fstream>
#include <memory>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quaro {
namespace fs = std::filesystem;

ModelCheck::ModelCheck(fs::path model) : m_model(std::move(model)), m_record(m_model.string() + ".sha1") {}

// "<size> <seconds>.<nanoseconds>" of the file as it is now.
std::optional<std::string> ModelCheck::stamp() const
{
    struct stat info {};
    if (::stat(m_model.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

bool ModelCheck::recorded(const std::string& sha1) const
{
    const auto now = stamp();
    if (!now)
        return false;
    std::ifstream in(m_record);
    std::string line;
    return std::getline(in, line) && line == sha1 + " " + *now;
}

bool ModelCheck::verify(const std::string& sha1) const
{
    const auto before = stamp();
    if (!before || sha1Of(m_model) != sha1)
        return false;
    // Recorded only when the file did not change while it was read.
    if (stamp() == before)
        record(sha1);
    return true;
}

void ModelCheck::record(const std::string& sha1) const
{
    const auto now = stamp();
    if (!now)
        return;
    // Written aside and renamed, so a reader never sees half a record.
    const fs::path temporary = m_record.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << sha1 << ' ' << *now << '\n';
        if (!out)
            return;
    }
    std::error_code ignored;
    fs::rename(temporary, m_record, ignored);
}

void ModelCheck::discard() const
{
    std::error_code ignored;
    fs::remove(m_record, ignored);
    fs::remove(m_model, ignored);
}

std::optional<std::string> ModelCheck::sha1Of(const fs::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    bool ok = digest && EVP_DigestInit_ex(digest.get(), EVP_sha1(), nullptr);
    std::vector<char> buffer(1 << 20);
    while (ok) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = EVP_DigestUpdate(digest.get(), buffer.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    unsigned char sum[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!ok || !EVP_DigestFinal_ex(digest.get(), sum, &size))
        return std::nullopt;
    return hexEncode(std::span<const unsigned char>(sum, size));
}

} // namespace quaro
