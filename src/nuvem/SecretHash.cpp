#include "nuvem/SecretHash.h"

#include <openssl/crypto.h>
#include <openssl/sha.h>

namespace quaro::nuvem {

SecretHash SecretHash::of(std::string_view secret)
{
    SecretHash hash;
    SHA256(reinterpret_cast<const unsigned char*>(secret.data()), secret.size(), hash.m_digest.data());
    return hash;
}

std::string SecretHash::hex() const
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(m_digest.size() * 2);
    for (const std::uint8_t byte : m_digest) {
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
    }
    return out;
}

bool SecretHash::operator==(const SecretHash& other) const
{
    return CRYPTO_memcmp(m_digest.data(), other.m_digest.data(), m_digest.size()) == 0;
}

bool SecretHash::matches(std::string_view storedHex) const
{
    const std::string mine = hex();
    return storedHex.size() == mine.size() && CRYPTO_memcmp(storedHex.data(), mine.data(), mine.size()) == 0;
}

bool isPlausibleSecret(std::string_view secret)
{
    if (secret.size() < 16 || secret.size() > 128)
        return false;
    for (const char c : secret) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '_';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace quaro::nuvem
