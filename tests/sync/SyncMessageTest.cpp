#include "sync/SyncMessage.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

// What one side writes the other reads back whole: every key of the wire is
// spelt once for both, so a key renamed on one side alone cannot pass here.
// The peers' fixed spelling is pinned by the server and client suites.
TEST(SyncMessage, WhatOneSideWritesTheOtherReadsBackWhole)
{
    const Recado full{"A", 1.5, 12.25, std::nullopt, "Ligar pro João", "Ligar", "D", RecadoStatus::pego,
                      "Claude", 2.5, "feito", 3.5, "pt-BR"};
    const Recado bare{.id = "B", .createdAt = 4, .duration = 1, .transcript = "oi", .title = "oi"};
    const std::int64_t beyondDouble = 9007199254740993;
    const SyncRequest request{"1.2.3", {Destino{"D", "Obra", "Anote", "#00FF00", 3}}, {{full, 20}, {bare, 21}},
                              {"X", "Y"}, beyondDouble};
    const auto parsed = parseSyncRequest(syncRequestJson(request));
    ASSERT_TRUE(parsed.ok()) << parsed.error().message;
    EXPECT_EQ(*parsed, request);

    // A change carries the status fields only.
    const Recado resolved{.id = "A", .status = RecadoStatus::resolvido, .claimedBy = "Claude", .claimedAt = 2.5,
                          .result = "feito", .resolvedAt = 3.5};
    const SyncReply reply{beyondDouble, {{resolved, 30}, {Recado{.id = "B"}, 31}}};
    EXPECT_EQ(parseSyncReply(syncReplyJson(reply), 0), reply);

    EXPECT_EQ(errorText(errorJson("O link do Quaro é inválido.")), "O link do Quaro é inválido.");
}

} // namespace
} // namespace quaro
