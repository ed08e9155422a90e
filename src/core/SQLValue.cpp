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

SQLRow::SQLRow(std::shared_ptr<const Columns> columns, std::vector<SQLValue> values)
    : m_columns(std::move(columns)), m_values(std::move(values))
{
}

const SQLValue* SQLRow::find(std::string_view column) const
{
    if (!m_columns)
        return nullptr;
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        if ((*m_columns)[i] == column)
            return &m_values[i];
    }
    return nullptr;
}

void SQLRow::set(std::string column, SQLValue value)
{
    if (const SQLValue* existing = find(column)) {
        m_values[static_cast<std::size_t>(existing - m_values.data())] = std::move(value);
        return;
    }
    // The names may be shared with other rows: this row gets its own copy.
    auto columns = m_columns ? std::make_shared<Columns>(*m_columns) : std::make_shared<Columns>();
    columns->push_back(std::move(column));
    m_columns = std::move(columns);
    m_values.push_back(std::move(value));
}

std::map<std::string, SQLValue, std::less<>> SQLRow::values() const
{
    std::map<std::string, SQLValue, std::less<>> all;
    for (std::size_t i = 0; i < m_values.size(); ++i)
        all.emplace((*m_columns)[i], m_values[i]);
    return all;
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
