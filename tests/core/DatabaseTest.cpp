#include "TestSupport.h"

#include <atomic>
#include <thread>

using namespace quaro;
using namespace quaro::test;

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    TempDir m_dir;
    Database m_db = take(Database::open(m_dir / "t.sqlite"));
};

TEST_F(DatabaseTest, ValuesBindAndReadBackByColumnConvertingOnlyWhereSafe)
{
    // Missing parameters bind NULL, extra ones are ignored; a repeated name keeps the later column.
    const SQLRow row = take(m_db.query("SELECT ? AS int, ? AS none, -2.9 AS down, X'00' AS blob, 1e300 AS huge, "
                                       "1 AS x, 'dois' AS x", {7})).at(0);
    EXPECT_EQ(row.real("int"), 7.0);
    EXPECT_EQ(row.string("int"), std::nullopt); // a number is not text
    EXPECT_EQ(row.find("none")->kind(), SQLValue::Kind::null);
    EXPECT_EQ(row.integer("down"), -2);
    EXPECT_EQ(row.find("blob")->kind(), SQLValue::Kind::null);
    EXPECT_EQ(row.integer("huge"), std::nullopt); // does not fit in 64 bits
    EXPECT_EQ(row.string("x"), "dois");
    EXPECT_EQ(take(m_db.query("SELECT ? AS a", {1, 2, 3})).at(0).integer("a"), 1);

    // Ill-formed UTF-8 is repaired on read (text past a NUL is the store's round trip).
    const auto text = take(m_db.query("SELECT CAST(X'41FF42C3' AS TEXT) AS a, CAST(X'EDA080' AS TEXT) AS s")).at(0);
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(text.string("a"), "A" + bad + "B" + bad);
    EXPECT_EQ(text.string("s"), bad + bad + bad); // an encoded surrogate: three bad bytes
}

TEST_F(DatabaseTest, RunStepsTheFirstStatementOnceAndReturnsTheChangeCount)
{
    check(m_db.execute("CREATE TABLE t (a);"));
    EXPECT_EQ(take(m_db.run("INSERT INTO t VALUES (1), (2), (3)")), 3);
    EXPECT_EQ(take(m_db.run("SELECT a FROM t")), 3); // rows are no failure; the count is the last change's
    EXPECT_EQ(take(m_db.run("UPDATE t SET a = 0 WHERE a > ?", {1})), 2);
    EXPECT_EQ(take(m_db.run("INSERT INTO t VALUES (9); INSERT INTO t VALUES (10);")), 1);
    EXPECT_EQ(integer(m_db, "SELECT count(*) AS n FROM t"), 4);
}

TEST_F(DatabaseTest, FailuresCarrySqlitesMessageAndLeaveTheConnectionUsable)
{
    // SQLite's message is kept whole; the store's and the tools' tests show others.
    auto failed = m_db.query("SELEC 1");
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().kind(), DatabaseError::Kind::query);
    EXPECT_EQ(failed.error().description(), "Erro no banco: near \"SELEC\": syntax error");
    auto script = m_db.execute("CREATE TABLE t (a); CREATE TABLE t (a);");
    ASSERT_FALSE(script.ok());
    EXPECT_EQ(script.error().description(), "Erro no banco: table t already exists");
    EXPECT_EQ(integer(m_db, "SELECT 1 AS n"), 1);

    auto missing = Database::open(m_dir / "nao-existe" / "t.sqlite");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind(), DatabaseError::Kind::open);
    EXPECT_EQ(missing.error().description().rfind("Não abri o banco: ", 0), 0u) << missing.error().description();
}

TEST_F(DatabaseTest, ReusedStatementsForgetEarlierParametersAndSeeOtherConnectionsWrites)
{
    const std::string pair = "SELECT ? AS a, ? AS b";
    EXPECT_EQ(take(m_db.query(pair, {1, 2})).at(0).integer("b"), 2);
    EXPECT_EQ(take(m_db.query(pair, {1})).at(0).find("b")->kind(), SQLValue::Kind::null);

    // A kept statement must not hold its read transaction open: the other
    // connection's write shows at the next call and the log can be checkpointed.
    check(m_db.execute("CREATE TABLE t (n INTEGER);"));
    Database other = take(Database::open(m_dir / "t.sqlite"));
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(integer(m_db, "SELECT count(*) AS n FROM t"), n - 1);
        EXPECT_EQ(take(other.run("INSERT INTO t VALUES (?)", {n})), 1);
    }
    const auto checkpoint = take(other.query("PRAGMA wal_checkpoint(TRUNCATE)")).at(0);
    EXPECT_EQ(checkpoint.integer("busy"), 0);
}

TEST_F(DatabaseTest, CallsFromManyThreadsNeverInterleave)
{
    check(m_db.execute("CREATE TABLE t (n INTEGER);"));
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                // The change count and the error read belong to this very statement.
                auto changed = m_db.run("INSERT INTO t VALUES (?)", {t * 1000 + i});
                if (!changed.ok() || changed.value() != 1 || m_db.run("SELEC").ok())
                    ++failures;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(integer(m_db, "SELECT count(*) AS n FROM t"), 400);
}

} // namespace
