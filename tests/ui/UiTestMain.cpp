// Qt Quick Test of the interface: each QML test file gets a fresh inbox in a
// private folder, a real AppState over it (with a scripted microphone and
// speech engine), the panel's actions and the microphone choice, as the
// context properties `testApp`, `testActions`, `testMicrophone`,
// `testDesktop`, and a `fixture` that seeds recados and steers the hardware
// edge, the hot key's registration and the cloud link.
#include "app/capture/MicrophoneChoice.h"
#include "app/CaptureFakes.h"
#include "app/desktop/DesktopBridge.h"
#include "app/StateTestSupport.h"
#include "app/windows/AppActions.h"
#include "app/windows/AppState.h"
#include "core/RecadoStatus.h"

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

// Cloud mode as a sync client shows it, without a server: on and off, a
// secret that changes when rotated or when switching on after a delete.
class ScriptedCloudLink final : public CloudLink {
    Q_OBJECT
public:
    using CloudLink::CloudLink;
    bool enabled() const override { return m_enabled; }
    QString mcpLink() const override { return link(m_secret); }
    QString maskedLink() const override { return link(m_secret.left(4) + QStringLiteral("••••••••")); }
    void enable() override
    {
        if (m_secret.isEmpty())
            newSecret();
        m_enabled = true;
        emit enabledChanged();
    }
    void disable(RemoteCopy remote) override
    {
        m_enabled = false;
        if (remote == RemoteCopy::erase) {
            m_secret.clear();
            emit linkChanged();
        }
        emit enabledChanged();
    }
    void rotateLink() override { newSecret(); }
    QString server() const override { return m_server; }
    void setServer(const QString& address) override
    {
        m_server = address;
        emit serverChanged();
    }
    void kick() override {}
    bool syncing() const override { return m_syncing; }
    QString lastError() const override { return m_lastError; }
    QDateTime lastSync() const override { return m_lastSync; }

    // What a sync in progress, a failed one or a finished one leaves.
    Q_INVOKABLE void script(bool syncing, const QString& lastError, const QDateTime& lastSync)
    {
        m_syncing = syncing;
        m_lastError = lastError;
        m_lastSync = lastSync;
        emit syncingChanged();
        emit lastErrorChanged();
        emit lastSyncChanged();
    }

private:
    QString m_server = QStringLiteral("https://nuvem.example");
    QString link(const QString& secret) const
    {
        return m_secret.isEmpty() ? QString() : QStringLiteral("https://nuvem.example/mcp/") + secret;
    }
    void newSecret()
    {
        m_secret = QUuid::createUuid().toString(QUuid::Id128);
        emit linkChanged();
    }
    bool m_enabled = false;
    bool m_syncing = false;
    QString m_lastError;
    QDateTime m_lastSync;
    QString m_secret;
};

// One inbox per QML file.
class UiFixture : public QObject {
    Q_OBJECT
public:
    UiFixture()
    {
        auto device = std::make_unique<FakeCaptureDevice>();
        m_device = device.get();
        AppStateParts parts;
        parts.preferences = m_home.preferences();
        parts.device = std::move(device);
        parts.speech = std::make_unique<ScriptedSpeechEngine>();
        parts.cloud = std::make_unique<ScriptedCloudLink>();
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

private:
    TestHome m_home;
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
