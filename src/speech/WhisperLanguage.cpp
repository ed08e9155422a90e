#include "speech/WhisperLanguage.h"

#include <whisper.h>

#include "speech/WhisperLog.h"

namespace quaro {

std::optional<std::string> whisperLanguage(std::string_view localeID)
{
    const auto end = localeID.find_first_of("-_");
    const std::string_view subtag = localeID.substr(0, end);
    // ISO 639 codes only: whisper also accepts full language names ("english")
    // and "auto", which are not locale identifiers.
    if (subtag.size() < 2 || subtag.size() > 3)
        return std::nullopt;
    std::string code;
    for (char c : subtag) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c < 'a' || c > 'z')
            return std::nullopt;
        code += c;
    }
    detail::quietWhisperLogs();
    if (whisper_lang_id(code.c_str()) < 0)
        return std::nullopt;
    return code;
}

} // namespace quaro
