#include "TestSupport.h"

#include "core/Database.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using namespace quaro;
using namespace quaro::test;

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    Database openDb() { return take(Database::open(m_dir / "t.sqlite")); }
    TempDir m_dir;
};

TEST_F(DatabaseTest, BindsAndReadsEveryKindByColumnName)
{
    Database db = openDb();
    check(db.execute("CREATE TABLE t (a, b, c, d);"));
    EXPECT_EQ(take(db.run("INSERT INTO t VALUES (?, ?, ?, ?)", {"olá", 2.5, 7, nullptr})), 1);

    const auto rows = take(db.query("SELECT * FROM t"));
    ASSERT_EQ(rows.size(), 1u);
    const SQLRow& row = rows[0];
    EXPECT_EQ(row.find("a")->kind(), SQLValue::Kind::text);
    EXPECT_EQ(row.find("b")->kind(), SQLValue::Kind::real);
    EXPECT_EQ(row.find("c")->kind(), SQLValue::Kind::integer);
    EXPECT_EQ(row.find("d")->kind(), SQLValue::Kind::null);
    EXPECT_EQ(row.string("a"), "olá");
    EXPECT_EQ(row.real("b"), 2.5);
    EXPECT_EQ(row.integer("c"), 7);
    EXPECT_EQ(row.string("d"), std::nullopt);
    EXPECT_EQ(row.string("missing"), std::nullopt);
}

TEST_F(DatabaseTest, TextWithNulCharactersIsStoredAndReadWhole)
{
    Database db = openDb();
    check(db.execute("CREATE TABLE t (a TEXT);"));
    const std::string text("antes\0depois \xC3\xA9", 15);
    ASSERT_EQ(text.size(), 15u);
    EXPECT_EQ(take(db.run("INSERT INTO t VALUES (?)", {text})), 1);

    const auto rows = take(db.query("SELECT a, length(CAST(a AS BLOB)) AS bytes FROM t"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].integer("bytes"), 15);
    EXPECT_EQ(rows[0].string("a"), text);
    // It can also be found again by the same text.
    EXPECT_EQ(take(db.query("SELECT a FROM t WHERE a = ?", {text})).size(), 1u);
}

TEST_F(DatabaseTest, AccessorsConvertOnlyWhereTheyShould)
{
    Database db = openDb();
    const auto rows = take(db.query("SELECT 2.9 AS up, -2.9 AS down, 5 AS five, 0 AS zero, 'x' AS word, "
                                    "NULL AS vazio, X'00' AS blob, 1e300 AS huge"));
    const SQLRow& row = rows.at(0);
    EXPECT_EQ(row.integer("up"), 2);
    EXPECT_EQ(row.integer("down"), -2);
    EXPECT_EQ(row.real("five"), 5.0);
    EXPECT_EQ(row.string("five"), std::nullopt); // a number is not text
    EXPECT_EQ(row.date("zero"), 0.0);           // 1970-01-01 00:00:00 UTC
    EXPECT_EQ(row.real("word"), std::nullopt);
    EXPECT_EQ(row.integer("word"), std::nullopt);
    EXPECT_EQ(row.date("word"), std::nullopt);
    EXPECT_EQ(row.integer("vazio"), std::nullopt);
    EXPECT_EQ(row.find("blob")->kind(), SQLValue::Kind::null);
    EXPECT_EQ(row.integer("huge"), std::nullopt); // no 64-bit reading
    EXPECT_EQ(row.real("huge"), 1e300);
}

