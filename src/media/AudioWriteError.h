#pragma once

#include <string>

namespace quaro {

// A failure to create or write an audio file, with the text shown to the user.
struct AudioWriteError {
    std::string description;
};

} // namespace quaro
