#pragma once

#include "core/Destino.h"
#include "core/Recado.h"
#include "core/Result.h"
#include "core/Timestamp.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// The cloud sync protocol as both ends speak it: POST /api/sync carries a
// SyncRequest up and a SyncReply back; a refusal carries {"erro": text}.
// Each JSON key is spelt once, in SyncMessage.cpp, for the encoders and the
// decoders of both sides. Cursors stay exact 64-bit integers all the way:
// they never pass through a double. Any thread.

// A recado as the desktop uploads it, or as the server returns a change of
// status: the record plus the time of its last status change.
struct RecadoCopy {
    Recado recado;
    Timestamp updatedAt = 0;

    bool operator==(const RecadoCopy&) const = default;
};

// What one sync sends: the destinos, the recados to upload, the ids of the
// recados deleted since, and the cursor of the changes already applied on
// the desktop (0 for everything).
struct SyncRequest {
    std::string appVersion;
    std::vector<Destino> destinos;
    std::vector<RecadoCopy> recados;
    std::vector<std::string> deletions;
    std::int64_t cursor = 0;

    bool operator==(const SyncRequest&) const = default;
};

// What a sync answers: the account's cursor and the remote changes the
// desktop has not acknowledged yet (only their status fields travel).
struct SyncReply {
    std::int64_t cursor = 0;
    std::vector<RecadoCopy> changes;

    bool operator==(const SyncReply&) const = default;
};

// The most remote changes one reply carries; the server stops its cursor
// after the last one and the next sync brings the rest.
constexpr std::size_t changesPerReply = 500;

// What the desktop takes from a server it does not control: a reply
// larger, more deeply nested or with more changes is refused whole, and
// nothing of it is recorded. A well-behaved server stays far below.
constexpr std::int64_t largestReply = 16 * 1024 * 1024;
constexpr std::size_t deepestReply = 32;
constexpr std::size_t mostChanges = 2000;

// What one sync may carry. The desktop sends at most 400 recados and 2 000
// deletions a sync, and refused batches come back at every tick, so every
// cap sits far above anything it produces: only abuse meets them. A
// transcript of a 20-minute recording is some 25 KB; the cap is forty times that.
struct SyncLimits {
    std::size_t recados = 2000;
    std::size_t deletions = 10000;
    std::size_t destinos = 1000;
    std::size_t textBytes = 1024 * 1024; // transcript, result, instruction, title, name, claimer
    std::size_t nameBytes = 4096;        // ids, language, colour, status, app version
    // Per account: recados and bytes of their text (title, transcript, result).
    std::int64_t accountRecados = 200000;
    std::int64_t accountBytes = std::int64_t(1) << 30;
};

// Why a sync body was refused: its form (400), or a cap (413).
struct SyncRefusal {
    int status = 400;
    std::string message;
};

// The desktop's side. The compact JSON of a request: text that is not valid
// UTF-8 is replaced rather than failing, so one damaged recado cannot stop
// every later sync. The audio path stays home.
std::string syncRequestJson(const SyncRequest& request);
// The reply of a 200, or absent when the body is not a JSON object or goes
// past the caps above. Changes without a text id, a numeric update time or
// a status a server may set are left out; a mistyped optional field counts
// as absent; a cursor that is not a whole number in range leaves
// `sentCursor`.
std::optional<SyncReply> parseSyncReply(std::string_view body, std::int64_t sentCursor);
// The "erro" text of a refusal's body, when it has one.
std::optional<std::string> errorText(std::string_view body);

// The server's side. Reads a request body; fails with a short Portuguese
// sentence that names the first thing wrong, and nothing of a refused body
// is applied. A cursor that is not a non-negative whole number reads as 0.
Result<SyncRequest, SyncRefusal> parseSyncRequest(std::string_view body, const SyncLimits& limits = {});
// A reply's compact JSON; optional fields of a change only when set.
std::string syncReplyJson(const SyncReply& reply);
std::string errorJson(std::string_view message);

} // namespace quaro
