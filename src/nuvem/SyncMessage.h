#pragma once

#include "core/Destino.h"
#include "core/Recado.h"
#include "core/Result.h"
#include "core/Timestamp.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quaro::nuvem {

// A recado as the desktop uploads it, or as the server returns a change:
// the record plus the time of its last status change.
struct RecadoCopy {
    Recado recado;
    Timestamp updatedAt = 0;
};

// The body of POST /api/sync.
struct SyncRequest {
    std::vector<Destino> destinos;
    std::vector<RecadoCopy> recados;
    std::vector<std::string> apagados;
    std::int64_t cursor = 0; // what the desktop has applied; 0 for everything
    // Not part of the body: whether its sender's address may still open an
    // account now.
    bool mayCreateAccount = true;
    // The account's quota, also the handler's to set.
    std::int64_t accountRecados = 200000;
    std::int64_t accountBytes = std::int64_t(1) << 30;
};

// The most remote changes one sync answer carries, well under what the
// desktop accepts in one reply.
constexpr std::size_t changesPerReply = 500;

// What a sync answers: the account's cursor and the remote changes the
// desktop has not acknowledged yet.
struct SyncReply {
    std::int64_t cursor = 0;
    std::vector<RecadoCopy> changes;
    // The secret was deleted (the link switched off with deletion, or
    // replaced): nothing was applied, and it never makes an account again.
    bool revoked = false;
    bool created = false;        // this sync opened the account
    bool accountRefused = false; // there was none, and none could be opened: nothing applied
    bool accountFull = false;    // the sync would pass the account's quota: nothing applied
};

// What one sync may carry. The desktop sends at most 400 recados and 2 000
// deletions a sync, and refused batches come back at every tick, so every
// cap sits far above anything it produces: only abuse meets them. A
// transcript of a 20-minute recording is some 25 KB; the cap is forty times that.
struct SyncLimits {
    std::size_t recados = 2000;
    std::size_t apagados = 10000;
    std::size_t destinos = 1000;
    std::size_t textBytes = 1024 * 1024; // transcricao, resultado, instrucao, titulo, nome, pego_por
    std::size_t nameBytes = 4096;        // ids, idioma, cor, status
    // Per account: recados and bytes of their text (title, transcript, result).
    std::int64_t accountRecados = 200000;
    std::int64_t accountBytes = std::int64_t(1) << 30;
};

// Why a sync body was refused: its form (400), or a cap (413).
struct SyncRefusal {
    int status = 400;
    std::string message;
};

// Reads a sync body. Fails with a short Portuguese sentence that names the
// first thing wrong; nothing of a refused body is applied.
Result<SyncRequest, SyncRefusal> parseSyncRequest(std::string_view body, const SyncLimits& limits = {});

// {"cursor": n, "recados": [{id, status, atualizado_em, pego_por, pego_em,
// resultado, resolvido_em}, ...]}, optional keys only when set.
std::string syncReplyJson(const SyncReply& reply);

// {"erro": message}
std::string errorJson(std::string_view message);

} // namespace quaro::nuvem
