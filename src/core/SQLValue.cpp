#include "core/SQLValue.h"

#include <cmath>

namespace quaro {

SQLValue SQLValue::from(const std::optional<std::string>& text)
{
    return text ? SQLValue(*text) : SQLValue();
}

SQLValue SQLValue::from(std::optional<double> real)
{
    return real ? SQLValue(*real) : SQLValue();
}

SQLValue::Kind SQLValue::kind() const
{
    switch (m_value.index()) {
    case 1:
        return Kind::text;
    case 2:
        return Kind::real;
    case 3:
        return Kind::integer;
    default:
        return Kind::null;
    }
}

const SQLValue* SQLRow::find(std::string_view column) const
{
    auto it = m_values.find(column);
    return it == m_values.end() ? nullptr : &it->second;
}

std::optional<std::string> SQLRow::string(std::string_view column) const
{
    const SQLValue* value = find(column);
    if (value && value->text())
        return *value->text();
    return std::nullopt;
}

std::optional<double> SQLRow::real(std::string_view column) const
{
    const SQLValue* value = find(column);
    if (!value)
        return std::nullopt;
    if (const double* real = value->real())
        return *real;
    if (const std::int64_t* integer = value->integer())
        return static_cast<double>(*integer);
    return std::nullopt;
}

std::optional<std::int64_t> SQLRow::integer(std::string_view column) const
{
    const SQLValue* value = find(column);
    if (!value)
        return std::nullopt;
    if (const std::int64_t* integer = value->integer())
        return *integer;
    if (const double* real = value->real()) {
        // Truncation toward zero; values a 64-bit integer cannot hold (and
        // NaN) have no integer reading. 2^63 itself is out of range.
        const double truncated = std::trunc(*real);
        if (!std::isfinite(truncated) || truncated < -9223372036854775808.0 || truncated >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<std::int64_t>(truncated);
    }
    return std::nullopt;
}

std::optional<Timestamp> SQLRow::date(std::string_view column) const
{
    return real(column);
}

} // namespace quaro