TEST_F(DatabaseTest, LaterColumnWinsWhenNamesRepeat)
{
    Database db = openDb();
    const auto rows = take(db.query("SELECT 1 AS x, 'dois' AS x"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size(), 1u);
    EXPECT_EQ(rows[0].string("x"), "dois");
}

TEST_F(DatabaseTest, RunStepsOnceAndReportsTheConnectionsChangeCount)
{
    Database db = openDb();
    check(db.execute("CREATE TABLE t (a);"));
    EXPECT_EQ(take(db.run("INSERT INTO t VALUES (1), (2), (3)")), 3);
    // A statement that yields rows does not fail; the count is the last change's.
    EXPECT_EQ(take(db.run("SELECT a FROM t")), 3);
    EXPECT_EQ(take(db.run("UPDATE t SET a = 0 WHERE a > ?", {1})), 2);
    // Only the first statement of a script runs.
    EXPECT_EQ(take(db.run("INSERT INTO t VALUES (9); INSERT INTO t VALUES (10);")), 1);
    EXPECT_EQ(take(db.query("SELECT a FROM t")).size(), 4u);
}

TEST_F(DatabaseTest, MissingParametersAreNullAndExtraOnesIgnored)
{
    Database db = openDb();
    const auto fewer = take(db.query("SELECT ? AS a, ? AS b", {"só um"}));
    EXPECT_EQ(fewer.at(0).string("a"), "só um");
    EXPECT_EQ(fewer.at(0).find("b")->kind(), SQLValue::Kind::null);
    const auto more = take(db.query("SELECT ? AS a", {1, 2, 3}));
    EXPECT_EQ(more.at(0).integer("a"), 1);
}

TEST_F(DatabaseTest, IllFormedUtf8IsRepairedOnRead)
{
    Database db = openDb();
    const auto rows = take(db.query("SELECT CAST(X'41FF42C3' AS TEXT) AS a, CAST(X'EDA080' AS TEXT) AS surrogate"));
    EXPECT_EQ(rows.at(0).string("a"), "A\xEF\xBF\xBD" "B\xEF\xBF\xBD");
    // An encoded surrogate is three ill-formed bytes, each replaced.
    EXPECT_EQ(rows.at(0).string("surrogate"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(DatabaseTest, OpenFailureNamesTheProblem)
{
    auto db = Database::open(m_dir / "nao-existe" / "t.sqlite");
    ASSERT_FALSE(db.ok());
    EXPECT_EQ(db.error().kind(), DatabaseError::Kind::open);
    EXPECT_EQ(db.error().description().rfind("Não abri o banco: ", 0), 0u) << db.error().description();
    EXPECT_FALSE(db.error().message().empty());
}

TEST_F(DatabaseTest, StatementFailuresCarrySqlitesMessageAndLeaveTheConnectionUsable)
{
    Database db = openDb();
    auto run = db.run("SELEC 1");
    ASSERT_FALSE(run.ok());
    EXPECT_EQ(run.error().kind(), DatabaseError::Kind::query);
    EXPECT_EQ(run.error().description(), "Erro no banco: near \"SELEC\": syntax error");

    auto query = db.query("SELECT * FROM nada");
    ASSERT_FALSE(query.ok());
    EXPECT_EQ(query.error().description(), "Erro no banco: no such table: nada");

    auto script = db.execute("CREATE TABLE t (a); CREATE TABLE t (a);");
    ASSERT_FALSE(script.ok());
    EXPECT_EQ(script.error().description(), "Erro no banco: table t already exists");

    check(db.execute("CREATE TABLE u (a UNIQUE);"));
    EXPECT_TRUE(db.run("INSERT INTO u VALUES (1)").ok());
    auto duplicate = db.run("INSERT INTO u VALUES (1)");
    ASSERT_FALSE(duplicate.ok());
    EXPECT_EQ(duplicate.error().description(), "Erro no banco: UNIQUE constraint failed: u.a");
    EXPECT_EQ(take(db.query("SELECT 1 AS one")).at(0).integer("one"), 1);
}

TEST_F(DatabaseTest, ConnectionIsSetUpForSharingBetweenProcesses)
{
    Database db = openDb();
    EXPECT_EQ(take(db.query("PRAGMA journal_mode")).at(0).string("journal_mode"), "wal");
    EXPECT_EQ(take(db.query("PRAGMA foreign_keys")).at(0).integer("foreign_keys"), 1);
    EXPECT_EQ(take(db.query("PRAGMA busy_timeout")).at(0).integer("timeout"), 4000);

    // A second connection (another process, in effect) sees the first's writes at once.
    Database other = openDb();
    check(db.execute("CREATE TABLE t (a);"));
    EXPECT_EQ(take(db.run("INSERT INTO t VALUES ('x')")), 1);
    EXPECT_EQ(take(other.query("SELECT a FROM t")).size(), 1u);
}

TEST_F(DatabaseTest, CallsFromManyThreadsNeverInterleave)
{
    Database db = openDb();
    check(db.execute("CREATE TABLE t (n INTEGER);"));
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                auto changed = db.run("INSERT INTO t VALUES (?)", {t * 1000 + i});
                // The change count read belongs to this very statement.
                if (!changed.ok() || changed.value() != 1)
                    ++failures;
                if (!db.run("SELEC").ok() && db.query("SELECT count(*) AS n FROM t").ok())
                    continue;
                ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(take(db.query("SELECT count(*) AS n FROM t")).at(0).integer("n"), 400);
}

} // namespace
