#include "app/windows/TrayIcon.h"

#include "app/windows/AppState.h"
#include "app/windows/Glyph.h"
#include "core/Log.h"

#include <QActionGroup>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

namespace quaro {

namespace {

constexpr int iconPixels = 64;
constexpr int animationIntervalMs = 1000 / 12;

QIcon glyphIcon(Glyph::Mode mode, double level = 0, double time = 0)
{
    return QIcon(QPixmap::fromImage(Glyph::image(mode, iconPixels, level, time)));
}

} // namespace

TrayIcon::TrayIcon(AppState& state, QObject* parent) : QObject(parent), m_state(state)
{
    m_icon.setToolTip(QStringLiteral("Quaro"));
    m_icon.setContextMenu(&m_menu);
    m_animation.setInterval(animationIntervalMs);
    connect(&m_animation, &QTimer::timeout, this, &TrayIcon::drawRecordingFrame);

    connect(&m_menu, &QMenu::aboutToShow, this, [this] {
        m_state.inbox()->reload();
        rebuildMenu();
    });
    // A click on the icon opens the panel; double clicks arrive as a click
    // first and need nothing more. The right button keeps the menu.
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit panelRequested(m_icon.geometry());
    });

    CaptureFlow* capture = m_state.capture();
    InboxState* inbox = m_state.inbox();
    Preferences* preferences = m_state.preferences();
    connect(capture, &CaptureFlow::phaseChanged, this, [this] {
        refreshIcon();
        rebuildMenu();
    });
    connect(inbox, &InboxState::countsChanged, this, &TrayIcon::refreshIcon);
    for (QAbstractItemModel* model : {static_cast<QAbstractItemModel*>(capture->microphones()),
                                      static_cast<QAbstractItemModel*>(inbox->destinos())}) {
        connect(model, &QAbstractItemModel::modelReset, this, &TrayIcon::rebuildMenu);
        connect(model, &QAbstractItemModel::rowsInserted, this, &TrayIcon::rebuildMenu);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &TrayIcon::rebuildMenu);
        connect(model, &QAbstractItemModel::dataChanged, this, &TrayIcon::rebuildMenu);
    }
    connect(preferences, &Preferences::selectedMicIDChanged, this, &TrayIcon::rebuildMenu);
    connect(preferences, &Preferences::selectedDestinoIDChanged, this, &TrayIcon::rebuildMenu);
    connect(preferences, &Preferences::alwaysShowWidgetChanged, this, &TrayIcon::rebuildMenu);
    connect(m_state.hotKey(), &HotKeyStatus::changed, this, &TrayIcon::rebuildMenu);

    rebuildMenu();
    refreshIcon();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        log(LogArea::app, QStringLiteral("bandeja"),
            QStringLiteral("a área de notificação do desktop não está disponível"));
    m_icon.show();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::tellHotKeyUnavailable(const QString& why)
{
    log(LogArea::app, QStringLiteral("atalho"), why);
    rebuildMenu();
    const HotKeyStatus* status = m_state.hotKey();
    if (status->problem().isEmpty() || m_toldProblem == status->problem())
        return;
    m_toldProblem = status->problem();
    const QString message = status->fix().isEmpty() ? status->problem() : status->problem() + QLatin1Char(' ') + status->fix();
    m_icon.showMessage(QStringLiteral("Quaro"), message, QSystemTrayIcon::Warning);
}

// The hot key's problem and the fix this desktop allows, as in the settings
// and the onboarding.
void TrayIcon::addHotKeyHelp()
{
    HotKeyStatus* status = m_state.hotKey();
    auto say = [this](const QString& text) {
        if (!text.isEmpty())
            m_menu.addAction(text)->setEnabled(false);
    };
    say(status->problem());
    if (status->gnomeShortcutOffered() && !status->fix().isEmpty()) {
        say(status->fix());
        m_menu.addAction(QStringLiteral("Criar atalho no GNOME"), status, &HotKeyStatus::createGnomeShortcut);
    } else if (const QString line = status->configLine(); !line.isEmpty()) {
        say(status->fix());
        say(line);
        m_menu.addAction(QStringLiteral("Copiar a linha"), this, [line] { QGuiApplication::clipboard()->setText(line); });
    } else {
        say(status->fix());
    }
    if (status->canRetry())
        m_menu.addAction(QStringLiteral("Pedir o atalho de novo"), status, &HotKeyStatus::retry);
    say(status->clash());
}

void TrayIcon::rebuildMenu()
{
    m_menu.clear();
    const bool capturing = m_state.capture()->isCapturing();
    m_menu.addAction(capturing ? QStringLiteral("Parar e enviar") : QStringLiteral("Gravar recado"), this,
                     &TrayIcon::toggleRecordingRequested);
    addHotKeyHelp();
    m_menu.addAction(QStringLiteral("Abrir caixa"), this, &TrayIcon::openInboxRequested);
    addMicrophoneMenu();
    addDestinoMenu();
    m_menu.addSeparator();
    QAction* always = m_menu.addAction(QStringLiteral("Mostrar widget sempre"));
    always->setCheckable(true);
    always->setChecked(m_state.preferences()->alwaysShowWidget());
    connect(always, &QAction::triggered, this, [this] {
        Preferences* preferences = m_state.preferences();
        preferences->setAlwaysShowWidget(!preferences->alwaysShowWidget());
    });
    m_menu.addAction(QStringLiteral("Ajustes…"), this, &TrayIcon::openSettingsRequested);
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Sair do Quaro"), this, &TrayIcon::quitRequested);
}

void TrayIcon::addMicrophoneMenu()
{
    QMenu* menu = m_menu.addMenu(QStringLiteral("Microfone"));
    auto* group = new QActionGroup(menu);
    const QString selected = m_state.preferences()->selectedMicID();
    auto add = [&](const QString& title, const QString& id) {
        QAction* action = menu->addAction(title);
        action->setCheckable(true);
        action->setChecked(id == selected);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id] { m_state.preferences()->setSelectedMicID(id); });
    };
    add(QStringLiteral("Padrão do sistema"), QString());
    MicrophoneListModel* microphones = m_state.capture()->microphones();
    for (const Microphone& microphone : microphones->microphones())
        add(QString::fromStdString(microphone.name), QString::fromStdString(microphone.id));
}

void TrayIcon::addDestinoMenu()
{
    QMenu* menu = m_menu.addMenu(QStringLiteral("Destino"));
    auto* group = new QActionGroup(menu);
    const QString selected = m_state.preferences()->selectedDestinoID();
    for (const Destino& destino : m_state.inbox()->destinoList()) {
        const QString id = QString::fromStdString(destino.id);
        QAction* action = menu->addAction(QString::fromStdString(destino.name));
        action->setCheckable(true);
        action->setChecked(id == selected);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id] { m_state.preferences()->setSelectedDestinoID(id); });
    }
}

void TrayIcon::refreshIcon()
{
    if (m_state.capture()->isCapturing()) {
        if (!m_animation.isActive())
            m_animation.start();
        drawRecordingFrame();
        return;
    }
    m_animation.stop();
    const bool pending = m_state.inbox()->pendingCount() >= 1;
    m_icon.setIcon(glyphIcon(pending ? Glyph::Mode::pending : Glyph::Mode::idle));
}

void TrayIcon::drawRecordingFrame()
{
    const CaptureFlow* capture = m_state.capture();
    const double level = capture->phaseName() == QStringLiteral("paused") ? 0 : capture->level();
    const double time = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    m_icon.setIcon(glyphIcon(Glyph::Mode::recording, level, time));
}

} // namespace quaro
