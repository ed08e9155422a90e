#pragma once

#include <string_view>

namespace quaro {

// Writes every byte to `fd`, going on after partial writes and interrupted
// calls. False when a write failed (errno tells why); some bytes may then
// have been written.
bool writeAll(int fd, std::string_view bytes);

} // namespace quaro
