#include "mcp/TextContentWriter.h"

#include "core/Utf8.h"

#include <cstdint>
#include <cstring>

namespace quaro::mcp {
namespace {

constexpr std::string_view prefix = R"({"content":[{"type":"text","text":")";
constexpr std::string_view suffix = R"("}],"isError":false})";

// How a byte of a string value reads once escaped inside the pretty text and
// that text escaped again inside the reply: a quote becomes \" and then \\\",
// a line feed \n and then \\n. Empty: the byte stands for itself.
std::string_view twiceEscaped(unsigned char byte)
{
    switch (byte) {
    case '"':
        return R"(\\\")";
    case '\\':
        return R"(\\\\)";
    case '\b':
        return R"(\\b)";
    case '\f':
        return R"(\\f)";
    case '\n':
        return R"(\\n)";
    case '\r':
        return R"(\\r)";
    case '\t':
        return R"(\\t)";
    default:
        return {};
    }
}

// Whether any of the eight bytes in `word` is below 0x20, a quote or a
// backslash (the classic bit tricks for "has a byte less than n" and "has a
// byte equal to v").
bool needsEscape(std::uint64_t word)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    const std::uint64_t below = (word - ones * 0x20) & ~word & highs;
    return below || hasZero(word ^ (ones * '"')) || hasZero(word ^ (ones * '\\'));
}

} // namespace

TextContentWriter::TextContentWriter()
{
    m_out.reserve(4096);
    m_out += prefix;
}

void TextContentWriter::syntax(std::string_view text)
{
    m_out += text;
}

// A line break of the pretty text, as its escape inside the reply's string.
void TextContentWriter::newline()
{
    m_out += "\\n";
    m_out.append(2 * m_items.size(), ' ');
}

void TextContentWriter::quote()
{
    m_out += "\\\"";
}

void TextContentWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_items.empty())
        return;
    if (m_items.back()++ > 0)
        syntax(",");
    newline();
}

void TextContentWriter::beginObject()
{
    beforeValue();
    syntax("{");
    m_items.push_back(0);
}

void TextContentWriter::beginArray()
{
    beforeValue();
    syntax("[");
    m_items.push_back(0);
}

void TextContentWriter::close(char bracket)
{
    const bool empty = m_items.back() == 0;
    m_items.pop_back();
    if (!empty)
        newline();
    m_out += bracket;
}

void TextContentWriter::endObject()
{
    close('}');
}

void TextContentWriter::endArray()
{
    close(']');
}

void TextContentWriter::key(std::string_view name)
{
    if (m_items.back()++ > 0)
        syntax(",");
    newline();
    quote();
    text(name);
    quote();
    syntax(": ");
    m_afterKey = true;
}

void TextContentWriter::value(std::string_view bytes)
{
    beforeValue();
    quote();
    text(bytes);
    quote();
}

void TextContentWriter::value(std::int64_t number)
{
    beforeValue();
    m_out += std::to_string(number);
}

void TextContentWriter::null()
{
    beforeValue();
    syntax("null");
}

void TextContentWriter::text(std::string_view bytes)
{
    const std::size_t start = m_out.size();
    std::size_t run = 0; // start of the bytes not yet copied
    for (std::size_t i = 0; i < bytes.size();) {
        // Eight plain ASCII bytes at a time: most of a transcript.
        std::uint64_t word;
        while (bytes.size() - i >= sizeof word) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if (needsEscape(word) || (word & 0x8080808080808080ULL))
                break;
            i += sizeof word;
        }
        if (i == bytes.size())
            break;
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80) {
            // Checked here rather than in a pass of its own.
            const std::size_t length = utf8::sequenceLength(bytes, i);
            if (length == 0) {
                m_out.resize(start);
                text(utf8::repaired(bytes));
                return;
            }
            i += length;
            continue;
        }
        if (byte >= 0x20 && byte != '"' && byte != '\\') {
            ++i;
            continue;
        }
        m_out.append(bytes.data() + run, i - run);
        if (const std::string_view escaped = twiceEscaped(byte); !escaped.empty()) {
            m_out += escaped;
        } else {
            static const char digits[] = "0123456789abcdef";
            m_out += "\\\\u00";
            m_out += digits[byte >> 4];
            m_out += digits[byte & 0xF];
        }
        run = ++i;
    }
    m_out.append(bytes.data() + run, bytes.size() - run);
}

std::string TextContentWriter::finish() &&
{
    m_out += suffix;
    return std::move(m_out);
}

} // namespace quaro::mcp
