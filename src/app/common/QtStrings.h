#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Conversions between the core's UTF-8 strings and Qt's, in one place.
namespace quaro {

inline QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString toQString(const std::string& text) { return toQString(std::string_view(text)); }

inline QString toQString(const char* text) { return toQString(std::string_view(text)); }

// Absent becomes the empty string, which is how QML sees "none".
inline QString toQString(const std::optional<std::string>& text)
{
    return text ? toQString(*text) : QString();
}

// The empty string becomes absent.
inline std::optional<std::string> optionalString(const QString& text)
{
    return text.isEmpty() ? std::nullopt : std::optional(text.toStdString());
}

} // namespace quaro
