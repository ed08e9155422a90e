#include "app/windows/AppDelegate.h"

#include "app/windows/AppWindows.h"
#include "app/windows/BrandFonts.h"
#include "core/Log.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QSystemTrayIcon>
#include <QTimer>

#include <filesystem>
#include <vector>

namespace quaro {

namespace {

// How long quitting waits for a recording in progress to be closed and filed.
constexpr int quitWaitMs = 5000;

} // namespace

AppDelegate::AppDelegate(AppService& service, QObject* parent) : QObject(parent), m_service(service) {}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::start(bool primary, const QStringList& openedFiles)
{
    m_pendingFiles = openedFiles;
    BrandFonts::registerFonts();
    applyLightAppearance();

    auto state = AppState::create();
    if (!state) {
        const QString why = QString::fromStdString(state.error().description());
        log(LogArea::app, QStringLiteral("caixa"), why);
        QMessageBox alert(QMessageBox::Critical, QStringLiteral("Quaro"),
                          QStringLiteral("O Quaro não conseguiu abrir a caixa de recados"));
        alert.setInformativeText(why);
        alert.exec();
        return false;
    }
    m_state = std::move(state).value();
    // Only the single running instance may fail what an earlier run left
    // transcribing: another instance's transcription could still be live.
    if (primary)
        m_state->recoverInterrupted();

    configureNudge();
    serve();

    m_tray = std::make_unique<TrayIcon>(*m_state);
    connect(m_tray.get(), &TrayIcon::toggleRecordingRequested, this, &AppDelegate::toggleRecording);
    connect(m_tray.get(), &TrayIcon::openInboxRequested, this, &AppDelegate::openInbox);
    connect(m_tray.get(), &TrayIcon::openSettingsRequested, this, &AppDelegate::openSettings);
    connect(m_tray.get(), &TrayIcon::quitRequested, this, &AppDelegate::quit);
    createViews();

    m_hotKey.onPress = [this] { toggleRecording(); };
    // Registered on the first turn of the event loop, and again whenever the
    // user picks another combination or asks again. The desktop portal
    // answers later; the interface keeps running meanwhile.
    QTimer::singleShot(0, this, &AppDelegate::registerHotKey);
    connect(m_state->preferences(), &Preferences::hotKeyPresetChanged, this, &AppDelegate::registerHotKey);
    connect(m_state->hotKey(), &HotKeyStatus::retryRequested, this, &AppDelegate::registerHotKey);
    connect(&m_hotKey, &HotKey::stateChanged, this, &AppDelegate::hotKeySettled);

    // Quaro is never out of sight: without a tray, the inbox is its window.
    m_trayMissing = !QSystemTrayIcon::isSystemTrayAvailable();
    if (m_trayMissing)
        openInbox();
    if (!m_state->preferences()->onboardingDone())
        openOnboarding();
    if (!m_pendingFiles.isEmpty()) {
        const QStringList files = std::exchange(m_pendingFiles, {});
        openFiles(files);
    }
    return true;
}

void AppDelegate::applyLightAppearance()
{
    // Quaro is drawn for a light appearance whatever the desktop's theme.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void AppDelegate::configureNudge()
{
    m_nudge.cloudEnabled = [this] { return m_state && m_state->cloud()->enabled(); };
    m_nudge.onOpenInbox = [this] { openInbox(); };
    m_state->onRecadoReady = [this](const Recado& recado, const std::optional<Destino>& destino) {
        m_nudge.recadoReady(recado, destino);
    };
}

void AppDelegate::serve()
{
    m_service.onToggle = [this] { toggleRecording(); };
    m_service.onStopAndSend = [this] { m_state->capture()->stopAndSend(); };
    m_service.onDiscard = [this] { m_state->capture()->discard(); };
    m_service.onTogglePause = [this] { m_state->capture()->togglePause(); };
    m_service.onShow = [this] { openInbox(); };
    m_service.onShowSettings = [this] { openSettings(); };
    m_service.onShowPanel = [this] { openPanel(); };
    m_service.onImport = [this](const QStringList& files) { openFiles(files); };
    m_service.stateProvider = [this] { return m_state->snapshot(openWindows()); };
}

void AppDelegate::createViews()
{
    m_qml = std::make_unique<QQmlEngine>();
    // Where the statically linked interface module lives.
    m_qml->addImportPath(QStringLiteral("qrc:/qt/qml"));
    m_microphone = std::make_unique<MicrophoneChoice>(*m_state->capture()->microphones(), *m_state->preferences());
    m_panel = std::make_unique<MenuBarPanel>(m_qml.get(), *m_state, m_actions, *m_microphone);
    m_widget = std::make_unique<WidgetController>(m_qml.get(), *m_state, *m_microphone);
    m_desktop = std::make_unique<DesktopBridge>(*m_state->capture());
    connect(m_tray.get(), &TrayIcon::panelRequested, m_panel.get(), &MenuBarPanel::toggle);
    connect(&m_actions, &AppActions::openInbox, this, &AppDelegate::openInbox);
    connect(&m_actions, &AppActions::openSettings, this, &AppDelegate::openSettings);
    connect(&m_actions, &AppActions::quit, this, &AppDelegate::quit);
}

void AppDelegate::registerHotKey()
{
    // GNOME's own shortcut runs `quaro --toggle`; holding the same keys as
    // well would toggle twice.
    if (m_state->hotKey()->gnomeShortcutActive())
        m_hotKey.release();
    else
        m_hotKey.registerPreset(m_state->preferences()->hotKeyPreset());
}

void AppDelegate::hotKeySettled()
{
    const HotKeyState state = m_hotKey.state();
    m_state->hotKey()->setHotKey(state, m_hotKey.boundTrigger());
    if (state != HotKeyState::working && state != HotKeyState::waiting && state != HotKeyState::idle)
        m_tray->tellHotKeyUnavailable(m_hotKey.lastFailure());
}

void AppDelegate::openFiles(const QStringList& files)
{
    if (!m_state) {
        m_pendingFiles += files;
        return;
    }
    openInbox();
    std::vector<std::filesystem::path> paths;
    paths.reserve(static_cast<size_t>(files.size()));
    for (const QString& file : files)
        paths.emplace_back(QFileInfo(file).absoluteFilePath().toStdString());
    m_state->capture()->importFiles(paths);
}

void AppDelegate::toggleRecording()
{
    if (m_state)
        m_state->capture()->toggleRecording();
}

void AppDelegate::openInbox()
{
    if (InboxWindow* inbox = prepareInbox())
        inbox->open();
}

InboxWindow* AppDelegate::prepareInbox()
{
    if (!m_state || !m_qml)
        return nullptr;
    if (!m_inbox) {
        m_inbox = std::make_unique<InboxWindow>(m_qml.get(), *m_state, *m_desktop, m_trayMissing);
        connect(m_inbox.get(), &InboxWindow::toggleRecordingRequested, this, &AppDelegate::toggleRecording);
        connect(m_inbox.get(), &InboxWindow::openInboxRequested, this, &AppDelegate::openInbox);
        connect(m_inbox.get(), &InboxWindow::openSettingsRequested, this, &AppDelegate::openSettings);
        connect(m_inbox.get(), &InboxWindow::openOnboardingRequested, this, &AppDelegate::openOnboarding);
        connect(m_inbox.get(), &InboxWindow::quitRequested, this, &AppDelegate::quit);
    }
    return m_inbox.get();
}

void AppDelegate::openSettings()
{
    if (!m_state)
        return;
    if (!m_settings)
        m_settings = std::make_unique<AppWindow>(m_qml.get(), *m_state->preferences(),
                                                 settingsWindowConfig(*m_state, *m_microphone, *m_desktop));
    m_settings->present();
}

void AppDelegate::openOnboarding()
{
    if (!m_state)
        return;
    if (!m_onboarding) {
        m_onboarding = std::make_unique<AppWindow>(m_qml.get(), *m_state->preferences(),
                                                   onboardingWindowConfig(*m_state, *m_microphone, *m_desktop));
        m_onboarding->onFinish = [this] { openInbox(); };
    }
    m_onboarding->present();
}

void AppDelegate::openPanel()
{
    if (m_panel && !m_panel->isVisible())
        m_panel->open(QRect());
}

QStringList AppDelegate::openWindows() const
{
    // A window counts once it is shown with its interface loaded: one whose
    // QML failed to load shows an empty frame.
    const std::pair<const QQuickView*, QLatin1String> windows[] = {
        {m_inbox.get(), QLatin1String("inbox")},
        {m_settings.get(), QLatin1String("settings")},
        {m_onboarding.get(), QLatin1String("onboarding")},
        {m_panel.get(), QLatin1String("panel")},
        {m_widget ? m_widget->window() : nullptr, QLatin1String("widget")},
    };
    QStringList open;
    for (const auto& [window, name] : windows)
        if (window && window->isVisible() && window->rootObject())
            open.append(name);
    return open;
}

void AppDelegate::quit()
{
    // A recording in progress is sent rather than dropped: the application
    // waits (a few seconds at most) for its file to close and its recado to
    // be filed. A transcription cut short by the exit is offered again at
    // the next start.
    if (!m_state) {
        QCoreApplication::quit();
        return;
    }
    m_state->capture()->finishForQuit(quitWaitMs, [] { QCoreApplication::quit(); });
}

} // namespace quaro
