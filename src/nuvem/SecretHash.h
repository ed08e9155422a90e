#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quaro::nuvem {

// What the server keeps of a personal link's secret: its SHA-256, never the
// secret itself. Equality runs in constant time.
class SecretHash {
public:
    static SecretHash of(std::string_view secret);

    // Lower-case hexadecimal, 64 characters: the form stored and looked up.
    std::string hex() const;

    bool operator==(const SecretHash& other) const;
    // Whether `storedHex` is this hash's hex() form, in constant time.
    bool matches(std::string_view storedHex) const;

private:
    std::array<std::uint8_t, 32> m_digest{};
};

// Whether `secret` looks like a link secret: 16 to 128 characters of the
// URL-safe Base64 alphabet. Anything else is refused before hashing.
bool isPlausibleSecret(std::string_view secret);

} // namespace quaro::nuvem
