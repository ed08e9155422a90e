#pragma once

#include "core/Recado.h"

#include <cstdint>

namespace quaro {

// A recado changed since its last acknowledged upload, as handed to the
// cloud sync. Acknowledge it with QuaroStore::markUploaded({{id, version}}).
struct PendingUpload {
    Recado recado;
    // updated_at of the row, else its created_at, else 0.
    Timestamp updatedAt = 0;
    // The row's change counter when it was read.
    std::int64_t version = 0;

    bool operator==(const PendingUpload&) const = default;
};

} // namespace quaro
