// Qt Quick Test of the interface: each QML test file gets a fresh inbox in a
// private folder, a real AppState over it (with a scripted microphone and
// speech engine), the panel's actions and the microphone choice, as the
// context properties `testApp`, `testActions`, `testMicrophone`,
// `testDesktop`, and a `fixture` that seeds recados and steers the hardware
// edge, the hot key's registration and the cloud server (a loopback one that
// the real sync client talks to).
#include "app/capture/MicrophoneChoice.h"
#include "app/CaptureFakes.h"
#include "app/desktop/DesktopBridge.h"
#include "app/StateTestSupport.h"
#include "app/windows/AppActions.h"
#include "app/windows/AppState.h"
#include "core/RecadoStatus.h"
#include "support/ScriptedHttpServer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QUuid>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

Q_IMPORT_QML_PLUGIN(Quaro_UiPlugin)

namespace quaro::testing {

// One inbox per QML file.
class UiFixture : public QObject {
    Q_OBJECT
public:
    UiFixture()
    {
        qunsetenv("QUARO_CLOUD_URL"); // the settings' server field is the user's here
        auto device = std::make_unique<FakeCaptureDevice>();
        m_device = device.get();
        AppStateParts parts;
        parts.preferences = m_home.preferences();
        parts.device = std::move(device);
        parts.speech = std::make_unique<ScriptedSpeechEngine>();
        // A development build without a feedback address, whatever this
        // build was configured with.
        parts.updater = UpdaterConfig{QStringLiteral("0.1.0"), QStringLiteral("1"), {}, {}, {}, {}};
        parts.database = m_home.path() / "quaro.sqlite";
        parts.audioDirectory = m_home.path() / "Audio";
        // Messages stay until a test dismisses them.
        parts.timing.schedule = [](int, std::function<void()>) {};
        m_state = take(AppState::create(std::move(parts)));
        m_microphone = std::make_unique<MicrophoneChoice>(*m_state->capture()->microphones(),
                                                          *m_state->preferences());
        m_desktop = std::make_unique<DesktopBridge>(*m_state->capture());
        connect(&m_actions, &AppActions::openInbox, this, [this] { m_calls << QStringLiteral("openInbox"); });
        connect(&m_actions, &AppActions::openSettings, this, [this] { m_calls << QStringLiteral("openSettings"); });
        connect(&m_actions, &AppActions::closeMenu, this, [this] { m_calls << QStringLiteral("closeMenu"); });
        connect(&m_actions, &AppActions::quit, this, [this] { m_calls << QStringLiteral("quit"); });
    }

    void expose(QQmlContext* context)
    {
        context->setContextProperty(QStringLiteral("testApp"), m_state.get());
        context->setContextProperty(QStringLiteral("testActions"), &m_actions);
        context->setContextProperty(QStringLiteral("testMicrophone"), m_microphone.get());
        context->setContextProperty(QStringLiteral("testDesktop"), m_desktop.get());
        context->setContextProperty(QStringLiteral("fixture"), this);
    }

    // Files a recado straight into the store, as another process would.
    Q_INVOKABLE void addRecado(const QString& title, const QString& status, int destinoRow, bool withAudio = false)
    {
        Recado recado;
        recado.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
        if (withAudio) {
            const auto audio = QuaroPaths::audioDirectory() / (recado.id + ".m4a");
            std::filesystem::create_directories(audio.parent_path());
            std::ofstream(audio) << "audio";
            recado.audioPath = audio.string();
        }
        recado.createdAt = double(std::time(nullptr)) + m_added++;
        recado.title = title.toStdString();
        recado.transcript = recado.title;
        recado.status = recadoStatus(status.toStdString()).value_or(RecadoStatus::pendente);
        const auto destinos = m_state->inbox()->destinoList();
        if (destinoRow >= 0 && destinoRow < int(destinos.size()))
            recado.destinoID = destinos[std::size_t(destinoRow)].id;
        if (auto inserted = m_state->store().insert(recado); !inserted.ok())
            qFatal("could not file a recado: %s", inserted.error().description().c_str());
    }
    Q_INVOKABLE void reload() { m_state->inbox()->reload(); }
    // The actions the panel asked for, in order.
    Q_INVOKABLE QStringList calls() const { return m_calls; }
    Q_INVOKABLE void failNextStart() { m_device->startError = RecorderError::noMicrophone(); }
    Q_INVOKABLE void denyMicrophone() { m_device->access = MicrophonePermission::denied; }
    Q_INVOKABLE void allowMicrophone() { m_device->access = MicrophonePermission::authorised; }
    Q_INVOKABLE void askMicrophone() { m_device->access = MicrophonePermission::undetermined; }
    // What the delegate reports after registering the hot key.
    Q_INVOKABLE void setHotKeyWorks(bool works) { m_state->setHotKeyWorks(works); }
    Q_INVOKABLE QString clipboardText() const { return QGuiApplication::clipboard()->text(); }
    Q_INVOKABLE QString cloudServer() const { return m_cloud.base(); }
    // Syncs and deletions wait unanswered while held; the status answers
    // those waiting and the ones after.
    Q_INVOKABLE void holdCloud() { m_cloudHeld = true; }
    Q_INVOKABLE void answerCloud(int status)
    {
        m_cloudHeld = false;
        m_cloudStatus = status;
        m_cloud.release(HttpAnswer{status});
    }

private:
    TestHome m_home;
    bool m_cloudHeld = false;
    int m_cloudStatus = 200;
    ScriptedHttpServer m_cloud{[this](const HttpCall& call) -> std::optional<HttpAnswer> {
        if (call.path == "/readyz")
            return HttpAnswer{200, R"({"ok":true})"};
        return m_cloudHeld ? std::nullopt : std::optional<HttpAnswer>(HttpAnswer{m_cloudStatus});
    }};
    FakeCaptureDevice* m_device = nullptr;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MicrophoneChoice> m_microphone;
    std::unique_ptr<DesktopBridge> m_desktop;
    AppActions m_actions;
    QStringList m_calls;
    int m_added = 0;
};

class UiSetup : public QObject {
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_fixture.reset();
        m_fixture = std::make_unique<UiFixture>();
        m_fixture->expose(engine->rootContext());
    }
    void cleanupTestCase() { m_fixture.reset(); }

private:
    std::unique_ptr<UiFixture> m_fixture;
};

} // namespace quaro::testing

QUICK_TEST_MAIN_WITH_SETUP(quaro_ui, quaro::testing::UiSetup)

#include "UiTestMain.moc"
