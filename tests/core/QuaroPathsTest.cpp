#include "TestSupport.h"

#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"

#include <fstream>

using namespace quaro;
using namespace quaro::test;

namespace {

class QuaroPathsTest : public ::testing::Test {
protected:
    TempDir m_dir;
    ScopedEnv m_home{"HOME", (m_dir / "home").string()};
    ScopedEnv m_xdg{"XDG_DATA_HOME", std::nullopt};
    // The most permissive umask: nothing private may depend on it.
    ScopedUmask m_umask{0};
};

TEST_F(QuaroPathsTest, FollowsXdgDataHomeAndFallsBackToHome)
{
    const auto fallback = m_dir / "home" / ".local" / "share" / "Quaro";
    EXPECT_EQ(QuaroPaths::supportDirectory(), fallback);
    EXPECT_TRUE(std::filesystem::is_directory(fallback));

    {
        ScopedEnv relative("XDG_DATA_HOME", "relativo/dados"); // not absolute: ignored
        EXPECT_EQ(QuaroPaths::supportDirectory(), fallback);
    }
    {
        ScopedEnv empty("XDG_DATA_HOME", "");
        EXPECT_EQ(QuaroPaths::supportDirectory(), fallback);
    }
    ScopedEnv xdg("XDG_DATA_HOME", (m_dir / "dados").string());
    EXPECT_EQ(QuaroPaths::supportDirectory(), m_dir / "dados" / "Quaro");
    EXPECT_EQ(QuaroPaths::audioDirectory(), m_dir / "dados" / "Quaro" / "Audio");
    EXPECT_EQ(QuaroPaths::databaseURL(), m_dir / "dados" / "Quaro" / "quaro.sqlite");
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "dados" / "Quaro" / "Audio"));
    EXPECT_FALSE(std::filesystem::exists(QuaroPaths::databaseURL())); // SQLite creates it
}

TEST_F(QuaroPathsTest, FoldersArePrivateWhateverTheUmask)
{
    const auto audio = QuaroPaths::audioDirectory();
    EXPECT_EQ(permissions(audio), 0700u);
    EXPECT_EQ(permissions(audio.parent_path()), 0700u);
    // Parents that did not exist are created private as well.
    EXPECT_EQ(permissions(m_dir / "home" / ".local"), 0700u);

    // A folder left open by someone else is closed again.
    ::chmod(audio.parent_path().c_str(), 0755);
    ::chmod(audio.c_str(), 0777);
    (void)QuaroPaths::audioDirectory();
    EXPECT_EQ(permissions(audio.parent_path()), 0700u);
    EXPECT_EQ(permissions(audio), 0700u);
}

TEST_F(QuaroPathsTest, DatabaseFilesAreReadableByTheirOwnerOnly)
{
    const auto file = QuaroPaths::databaseURL();
    {
        QuaroStore store = take(QuaroStore::open(file));
        check(store.insert(Recado{.id = "A", .createdAt = 1, .transcript = "segredo"}));
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const auto path = file.string() + suffix;
            ASSERT_TRUE(std::filesystem::exists(path)) << path;
            EXPECT_EQ(permissions(path), 0600u) << path;
        }
    }
    // A database made readable by others earlier is closed again on open.
    ::chmod(file.c_str(), 0644);
    QuaroStore store = take(QuaroStore::open(file));
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(take(store.recado("A"))->transcript, "segredo");
}

TEST_F(QuaroPathsTest, MissingSupportFolderIsNotAnErrorUntilUsed)
{
    // HOME points into a regular file: nothing can be created below it.
    std::ofstream(m_dir / "arquivo") << "x";
    ScopedEnv home("HOME", (m_dir / "arquivo").string());
    const auto file = QuaroPaths::databaseURL();
    EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
    auto store = QuaroStore::open(file);
    ASSERT_FALSE(store.ok());
    EXPECT_EQ(store.error().description().rfind("Não abri o banco: ", 0), 0u);
}

} // namespace
