#include "mcp/JsonRpcRequest.h"

#include <cstddef>
#include <iterator>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

// Nesting beyond this is refused: nothing legitimate comes close, and it keeps
// the recursive parts of the JSON library (dumping, copying) off deep stacks.
constexpr std::size_t maxDepth = 512;

// A character iterator that publishes how far the parser has read, so that
// the parse events can be tied back to positions in the text.
class TrackingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackingIterator(const char* position, const char** cursor) : m_position(position), m_cursor(cursor) {}
    reference operator*() const { return *m_position; }
    TrackingIterator& operator++()
    {
        ++m_position;
        *m_cursor = m_position;
        return *this;
    }
    TrackingIterator operator++(int)
    {
        TrackingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackingIterator& other) const { return m_position == other.m_position; }
    bool operator!=(const TrackingIterator& other) const { return m_position != other.m_position; }

private:
    const char* m_position;
    const char** m_cursor;
};

// Builds the document like the library's own DOM parser and notes where the
// value of the top-level "id" key starts.
class RequestReader : public nlohmann::detail::json_sax_dom_parser<json> {
public:
    using Base = nlohmann::detail::json_sax_dom_parser<json>;

    RequestReader(json& root, const char** cursor) : Base(root, false), m_cursor(cursor) {}

    bool start_object(std::size_t length) { return enter() && Base::start_object(length); }
    bool end_object()
    {
        --m_depth;
        return Base::end_object();
    }
    bool start_array(std::size_t length) { return enter() && Base::start_array(length); }
    bool end_array()
    {
        --m_depth;
        return Base::end_array();
    }
    bool key(std::string& name)
    {
        // The lexer stops right after the key's closing quote, so the cursor
        // is where the separator and the value follow.
        if (m_depth == 1 && name == "id")
            m_idKeyEnd = *m_cursor;
        return Base::key(name);
    }

    const char* idKeyEnd() const { return m_idKeyEnd; }

private:
    bool enter() { return ++m_depth <= maxDepth; }

    const char** m_cursor;
    const char* m_idKeyEnd = nullptr;
    std::size_t m_depth = 0;
};

bool isJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// The number token after `"id"` as it stands in the text.
std::string numberSpelling(const char* from, const char* end)
{
    while (from < end && isJsonSpace(*from))
        ++from;
    if (from < end && *from == ':')
        ++from;
    while (from < end && isJsonSpace(*from))
        ++from;
    const char* to = from;
    while (to < end && isNumberChar(*to))
        ++to;
    return std::string(from, to);
}

} // namespace

std::optional<JsonRpcRequest> parseJsonRpcRequest(std::string_view text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    const char* cursor = begin;

    JsonRpcRequest request;
    RequestReader reader(request.message, &cursor);
    const bool parsed = json::sax_parse(TrackingIterator(begin, &cursor), TrackingIterator(end, &cursor), &reader,
                                        json::input_format_t::json, true);
    if (!parsed || reader.is_errored() || !request.message.is_object())
        return std::nullopt;

    const auto id = request.message.find("id");
    if (id == request.message.end() || id->is_null())
        return request;
    if (id->is_number() && reader.idKeyEnd() != nullptr) {
        std::string spelling = numberSpelling(reader.idKeyEnd(), end);
        request.id = spelling.empty() ? id->dump() : std::move(spelling);
    } else {
        request.id = id->dump(-1, ' ', false, json::error_handler_t::replace);
    }
    return request;
}

} // namespace quaro::mcp
