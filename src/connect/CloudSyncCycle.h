#pragma once

#include "core/QuaroStore.h"
#include "sync/SyncMessage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quaro {

// One sync cycle of cloud mode: what changed in the inbox since the server
// last acknowledged (recados to upload, deletions, the destinos, the
// cursor), as the request to send; then, once the server accepted it, what
// was sent is marked done and what came back is applied. While the answer
// is awaited it holds only the ids and versions it must acknowledge.
class CloudSyncCycle {
public:
    // The meta key of the cursor: the last remote change the inbox holds.
    static constexpr char cursorKey[] = "nuvem.cursor";

    static Result<CloudSyncCycle, DatabaseError> gather(QuaroStore& store, const std::string& appVersion,
                                                        std::uint64_t epoch);

    // The cloud state (switch, link) the cycle was gathered under.
    std::uint64_t epoch() const { return m_epoch; }
    // The request's JSON text, taken once.
    std::string takeRequest() { return std::move(m_request); }
    // The server's answer to a 200; absent when the body is not one.
    std::optional<SyncReply> parse(std::string_view body) const;
    // Marks the uploads and deletions done, applies the remote changes and
    // only then moves the cursor. True when a change altered the inbox.
    Result<bool, DatabaseError> record(QuaroStore& store, const SyncReply& reply) const;

private:
    std::uint64_t m_epoch = 0;
    std::vector<std::pair<std::string, std::int64_t>> m_uploaded;
    std::vector<std::string> m_deletions;
    std::int64_t m_cursor = 0; // the one sent, kept when the answer has none
    std::string m_request;
};

} // namespace quaro
