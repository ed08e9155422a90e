#pragma once

#include <string>
#include <utility>

namespace quaro {

// A failure to create or write an audio file; `description()` is the
// sentence shown to the user, naming the file and the reason.
class AudioWriteError {
public:
    AudioWriteError() = default;
    explicit AudioWriteError(std::string description) : m_description(std::move(description)) {}

    std::string description() const { return m_description; }

private:
    std::string m_description;
};

} // namespace quaro
