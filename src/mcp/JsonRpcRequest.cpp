#include "mcp/JsonRpcRequest.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

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

// Builds the document from the parser's events (through the library's public
// SAX interface) and notes where the value of the top-level "id" key starts.
class RequestReader final : public nlohmann::json_sax<json> {
public:
    RequestReader(json& document, const char** cursor) : m_document(document), m_cursor(cursor) {}

    bool null() override { return place(nullptr) != nullptr; }
    bool boolean(bool value) override { return place(value) != nullptr; }
    bool number_integer(number_integer_t value) override { return place(value) != nullptr; }
    bool number_unsigned(number_unsigned_t value) override { return place(value) != nullptr; }
    bool number_float(number_float_t value, const string_t&) override { return place(value) != nullptr; }
    bool string(string_t& value) override { return place(std::move(value)) != nullptr; }
    bool binary(binary_t& value) override { return place(json::binary(std::move(value))) != nullptr; }

    bool start_object(std::size_t) override { return enter(json::object()); }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return enter(json::array()); }
    bool end_array() override { return leave(); }

    bool key(string_t& name) override
    {
        // The lexer stops right after the key's closing quote, so the cursor
        // is where the separator and the value follow.
        if (m_open.size() == 1 && name == "id")
            m_idKeyEnd = *m_cursor;
        m_key = std::move(name);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        m_errored = true;
        return false;
    }

    bool errored() const { return m_errored; }
    const char* idKeyEnd() const { return m_idKeyEnd; }

private:
    // Puts a value where the document is at: the root, the next element of
    // the open array, or the open object's last key (a repeated key keeps
    // its last value). Only the innermost open container ever grows, so the
    // pointers to the open ones stay valid.
    json* place(json value)
    {
        if (m_open.empty()) {
            m_document = std::move(value);
            return &m_document;
        }
        json& container = *m_open.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        json& slot = container[m_key];
        slot = std::move(value);
        return &slot;
    }

    bool enter(json container)
    {
        if (m_open.size() >= maxDepth)
            return false;
        m_open.push_back(place(std::move(container)));
        return true;
    }

    bool leave()
    {
        m_open.pop_back();
        return true;
    }

    json& m_document;
    const char** m_cursor;
    std::vector<json*> m_open;
    string_t m_key;
    const char* m_idKeyEnd = nullptr;
    bool m_errored = false;
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
    if (!parsed || reader.errored() || !request.message.is_object())
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
