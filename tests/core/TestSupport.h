#pragma once

#include "core/Database.h"
#include "core/QuaroStore.h"
#include "support/ScopedEnv.h"
#include "support/Take.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace quaro::test {

using quaro::testing::fileMode;
using quaro::testing::ScopedEnv;
using quaro::testing::take;
using quaro::testing::TempDir;

template <typename E>
void check(const Result<void, E>& result)
{
    ASSERT_TRUE(result.ok()) << result.error().description();
}

// The single integer a one-row query yields in column `n`.
inline std::optional<std::int64_t> integer(Database& db, std::string_view sql, const std::vector<SQLValue>& args = {})
{
    const auto rows = take(db.query(sql, args));
    return rows.empty() ? std::nullopt : rows[0].integer("n");
}

inline std::vector<std::string> ids(const std::vector<Recado>& list)
{
    std::vector<std::string> out;
    for (const Recado& r : list)
        out.push_back(r.id);
    return out;
}

using Ids = std::vector<std::string>;

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : m_store(take(QuaroStore::open(m_dir / "quaro.sqlite"))) {}

    Recado add(const std::string& id, RecadoStatus status = RecadoStatus::pendente, Timestamp createdAt = 1000)
    {
        Recado r{.id = id, .createdAt = createdAt, .transcript = "texto de " + id, .title = "título " + id,
                 .status = status};
        check(m_store.insert(r));
        return r;
    }
    Recado get(const std::string& id) { return take(m_store.recado(id)).value(); }

    TempDir m_dir;
    QuaroStore m_store;
};

} // namespace quaro::test
