#include "TestSupport.h"

#include "core/QuaroPaths.h"


using namespace quaro;
using namespace quaro::test;

namespace {

class QuaroPathsTest : public ::testing::Test {
protected:
    // The most permissive umask: nothing private may depend on it.
    QuaroPathsTest() : m_oldUmask(::umask(0)) {}
    ~QuaroPathsTest() override { ::umask(m_oldUmask); }

    TempDir m_dir;
    ScopedEnv m_home{"HOME", (m_dir / "home").string()};
    ScopedEnv m_xdg{"XDG_DATA_HOME", std::nullopt};
    mode_t m_oldUmask;
};

TEST_F(QuaroPathsTest, FollowsAnAbsoluteXdgDataHomeAndOtherwiseHome)
{
    const auto fallback = m_dir / "home" / ".local" / "share" / "Quaro";
    for (const char* ignored : {"relativo/dados", ""}) {
        ScopedEnv xdg("XDG_DATA_HOME", ignored);
        EXPECT_EQ(QuaroPaths::supportDirectory(), fallback) << ignored;
    }
    ScopedEnv xdg("XDG_DATA_HOME", (m_dir / "dados").string());
    EXPECT_EQ(QuaroPaths::audioDirectory(), m_dir / "dados" / "Quaro" / "Audio");
    EXPECT_EQ(QuaroPaths::databaseURL(), m_dir / "dados" / "Quaro" / "quaro.sqlite");
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "dados" / "Quaro" / "Audio"));
}

TEST_F(QuaroPathsTest, ConfigStateAndDataFolderListFollowTheSameRules)
{
    ScopedEnv config("XDG_CONFIG_HOME", "relativo");
    ScopedEnv state("XDG_STATE_HOME", "/estado");
    EXPECT_EQ(QuaroPaths::configHome(), m_dir / "home" / ".config");
    EXPECT_EQ(QuaroPaths::stateHome(), "/estado");
    using Paths = std::vector<std::filesystem::path>;
    for (const auto& [dirs, expected] : {std::pair<const char*, Paths>{"", {"/usr/local/share", "/usr/share"}},
                                         {"/a::relativo:/b/", {"/a", "/b/"}}}) {
        ScopedEnv list("XDG_DATA_DIRS", dirs);
        EXPECT_EQ(QuaroPaths::dataDirectories(), expected) << dirs;
    }
}

TEST_F(QuaroPathsTest, FoldersAndDatabaseFilesArePrivateWhateverTheUmask)
{
    const auto audio = QuaroPaths::audioDirectory();
    for (const auto& folder : {audio, audio.parent_path(), m_dir / "home" / ".local"})
        EXPECT_EQ(fileMode(folder), 0700) << folder;
    // Folders and files left open by someone else are closed again.
    ::chmod(audio.parent_path().c_str(), 0755);
    ::chmod(audio.c_str(), 0777);
    (void)QuaroPaths::audioDirectory();
    EXPECT_EQ(fileMode(audio.parent_path()), 0700);
    EXPECT_EQ(fileMode(audio), 0700);

    const auto file = QuaroPaths::databaseURL();
    {
        QuaroStore store = take(QuaroStore::open(file));
        check(store.insert(Recado{.id = "A", .createdAt = 1, .transcript = "segredo"}));
        for (const char* suffix : {"", "-wal", "-shm"})
            EXPECT_EQ(fileMode(file.string() + suffix), 0600) << suffix;
    }
    ::chmod(file.c_str(), 0644);
    QuaroStore store = take(QuaroStore::open(file));
    EXPECT_EQ(fileMode(file), 0600);
    EXPECT_EQ(take(store.recado("A"))->transcript, "segredo");
}

} // namespace
