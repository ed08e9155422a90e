#pragma once

#include <string>

namespace quaro {

// The only failure of the Ogg container reader; it is logged, never shown.
struct OggError {
    enum class Kind { malformed };
    Kind kind = Kind::malformed;
    std::string description() const { return "Ogg malformado"; }
};

} // namespace quaro
