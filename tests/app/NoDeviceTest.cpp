// Without any sound server (a machine with no sound card), the recorder
// lists no microphone and refuses to start with the user-facing sentence.
#include "media/Fixtures.h"

#include "app/Recorder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace quaro;
using namespace quaro::testing;

TEST(QtRecorderNoDeviceTest, NoSoundServerMeansNoMicrophone)
{
    EXPECT_TRUE(Recorder::microphones().empty());
    TempDir out;
    Recorder recorder;
    bool done = false;
    std::optional<RecorderError> error;
    recorder.start(std::nullopt, out / "REC.m4a", [&](Result<void, RecorderError> result) {
        done = true;
        if (!result)
            error = result.error();
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(done);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description, "Nenhum microfone encontrado.");
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
