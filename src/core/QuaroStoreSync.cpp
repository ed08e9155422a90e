// The store's side of cloud sync: which recados changed since their last
// acknowledged upload, which were deleted, and applying a status that came
// back from the server without overwriting a newer local change. The
// counting itself is done by the triggers inside the database file, so a
// change made by any process is tracked.
#include "core/QuaroStore.h"

#include "core/RecadoStatusSet.h"

namespace quaro {

Result<std::vector<PendingUpload>, DatabaseError> QuaroStore::pendingUploads(std::int64_t limit)
{
    auto rows = QUARO_TRY(m_db.query("SELECT * FROM recado WHERE dirty > 0 ORDER BY created_at LIMIT ?", {limit}));
    std::vector<PendingUpload> uploads;
    uploads.reserve(rows.size());
    for (const SQLRow& row : rows) {
        PendingUpload upload;
        upload.recado = recado(row);
        upload.updatedAt = row.real("updated_at").value_or(row.real("created_at").value_or(0));
        upload.version = row.integer("dirty").value_or(0);
        uploads.push_back(std::move(upload));
    }
    return uploads;
}

Result<void, DatabaseError> QuaroStore::markUploaded(const std::vector<std::pair<std::string, std::int64_t>>& uploaded)
{
    // A recado that changed after it was read has moved past its version and
    // stays dirty, so it goes up again next time.
    for (const auto& [id, version] : uploaded) {
        QUARO_TRY(m_db.run("UPDATE recado SET dirty = 0 WHERE id = ? AND dirty = ?", {id, version}));
    }
    return {};
}

Result<void, DatabaseError> QuaroStore::markAllForUpload(Tombstones tombstones)
{
    QUARO_TRY(m_db.run("UPDATE recado SET dirty = dirty + 1"));
    if (tombstones == Tombstones::Forget)
        QUARO_TRY(m_db.run("DELETE FROM recado_apagado"));
    return {};
}

Result<std::vector<std::string>, DatabaseError> QuaroStore::pendingDeletions(std::int64_t limit)
{
    auto rows = QUARO_TRY(m_db.query("SELECT id FROM recado_apagado ORDER BY deleted_at LIMIT ?", {limit}));
    std::vector<std::string> ids;
    ids.reserve(rows.size());
    for (const SQLRow& row : rows) {
        if (auto id = row.string("id"))
            ids.push_back(std::move(*id));
    }
    return ids;
}

Result<void, DatabaseError> QuaroStore::clearDeletions(const std::vector<std::string>& ids)
{
    for (const std::string& id : ids) {
        QUARO_TRY(m_db.run("DELETE FROM recado_apagado WHERE id = ?", {id}));
    }
    return {};
}

Result<bool, DatabaseError> QuaroStore::applyRemoteStatus(const std::string& id, RecadoStatus status,
                                                          const std::optional<std::string>& claimedBy,
                                                          std::optional<Timestamp> claimedAt,
                                                          const std::optional<std::string>& result,
                                                          std::optional<Timestamp> resolvedAt, Timestamp updatedAt)
{
    // Setting updated_at in the same statement keeps the status trigger
    // quiet: a change that came from the server is not sent back to it.
    auto changed = QUARO_TRY(m_db.run("UPDATE recado SET status = ?, claimed_by = ?, claimed_at = ?, result = ?, "
                                      "resolved_at = ?, updated_at = ? "
                                      "WHERE id = ? AND status IN " + remoteStatuses.sqlList() +
                                      " AND (updated_at IS NULL OR updated_at < ?)",
                                      {rawValue(status), SQLValue::from(claimedBy), SQLValue::from(claimedAt),
                                       SQLValue::from(result), SQLValue::from(resolvedAt), updatedAt, id, updatedAt}));
    return changed > 0;
}

} // namespace quaro
