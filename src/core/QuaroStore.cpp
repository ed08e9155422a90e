#include "core/QuaroStore.h"

#include "core/QuaroText.h"
#include "core/RecadoQuery.h"
#include "core/RecadoStatusSet.h"
#include "core/Transaction.h"

#include <unistd.h>

namespace quaro {

namespace {

SQLValue text(RecadoStatus status)
{
    return SQLValue(rawValue(status));
}

Result<void, DatabaseError> done(const Result<std::int64_t, DatabaseError>& changes)
{
    QUARO_TRY(changes);
    return {};
}

} // namespace

// --- decoding ---------------------------------------------------------------

Recado QuaroStore::recado(const SQLRow& row)
{
    Recado r;
    r.id = row.string("id").value_or("");
    r.createdAt = row.date("created_at").value_or(currentTimestamp());
    r.duration = row.real("duration").value_or(0);
    r.audioPath = row.string("audio_path");
    r.transcript = row.string("transcript").value_or("");
    r.title = row.string("title").value_or("");
    r.destinoID = row.string("destino_id");
    const auto status = row.string("status");
    r.status = status ? recadoStatus(*status).value_or(RecadoStatus::pendente) : RecadoStatus::pendente;
    r.claimedBy = row.string("claimed_by");
    r.claimedAt = row.date("claimed_at");
    r.result = row.string("result");
    r.resolvedAt = row.date("resolved_at");
    r.language = row.string("language");
    return r;
}

Destino QuaroStore::destino(const SQLRow& row)
{
    Destino d;
    d.id = row.string("id").value_or("");
    d.name = row.string("name").value_or("");
    d.instruction = row.string("instruction").value_or("");
    d.colorHex = row.string("color").value_or("#FF6A1C");
    d.sort = row.integer("sort").value_or(0);
    return d;
}

// --- recados ----------------------------------------------------------------

Result<void, DatabaseError> QuaroStore::insert(const Recado& r)
{
    return done(m_db.run("INSERT INTO recado(id, created_at, duration, audio_path, transcript, title, destino_id, "
                         "status, claimed_by, claimed_at, result, resolved_at, language) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                         {r.id, r.createdAt, r.duration, SQLValue::from(r.audioPath), r.transcript, r.title,
                          SQLValue::from(r.destinoID), text(r.status), SQLValue::from(r.claimedBy),
                          SQLValue::from(r.claimedAt), SQLValue::from(r.result), SQLValue::from(r.resolvedAt),
                          SQLValue::from(r.language)}));
}

Result<void, DatabaseError> QuaroStore::finishTranscription(const std::string& id, const std::string& transcript,
                                                            const std::string& title,
                                                            const std::optional<std::string>& destinoID,
                                                            const std::optional<std::string>& language)
{
    return done(m_db.run("UPDATE recado SET transcript = ?, title = ?, destino_id = ?, language = ?, status = ? "
                         "WHERE id = ?",
                         {transcript, title, SQLValue::from(destinoID), SQLValue::from(language),
                          text(RecadoStatus::pendente), id}));
}

Result<void, DatabaseError> QuaroStore::setStatus(const std::string& id, RecadoStatus status,
                                                  const std::optional<std::string>& title)
{
    if (title)
        return done(m_db.run("UPDATE recado SET status = ?, title = ? WHERE id = ?", {text(status), *title, id}));
    return done(m_db.run("UPDATE recado SET status = ? WHERE id = ?", {text(status), id}));
}

Result<void, DatabaseError> QuaroStore::setDestino(const std::string& id, const std::optional<std::string>& destinoID)
{
    return done(m_db.run("UPDATE recado SET destino_id = ? WHERE id = ?", {SQLValue::from(destinoID), id}));
}

Result<void, DatabaseError> QuaroStore::setAudioPath(const std::string& id, const std::optional<std::string>& path)
{
    return done(m_db.run("UPDATE recado SET audio_path = ? WHERE id = ?", {SQLValue::from(path), id}));
}

Result<std::optional<Recado>, DatabaseError> QuaroStore::claim(const std::string& id, const std::string& by)
{
    auto changed = QUARO_TRY(m_db.run("UPDATE recado SET status = ?, claimed_by = ?, claimed_at = ? "
                                      "WHERE id = ? AND status IN " + claimableStatuses.sqlList(),
                                      {text(RecadoStatus::pego), by, currentTimestamp(), id}));
    if (changed == 0)
        return std::nullopt;
    return recado(id);
}

Result<std::optional<Recado>, DatabaseError> QuaroStore::resolve(const std::string& id, const std::string& result,
                                                                 const std::optional<std::string>& by)
{
    const Timestamp now = currentTimestamp();
    auto changed = QUARO_TRY(m_db.run("UPDATE recado SET status = ?, result = ?, resolved_at = ?, "
                                      "claimed_by = COALESCE(?, claimed_by), claimed_at = COALESCE(claimed_at, ?) "
                                      "WHERE id = ? AND status IN " + resolvableStatuses.sqlList(),
                                      {text(RecadoStatus::resolvido), result, now, SQLValue::from(by), now, id}));
    if (changed == 0)
        return std::nullopt;
    return recado(id);
}

