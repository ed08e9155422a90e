#pragma once

#include "core/Destino.h"
#include "core/PendingUpload.h"
#include "core/RecadoStatus.h"
#include "core/Timestamp.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// What one sync sends: the destinos, the recados to upload, the deletions
// and the cursor of the changes already applied here.
struct CloudRequest {
    std::string appVersion;
    std::vector<Destino> destinos;
    std::vector<PendingUpload> uploads;
    std::vector<std::string> deletions;
    std::int64_t cursor = 0;
};

// A status the server says an AI client set on a recado.
struct RemoteChange {
    std::string id;
    RecadoStatus status = RecadoStatus::pendente;
    std::optional<std::string> claimedBy;
    std::optional<Timestamp> claimedAt;
    std::optional<std::string> result;
    std::optional<Timestamp> resolvedAt;
    Timestamp updatedAt = 0;

    bool operator==(const RemoteChange&) const = default;
};

// What a 200 answer carries that the client uses.
struct CloudReply {
    std::optional<std::int64_t> cursor;
    std::vector<RemoteChange> changes;
};

// The JSON of the sync protocol, kept apart from the loop that sends it.
// Cursors stay exact 64-bit integers all the way: they never pass through
// a double.
class CloudMessage {
public:
    // What the client takes from a server it does not control: a reply
    // larger or more deeply nested, or with more remote changes, is refused
    // whole and nothing of it is recorded. A well-behaved server sends far
    // less: it pages its changes well under the cap.
    static constexpr qint64 largestReply = 16 * 1024 * 1024;
    static constexpr std::size_t deepestReply = 32;
    static constexpr std::size_t mostChanges = 2000;

    // Whether requests with the secret may go to `url`: https, or plain
    // http to this machine's loopback for development.
    static bool isSafeBase(const QUrl& url);

    // The compact JSON body of POST /api/sync. Text that is not valid UTF-8
    // is replaced rather than failing, so one damaged recado cannot stop
    // every later sync.
    static QByteArray requestBody(const CloudRequest& request);

    // The reply of a 200, or absent when the body is not a JSON object or
    // goes past the caps above.
    // Changes without a text id, a numeric atualizado_em, or a status a
    // server may set (pendente, pego, resolvido) are left out; a mistyped
    // optional field counts as absent. A cursor that is not a whole number
    // in range counts as absent.
    static std::optional<CloudReply> parseReply(const QByteArray& body);

    // The sentence for a refused request: the body's "erro" text when there
    // is one, else "O servidor do Quaro respondeu <status>.".
    static QString failureMessage(int status, const QByteArray& body);

    // The stored cursor's decimal text; 0 when missing or not a whole number.
    static std::int64_t storedCursor(const std::optional<std::string>& text);
};

} // namespace quaro
