// Without any sound server (a machine with no sound card), the recorder
// lists no microphone and refuses to start with the user-facing sentence.
#include "TestSupport.h"

using namespace quaro;
using namespace quaro::testing;

TEST(QtRecorderNoDeviceTest, NoSoundServerMeansNoMicrophone)
{
    EXPECT_TRUE(Recorder::microphones().empty());
    TempDir out;
    Recorder recorder;
    const auto error = start(recorder, std::nullopt, out / "REC.m4a");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "Nenhum microfone encontrado.");
    EXPECT_FALSE(std::filesystem::exists(out / "REC.m4a"));
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // A private, empty runtime folder: no server to find, none to spawn.
    TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    setenv("PULSE_SERVER", (runtime / "no-server").c_str(), 1);
    writeBytes(runtime / "client.conf", {'a', 'u', 't', 'o', 's', 'p', 'a', 'w', 'n', '=', 'n', 'o', '\n'});
    setenv("PULSE_CLIENTCONFIG", (runtime / "client.conf").c_str(), 1);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