Result<void, DatabaseError> QuaroStore::reopen(const std::string& id)
{
    return done(m_db.run("UPDATE recado SET status = 'pendente', claimed_by = NULL, claimed_at = NULL, "
                         "result = NULL, resolved_at = NULL WHERE id = ?",
                         {id}));
}

Result<void, DatabaseError> QuaroStore::deleteRecado(const std::string& id)
{
    auto existing = QUARO_TRY(recado(id));
    // The row goes first: if the delete fails (the other process held the
    // file past the busy timeout), the recado stays whole, audio included.
    QUARO_TRY(done(m_db.run("DELETE FROM recado WHERE id = ?", {id})));
    // A file already gone or not ours to remove does not matter any more.
    if (existing && existing->audioPath)
        ::unlink(existing->audioPath->c_str());
    return {};
}

Result<std::optional<Recado>, DatabaseError> QuaroStore::recado(const std::string& id)
{
    auto rows = QUARO_TRY(m_db.query("SELECT * FROM recado WHERE id = ?", {id}));
    if (rows.empty())
        return std::nullopt;
    return std::optional<Recado>(recado(rows.front()));
}

Result<std::vector<Recado>, DatabaseError> QuaroStore::recados(std::optional<RecadoStatus> status,
                                                               const std::optional<std::string>& destinoID,
                                                               const std::optional<std::string>& search,
                                                               std::int64_t limit)
{
    const SqlQuery query = recadoListing(SqlDialect::sqlite, status, destinoID, search, limit);
    auto rows = QUARO_TRY(m_db.query(query.sql, query.parameters));
    return recadosFrom(rows);
}

Result<std::map<RecadoStatus, std::int64_t>, DatabaseError> QuaroStore::counts()
{
    auto rows = QUARO_TRY(m_db.query("SELECT status, COUNT(*) AS n FROM recado GROUP BY status"));
    std::map<RecadoStatus, std::int64_t> counts;
    for (const SQLRow& row : rows) {
        const auto raw = row.string("status");
        const auto status = raw ? recadoStatus(*raw) : std::nullopt;
        if (status)
            counts[*status] = row.integer("n").value_or(0);
    }
    return counts;
}

// --- destinos ---------------------------------------------------------------

Result<std::vector<Destino>, DatabaseError> QuaroStore::destinos()
{
    auto rows = QUARO_TRY(m_db.query("SELECT * FROM destino ORDER BY sort, name"));
    return destinosFrom(rows);
}

Result<std::optional<Destino>, DatabaseError> QuaroStore::destino(const std::optional<std::string>& id)
{
    if (!id)
        return std::nullopt;
    auto rows = QUARO_TRY(m_db.query("SELECT * FROM destino WHERE id = ?", {*id}));
    if (rows.empty())
        return std::nullopt;
    return std::optional<Destino>(destino(rows.front()));
}

Result<std::optional<Destino>, DatabaseError> QuaroStore::destinoNamed(const std::string& name)
{
    auto all = QUARO_TRY(destinos());
    return destinoNamed(all, name);
}

std::optional<Destino> QuaroStore::destinoNamed(const std::vector<Destino>& destinos, const std::string& name)
{
    const std::string key = QuaroText::fold(QuaroText::trimmingWhitespace(name));
    for (const Destino& d : destinos) {
        if (QuaroText::fold(d.name) == key)
            return d;
    }
    return std::nullopt;
}

Result<void, DatabaseError> QuaroStore::saveDestino(const Destino& d)
{
    return done(m_db.run("INSERT INTO destino(id, name, instruction, color, sort) VALUES (?, ?, ?, ?, ?) "
                         "ON CONFLICT(id) DO UPDATE SET name = excluded.name, instruction = excluded.instruction, "
                         "color = excluded.color, sort = excluded.sort",
                         {d.id, d.name, d.instruction, d.colorHex, d.sort}));
}

Result<void, DatabaseError> QuaroStore::deleteDestino(const std::string& id)
{
    // One transaction: a destino that cannot be deleted keeps its recados.
    // A savepoint nests inside a transaction the caller may have open.
    auto savepoint = QUARO_TRY(Savepoint::begin(m_db, "delete_destino"));
    QUARO_TRY(done(m_db.run("UPDATE recado SET destino_id = NULL WHERE destino_id = ?", {id})));
    QUARO_TRY(done(m_db.run("DELETE FROM destino WHERE id = ?", {id})));
    return savepoint.release();
}

// --- meta -------------------------------------------------------------------

Result<std::optional<std::string>, DatabaseError> QuaroStore::meta(const std::string& key)
{
    auto rows = QUARO_TRY(m_db.query("SELECT value FROM meta WHERE key = ?", {key}));
    if (rows.empty())
        return std::nullopt;
    return rows.front().string("value");
}

Result<void, DatabaseError> QuaroStore::setMeta(const std::string& key, const std::optional<std::string>& value)
{
    if (value)
        return done(m_db.run("INSERT OR REPLACE INTO meta(key, value) VALUES (?, ?)", {key, *value}));
    return done(m_db.run("DELETE FROM meta WHERE key = ?", {key}));
}

} // namespace quaro
