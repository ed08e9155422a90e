#include "app/desktop/HotKeyStatus.h"

#include "app/common/QtStrings.h"
#include "app/desktop/GnomeShortcut.h"
#include "app/state/Preferences.h"

#include <QRegularExpression>

namespace quaro {

namespace {

// Quoted for a shell (and for GNOME, which splits commands the same way)
// only when the path needs it.
QString shellQuoted(const QString& path)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+-]+$"));
    if (plain.match(path).hasMatch())
        return path;
    QString quoted = path;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool tiling(DesktopKind desktop)
{
    return desktop == DesktopKind::sway || desktop == DesktopKind::i3 || desktop == DesktopKind::hyprland;
}

} // namespace

HotKeyStatus::HotKeyStatus(Preferences& preferences, SessionInfo session, QString executable, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_session(session), m_executable(std::move(executable))
{
    if (m_session.desktop == DesktopKind::gnome)
        m_gnome = GnomeShortcut::create();
    m_gnomeActive = m_gnome && m_gnome->installed();
    connect(&m_preferences, &Preferences::hotKeyPresetChanged, this, &HotKeyStatus::followPreset);
    followPreset();
}

HotKeyStatus::~HotKeyStatus() = default;

void HotKeyStatus::setHotKey(HotKeyState state, const QString& boundTrigger)
{
    m_state = state;
    m_boundTrigger = boundTrigger;
    emit changed();
}

// A new preset reaches GNOME's shortcut too, and may clash with the window
// menu there.
void HotKeyStatus::followPreset()
{
    const HotKeyPreset preset = m_preferences.hotKeyPreset();
    if (m_gnomeActive)
        m_gnome->install(preset, toggleCommand());
    m_clash.clear();
    if (m_session.desktop == DesktopKind::gnome && GnomeShortcut::clashesWithWindowMenu(preset)) {
        for (const HotKeyPreset other : allHotKeyPresets) {
            if (GnomeShortcut::clashesWithWindowMenu(other))
                continue;
            m_clash = QStringLiteral("No GNOME, %1 também abre o menu da janela. Escolha outro atalho, como %2.")
                          .arg(toQString(quaro::label(preset)), toQString(quaro::label(other)));
            break;
        }
    }
    emit changed();
}

bool HotKeyStatus::works() const { return m_gnomeActive || m_state == HotKeyState::working; }

QString HotKeyStatus::stateName() const
{
    if (m_gnomeActive)
        return QStringLiteral("desktop");
    switch (m_state) {
    case HotKeyState::idle: return QStringLiteral("idle");
    case HotKeyState::waiting: return QStringLiteral("waiting");
    case HotKeyState::working: return QStringLiteral("working");
    case HotKeyState::taken: return QStringLiteral("taken");
    case HotKeyState::unavailable: return QStringLiteral("unavailable");
    case HotKeyState::refused: return QStringLiteral("refused");
    case HotKeyState::cancelled: return QStringLiteral("cancelled");
    }
    return {};
}

QString HotKeyStatus::label() const
{
    if (!m_boundTrigger.isEmpty() && !m_gnomeActive)
        return m_boundTrigger;
    return m_preferences.hotKeyLabel();
}

QString HotKeyStatus::problem() const
{
    if (m_gnomeActive)
        return {};
    switch (m_state) {
    case HotKeyState::idle:
    case HotKeyState::working: return {};
    case HotKeyState::waiting: return QStringLiteral("O atalho espera a sua confirmação na janela do sistema.");
    case HotKeyState::taken: return QStringLiteral("Outro app já usa esse atalho.");
    case HotKeyState::unavailable: return QStringLiteral("Esta sessão não dá atalho global ao Quaro.");
    case HotKeyState::refused: return QStringLiteral("O sistema recusou o atalho.");
    case HotKeyState::cancelled: return QStringLiteral("O atalho ficou sem confirmação.");
    }
    return {};
}

QString HotKeyStatus::fix() const
{
    if (m_gnomeActive || (m_state != HotKeyState::unavailable && m_state != HotKeyState::refused))
        return {};
    if (gnomeShortcutOffered())
        return QStringLiteral("Crie um atalho no GNOME e %1 grava em qualquer app.").arg(label());
    if (tiling(m_session.desktop))
        return QStringLiteral("Ponha esta linha na configuração do %1 e recarregue:").arg(desktopName());
    return QStringLiteral("Crie nos atalhos do sistema um que rode %1").arg(toggleCommand());
}

QString HotKeyStatus::desktopName() const
{
    switch (m_session.desktop) {
    case DesktopKind::i3: return QStringLiteral("i3");
    case DesktopKind::hyprland: return QStringLiteral("Hyprland");
    default: return QStringLiteral("sway");
    }
}

QString HotKeyStatus::configLine() const
{
    if (!tiling(m_session.desktop) || fix().isEmpty())
        return {};
    const HotKeyModifiers keys = modifiers(m_preferences.hotKeyPreset());
    if (m_session.desktop == DesktopKind::hyprland)
        return QStringLiteral("bind = %1, space, exec, %2")
            .arg(QString::fromStdString(spelled(keys, "CTRL", "ALT", "SHIFT", " ")), toggleCommand());
    return QStringLiteral("bindsym %1+space exec %2")
        .arg(QString::fromStdString(spelled(keys, "Ctrl", "Mod1", "Shift", "+")), toggleCommand());
}

bool HotKeyStatus::gnomeShortcutOffered() const { return m_gnome != nullptr; }

QString HotKeyStatus::clash() const { return m_clash; }

bool HotKeyStatus::canRetry() const
{
    return !m_gnomeActive && (m_state == HotKeyState::refused || m_state == HotKeyState::cancelled);
}

QString HotKeyStatus::toggleCommand() const { return shellQuoted(m_executable) + QStringLiteral(" --toggle"); }

void HotKeyStatus::createGnomeShortcut()
{
    if (!m_gnome)
        return;
    m_gnome->install(m_preferences.hotKeyPreset(), toggleCommand());
    m_gnomeActive = true;
    emit changed();
    emit retryRequested();
}

void HotKeyStatus::removeGnomeShortcut()
{
    if (!m_gnome)
        return;
    m_gnome->remove();
    m_gnomeActive = false;
    emit changed();
    emit retryRequested();
}

} // namespace quaro
