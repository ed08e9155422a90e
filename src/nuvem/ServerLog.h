#pragma once

#include <string_view>

namespace quaro::nuvem {

// One line on standard error, "[quaro-nuvem] " + text, whole even when
// several threads write. Callers never pass secrets or transcripts.
void serverLog(std::string_view text);

} // namespace quaro::nuvem
