#include "connect/CloudSyncCycle.h"

#include <charconv>

namespace quaro {

namespace {

constexpr std::int64_t uploadLimit = 400;
constexpr std::int64_t deletionLimit = 2000;

// The stored cursor's decimal text; 0 when missing or not a whole number.
std::int64_t storedCursor(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    return error == std::errc() && stop == end ? value : 0;
}

} // namespace

Result<CloudSyncCycle, DatabaseError> CloudSyncCycle::gather(QuaroStore& store, const std::string& appVersion,
                                                             std::uint64_t epoch)
{
    auto uploads = QUARO_TRY(store.pendingUploads(uploadLimit));
    auto deletions = QUARO_TRY(store.pendingDeletions(deletionLimit));
    auto destinos = QUARO_TRY(store.destinos());
    auto cursor = QUARO_TRY(store.meta(cursorKey));

    CloudSyncCycle cycle;
    cycle.m_epoch = epoch;
    cycle.m_deletions = deletions;
    cycle.m_cursor = storedCursor(cursor);
    SyncRequest request{appVersion, std::move(destinos), {}, std::move(deletions), cycle.m_cursor};
    // Failed transcriptions never travel but count as done; recados still
    // being transcribed wait for a later cycle.
    std::vector<std::pair<std::string, std::int64_t>> failed;
    for (PendingUpload& upload : uploads) {
        if (upload.recado.status == RecadoStatus::falhou) {
            failed.emplace_back(upload.recado.id, upload.version);
        } else if (upload.recado.status != RecadoStatus::transcrevendo) {
            cycle.m_uploaded.emplace_back(upload.recado.id, upload.version);
            request.recados.push_back({std::move(upload.recado), upload.updatedAt});
        }
    }
    cycle.m_uploaded.insert(cycle.m_uploaded.end(), failed.begin(), failed.end());
    cycle.m_request = syncRequestJson(request);
    return cycle;
}

std::optional<SyncReply> CloudSyncCycle::parse(std::string_view body) const
{
    return parseSyncReply(body, m_cursor);
}

Result<bool, DatabaseError> CloudSyncCycle::record(QuaroStore& store, const SyncReply& reply) const
{
    QUARO_TRY(store.markUploaded(m_uploaded));
    QUARO_TRY(store.clearDeletions(m_deletions));
    bool changed = false;
    for (const RecadoCopy& change : reply.changes) {
        const Recado& c = change.recado;
        auto applied = QUARO_TRY(store.applyRemoteStatus(c.id, c.status, c.claimedBy, c.claimedAt, c.result,
                                                           c.resolvedAt, change.updatedAt));
        changed = changed || applied;
    }
    // Only now that every change is in the inbox may the server forget
    // them; a cycle cut short above gets them again.
    if (reply.cursor != m_cursor)
        QUARO_TRY(store.setMeta(cursorKey, std::to_string(reply.cursor)));
    return changed;
}

} // namespace quaro
