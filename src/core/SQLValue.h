#pragma once

#include "core/Timestamp.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace quaro {

// A tagged value, the only currency between the store and the database:
// text (UTF-8, may contain NUL), real (double), int (64-bit) or null.
class SQLValue {
public:
    enum class Kind { text, real, integer, null };

    SQLValue() = default; // null
    SQLValue(std::nullptr_t) {}
    SQLValue(std::nullopt_t) {}
    SQLValue(std::string text) : m_value(std::move(text)) {}
    SQLValue(std::string_view text) : m_value(std::string(text)) {}
    SQLValue(const char* text) : m_value(std::string(text)) {}
    SQLValue(double real) : m_value(real) {}
    SQLValue(bool) = delete; // say which: an integer 0/1, or text
    template <typename I, std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool>, int> = 0>
    SQLValue(I integer) : m_value(static_cast<std::int64_t>(integer)) {}

    // Present gives text, absent gives null.
    static SQLValue from(const std::optional<std::string>& text);
    // Present gives real, absent gives null. Timestamps are doubles of
    // seconds since 1970, so this also serves optional timestamps.
    static SQLValue from(std::optional<double> real);

    Kind kind() const;
    bool isNull() const { return kind() == Kind::null; }
    // The payload when the value is of that kind, otherwise nullptr.
    const std::string* text() const { return std::get_if<std::string>(&m_value); }
    const double* real() const { return std::get_if<double>(&m_value); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&m_value); }

    bool operator==(const SQLValue&) const = default;

private:
    std::variant<std::monostate, std::string, double, std::int64_t> m_value;
};

// One result row: column name to value. When a statement yields two columns
// of the same name, the later one is kept. The accessors never fail: a
// missing column, a null or a value of another kind yields absent. Rows of
// one result share their list of column names.
class SQLRow {
public:
    using Columns = std::vector<std::string>;

    SQLRow() = default;
    // `values[i]` belongs to `(*columns)[i]`; the names are unique.
    SQLRow(std::shared_ptr<const Columns> columns, std::vector<SQLValue> values);

    void set(std::string column, SQLValue value);
    // nullptr when the row has no such column.
    const SQLValue* find(std::string_view column) const;
    std::size_t size() const { return m_values.size(); }
    std::map<std::string, SQLValue, std::less<>> values() const;

    // Text only; a number is not turned into text.
    std::optional<std::string> string(std::string_view column) const;
    // Real, or an integer widened to double.
    std::optional<double> real(std::string_view column) const;
    // Integer, or a real truncated toward zero (absent when it is not finite
    // or does not fit in 64 bits).
    std::optional<std::int64_t> integer(std::string_view column) const;
    // Integer or real, read as seconds since 1970-01-01 UTC.
    std::optional<Timestamp> date(std::string_view column) const;

private:
    std::shared_ptr<const Columns> m_columns;
    std::vector<SQLValue> m_values;
};

} // namespace quaro
