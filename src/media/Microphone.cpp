#include "media/Microphone.h"

namespace quaro {

namespace {
// Byte length of the first `count` UTF-8 characters of `text`.
std::size_t utf8Prefix(const std::string& text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t chars = 0; i < text.size() && chars < count; ++chars) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

std::size_t utf8Length(const std::string& text)
{
    std::size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}
} // namespace

std::string Microphone::shortName() const
{
    std::string first = name;
    const std::size_t start = name.find_first_not_of(' ');
    if (start != std::string::npos) {
        const std::size_t end = name.find(' ', start);
        first = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    if (utf8Length(first) >= 13)
        first.resize(utf8Prefix(first, 12));
    return first;
}

} // namespace quaro
