// One sync cycle of CloudSync: gather what changed, send it, and record
// what the server accepted and returned.
#include "connect/CloudSync.h"

#include "sync/SyncMessage.h"

#include <QNetworkReply>

#include <charconv>

namespace quaro {

namespace {

constexpr char switchKey[] = "nuvem.ligado";
constexpr char secretKey[] = "nuvem.segredo";
constexpr char cursorKey[] = "nuvem.cursor";
constexpr char confirmedKey[] = "nuvem.confirmado";
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

void CloudSync::runSync(const std::string& secret)
{
    auto uploads = m_store.pendingUploads(uploadLimit);
    auto deletions = m_store.pendingDeletions(deletionLimit);
    auto destinos = m_store.destinos();
    auto cursor = m_store.meta(cursorKey);
    for (const DatabaseError* error : {uploads ? nullptr : &uploads.error(), deletions ? nullptr : &deletions.error(),
                                       destinos ? nullptr : &destinos.error(), cursor ? nullptr : &cursor.error()}) {
        if (error) {
            fail(QString::fromStdString(error->description()));
            endCycle();
            return;
        }
    }

    Cycle cycle;
    cycle.epoch = m_epoch;
    cycle.deletions = *deletions;
    cycle.cursor = storedCursor(*cursor);
    SyncRequest request{m_config.appVersion.toStdString(), *destinos, {}, *deletions, cycle.cursor};
    // Failed transcriptions never travel but count as done; recados still
    // being transcribed wait for a later cycle.
    std::vector<std::pair<std::string, std::int64_t>> failed;
    for (PendingUpload& upload : *uploads) {
        if (upload.recado.status == RecadoStatus::falhou) {
            failed.emplace_back(upload.recado.id, upload.version);
        } else if (upload.recado.status != RecadoStatus::transcrevendo) {
            cycle.uploaded.emplace_back(upload.recado.id, upload.version);
            request.recados.push_back({std::move(upload.recado), upload.updatedAt});
        }
    }
    cycle.uploaded.insert(cycle.uploaded.end(), failed.begin(), failed.end());

    auto finished = [this, cycle = std::move(cycle)](int status, const QByteArray& body, const QString& networkError) {
        m_cycleReply.clear();
        finishCycle(cycle, status, body, networkError);
    };
    m_cycleReply = send("POST", QStringLiteral("/api/sync"), secret, QByteArray::fromStdString(syncRequestJson(request)),
                        m_config.syncTimeout, std::move(finished));
}

void CloudSync::finishCycle(const Cycle& cycle, int status, const QByteArray& body, const QString& networkError)
{
    if (cycle.epoch != m_epoch) {
        // The switch or the link changed meanwhile: this answer belongs to
        // a state that is gone.
        endCycle();
        return;
    }
    if (status == 410) {
        forgetDeletedLink();
        endCycle();
        return;
    }
    if (!networkError.isEmpty() || status != 200) {
        fail(networkError.isEmpty() ? failureMessage(status, body) : networkError);
        endCycle();
        return;
    }
    const auto reply = parseSyncReply(std::string_view(body.constData(), std::size_t(body.size())), cycle.cursor);
    if (!reply) {
        fail(QStringLiteral("Resposta estranha do servidor."));
        endCycle();
        return;
    }
    auto changed = record(cycle, *reply);
    if (!changed) {
        fail(QString::fromStdString(changed.error().description()));
        endCycle();
        return;
    }
    if (*changed && onRemoteChange)
        onRemoteChange();
    if (m_confirmed != m_base && m_store.setMeta(confirmedKey, m_base.toStdString()).ok())
        m_confirmed = m_base;
    m_lastSync = QDateTime::currentDateTimeUtc();
    emit lastSyncChanged();
    succeed();
    endCycle();
}

Result<bool, DatabaseError> CloudSync::record(const Cycle& cycle, const SyncReply& reply)
{
    QUARO_TRY(m_store.markUploaded(cycle.uploaded));
    QUARO_TRY(m_store.clearDeletions(cycle.deletions));
    bool changed = false;
    for (const RecadoCopy& change : reply.changes) {
        const Recado& c = change.recado;
        auto applied = QUARO_TRY(m_store.applyRemoteStatus(c.id, c.status, c.claimedBy, c.claimedAt, c.result,
                                                           c.resolvedAt, change.updatedAt));
        changed = changed || applied;
    }
    // Only now that every change is in the inbox may the server forget
    // them; a cycle cut short above gets them again.
    if (reply.cursor != cycle.cursor)
        QUARO_TRY(m_store.setMeta(cursorKey, std::to_string(reply.cursor)));
    return changed;
}

void CloudSync::forgetDeletedLink()
{
    // The server deleted this link (from another machine sharing it, or a
    // rotation that was never heard of here): syncing it again would only
    // be refused, and re-creating it is what must never happen. Switched
    // off without a secret, cloud mode starts on a new link when switched on.
    (void)m_store.setMeta(switchKey, "0");
    (void)m_store.setMeta(secretKey, std::nullopt);
    ++m_epoch;
    m_pendingKick = false;
    m_secret.clear();
    setEnabled(false);
    emit linkChanged();
    fail(QStringLiteral("Este link foi apagado no servidor. Ligue de novo para criar outro."));
}

void CloudSync::endCycle()
{
    setSyncing(false);
    // A link change waiting for this cycle goes first; the kick it held is
    // served by the cycle that follows the change.
    if (m_removal != Removal::none) {
        if (!m_removalReply)
            deleteRemoteAccount();
        return;
    }
    if (m_pendingKick) {
        m_pendingKick = false;
        syncNow();
    }
}

} // namespace quaro
