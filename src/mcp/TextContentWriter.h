#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quaro::mcp {

// Writes a successful tool result, {"content": [{"type": "text", "text": T}],
// "isError": false}, as the compact JSON that goes into the reply, where T is
// a value printed as pretty JSON (two-space indent, "/" unescaped, the same
// layout as prettyJson). The value is written once, straight into its place
// inside T's string: a list of recados is neither built as a tree nor printed
// twice. Keys must be given in sorted (byte) order, as prettyJson sorts them.
// Texts must be well-formed UTF-8; ill-formed bytes are replaced by U+FFFD.
class TextContentWriter {
public:
    TextContentWriter();

    // Makes room for about `bytes` more bytes of output.
    void reserve(std::size_t bytes) { m_out.reserve(m_out.size() + bytes); }

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);
    void value(std::string_view text);
    void value(std::int64_t number);
    void null();

    // The finished result object.
    std::string finish() &&;

private:
    void beforeValue();
    void close(char bracket);
    void syntax(std::string_view text);
    void newline();
    void quote();
    void text(std::string_view bytes);

    std::string m_out;
    std::vector<std::size_t> m_items; // items written so far per open container
    bool m_afterKey = false;
};

} // namespace quaro::mcp
