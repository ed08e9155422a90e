#pragma once

#include "core/Database.h"
#include "core/DatabaseError.h"
#include "core/Destino.h"
#include "core/PendingUpload.h"
#include "core/Recado.h"
#include "core/RecadoStatus.h"
#include "core/Result.h"
#include "core/SQLValue.h"
#include "core/Timestamp.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quaro {

// The only access to the inbox database; one per process, owning its
// Database. Every operation is synchronous, may be called from any thread
// (the connection serialises them) and reads the file afresh, so writes of
// other processes sharing the file show at the next call. A conditional
// update that changes nothing yields absent or false, never an error.
class QuaroStore {
public:
    // Opens (creating, upgrading and seeding as needed) the inbox at `path`,
    // normally QuaroPaths::databaseURL().
    static Result<QuaroStore, DatabaseError> open(const std::filesystem::path& path);

    QuaroStore(QuaroStore&&) noexcept = default;
    QuaroStore& operator=(QuaroStore&&) noexcept = default;

    // --- recados ---------------------------------------------------------
    Result<void, DatabaseError> insert(const Recado& recado);
    // Records the transcript and sets the status to pendente.
    Result<void, DatabaseError> finishTranscription(const std::string& id, const std::string& transcript,
                                                    const std::string& title,
                                                    const std::optional<std::string>& destinoID,
                                                    const std::optional<std::string>& language);
    // Any status may be set from any status; the title changes only when given.
    Result<void, DatabaseError> setStatus(const std::string& id, RecadoStatus status,
                                          const std::optional<std::string>& title = std::nullopt);
    Result<void, DatabaseError> setDestino(const std::string& id, const std::optional<std::string>& destinoID);
    Result<void, DatabaseError> setAudioPath(const std::string& id, const std::optional<std::string>& path);
    // Sets pego, the claimer and the claim time, only while pendente or pego.
    // Absent when no such recado or the status forbids it.
    Result<std::optional<Recado>, DatabaseError> claim(const std::string& id, const std::string& by);
    // Sets resolvido with the result, only while pendente, pego or resolvido.
    // The claimer changes only when `by` is given; a missing claim time
    // becomes the resolve time. Absent when no such recado or forbidden.
    Result<std::optional<Recado>, DatabaseError> resolve(const std::string& id, const std::string& result,
                                                         const std::optional<std::string>& by = std::nullopt);
    // Back to pendente, clearing claim and result, from any status.
    Result<void, DatabaseError> reopen(const std::string& id);
    // Removes the recado's row and then its audio file (failures to remove
    // the file are ignored). Deleting an unknown id is not an error.
    Result<void, DatabaseError> deleteRecado(const std::string& id);
    Result<std::optional<Recado>, DatabaseError> recado(const std::string& id);
    // Newest first, at most `limit`. `search` (when not blank) is matched
    // with SQL LIKE against transcript, title and result, untrimmed, with %
    // and _ acting as wildcards.
    Result<std::vector<Recado>, DatabaseError> recados(std::optional<RecadoStatus> status,
                                                       const std::optional<std::string>& destinoID,
                                                       const std::optional<std::string>& search,
                                                       std::int64_t limit);
    // Number of recados per status; statuses without recados are missing.
    Result<std::map<RecadoStatus, std::int64_t>, DatabaseError> counts();

    // --- destinos --------------------------------------------------------
    // Ordered by sort, then name.
    Result<std::vector<Destino>, DatabaseError> destinos();
    Result<std::optional<Destino>, DatabaseError> destino(const std::optional<std::string>& id);
    // The first destino (in list order) whose folded name equals the folded,
    // trimmed `name`.
    Result<std::optional<Destino>, DatabaseError> destinoNamed(const std::string& name);
    // The same match within a list already read (one read per call).
    static std::optional<Destino> destinoNamed(const std::vector<Destino>& destinos, const std::string& name);
    // Inserts, or updates the destino with the same id.
    Result<void, DatabaseError> saveDestino(const Destino& destino);
    // Detaches its recados, then deletes it, in one transaction.
    Result<void, DatabaseError> deleteDestino(const std::string& id);

    // --- meta ------------------------------------------------------------
    Result<std::optional<std::string>, DatabaseError> meta(const std::string& key);
    // An absent value removes the key.
    Result<void, DatabaseError> setMeta(const std::string& key, const std::optional<std::string>& value);

    // --- cloud sync bookkeeping -----------------------------------------
    // Dirty recados, oldest created first.
    Result<std::vector<PendingUpload>, DatabaseError> pendingUploads(std::int64_t limit);
    // Clears the change counter of each (id, version) whose counter still
    // equals version; stops at the first failure.
    Result<void, DatabaseError> markUploaded(const std::vector<std::pair<std::string, std::int64_t>>& uploaded);
    // Marks every recado for upload again and, unless told to keep them,
    // forgets every tombstone (a new remote copy has nothing to delete; one
    // that is resumed still must hear of the deletions made meanwhile).
    enum class Tombstones { Forget, Keep };
    Result<void, DatabaseError> markAllForUpload(Tombstones tombstones = Tombstones::Forget);
    // Ids of deleted recados not yet acknowledged, oldest deletion first.
    Result<std::vector<std::string>, DatabaseError> pendingDeletions(std::int64_t limit);
    Result<void, DatabaseError> clearDeletions(const std::vector<std::string>& ids);
    // Writes a status that came from the server when the recado is pendente,
    // pego or resolvido and its local updated_at is NULL or older than
    // `updatedAt`. True when a row changed. Does not mark the recado dirty.
    Result<bool, DatabaseError> applyRemoteStatus(const std::string& id, RecadoStatus status,
                                                  const std::optional<std::string>& claimedBy,
                                                  std::optional<Timestamp> claimedAt,
                                                  const std::optional<std::string>& result,
                                                  std::optional<Timestamp> resolvedAt, Timestamp updatedAt);

    // --- decoding --------------------------------------------------------
    // Missing or mistyped columns take defaults (an unknown status reads as
    // pendente, a missing colour as "#FF6A1C").
    static Recado recado(const SQLRow& row);
    static Destino destino(const SQLRow& row);

    // The connection itself, for diagnostics and tests.
    Database& database() { return m_db; }

private:
    explicit QuaroStore(Database db) : m_db(std::move(db)) {}
    Result<void, DatabaseError> migrate();
    Result<void, DatabaseError> migrateSync();
    Result<bool, DatabaseError> isSeeded();
    Result<void, DatabaseError> seedOnce();

    Database m_db;
};

} // namespace quaro
