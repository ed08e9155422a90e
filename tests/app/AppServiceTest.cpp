// The single-instance rule over the private session bus: the test process is
// the running application; the helper program SecondLaunch is a later
// `quaro` launch.
#include "support/QtSupport.h"

#include "app/desktop/AppService.h"
#include "app/desktop/InstanceLock.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quaro;
using namespace quaro::testing;

namespace {

struct Launch {
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs a program while this process keeps serving the bus.
Launch run(const QString& program, const QStringList& arguments, const QString& workingDirectory = {},
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    const bool ended = waitFor([&] { return process.state() == QProcess::NotRunning; });
    EXPECT_TRUE(ended) << program.toStdString();
    if (!ended)
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

Launch launch(const QStringList& arguments, const QString& workingDirectory = {})
{
    return run(QStringLiteral(QUARO_SECOND_LAUNCH), arguments, workingDirectory);
}

class AppServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto heard = [this](const char* call) { return [this, call] { calls << call; }; };
        service.onToggle = heard("toggle");
        service.onStopAndSend = heard("stop");
        service.onDiscard = heard("discard");
        service.onShow = heard("show");
        service.onShowSettings = heard("settings");
        service.onShowPanel = heard("panel");
        service.onImport = [this](const QStringList& files) { calls << "import " + files.join('|'); };
    }

    AppService service;
    QStringList calls;
};

} // namespace

TEST_F(AppServiceTest, SecondLaunchHandsItsRequestToTheRunningInstance)
{
    ASSERT_EQ(service.claimPrimary(), AppService::Claim::primary);
    QTemporaryDir folder;
    struct Row {
        QStringList arguments;
        QString call;
    };
    const Row rows[] = {
        {{"--toggle"}, "toggle"},
        {{"--stop"}, "stop"},
        {{"--discard"}, "discard"},
        {{}, "show"},
        {{"--settings"}, "settings"},
        {{"--panel"}, "panel"},
        {{"nota+1.ogg", "/srv/b.m4a"}, "import " + folder.path() + "/nota+1.ogg|/srv/b.m4a"},
    };
    for (const auto& row : rows) {
        calls.clear();
        const Launch second = launch(row.arguments, folder.path());
        EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
        EXPECT_TRUE(waitFor([&] { return !calls.isEmpty(); }));
        EXPECT_EQ(calls, QStringList{row.call});
    }

    // Other processes may only name whole paths (the desktop roads read the
    // state the same way, through State).
    calls.clear();
    for (const char* files : {"array:string:nota.ogg", "array:string:"}) {
        const Launch refused = run("dbus-send", {"--session", "--print-reply", "--dest=app.quaro.Quaro", "/app/quaro/Quaro",
                                                 "app.quaro.Quaro.Import", files});
        EXPECT_NE(refused.exitCode, 0);
        EXPECT_TRUE(refused.errors.contains("InvalidArgs")) << refused.errors.toStdString();
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(AppServiceTest, FirstLaunchOrNoBusRunsAndBadArgumentsStop)
{
    // Nobody owns the name yet: the launch becomes the application.
    EXPECT_EQ(launch({"--toggle"}).exitCode, 3);

    // Without a bus the lock file in the runtime folder keeps one instance:
    // a launch runs alone while nobody holds it; while an instance started
    // without a bus holds it, later launches leave, with a bus or without.
    auto noBus = QProcessEnvironment::systemEnvironment();
    noBus.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quaro-bus");
    const Launch alone = run(QStringLiteral(QUARO_SECOND_LAUNCH), {}, {}, noBus);
    EXPECT_EQ(alone.exitCode, 4);
    EXPECT_TRUE(alone.errors.contains("[Quaro] instância: no session bus")) << alone.errors.toStdString();
    {
        InstanceLock running;
        ASSERT_EQ(running.tryLock(), InstanceLock::Outcome::locked);
        EXPECT_EQ(run(QStringLiteral(QUARO_SECOND_LAUNCH), {}, {}, noBus).exitCode, 5);
        EXPECT_EQ(launch({"--toggle"}).exitCode, 5);
    }

    const Launch bad = launch({"--gravar"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.errors.contains("unknown option: --gravar"));
    EXPECT_TRUE(bad.errors.contains("usage: quaro"));
    EXPECT_TRUE(calls.isEmpty());
}
