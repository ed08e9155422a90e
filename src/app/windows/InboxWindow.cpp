#include "app/windows/InboxWindow.h"

#include "app/desktop/DesktopBridge.h"
#include "app/desktop/Nudge.h"
#include "app/state/Preferences.h"
#include "app/windows/AppState.h"
#include "app/windows/AppWindow.h"
#include "core/Log.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QQuickItem>

namespace quaro {

const QString InboxWindow::geometryKey = QStringLiteral("inboxWindow.geometry");
const QString InboxWindow::trayMissingToldKey = QStringLiteral("trayMissingTold");

InboxWindow::InboxWindow(QQmlEngine* engine, AppState& state, DesktopBridge& desktop, bool trayMissing)
    : QQuickView(engine, nullptr),
      claudeWebAddress(QString::fromLatin1(Nudge::claudeWebDefault)),
      chatGptAddress(QString::fromLatin1(Nudge::chatGptDefault)),
      openUrl([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      m_state(state),
      m_desktop(desktop),
      m_trayMissing(trayMissing)
{
    setTitle(QStringLiteral("Caixa · Quaro"));
    setMinimumSize(QSize(minimumWidth, minimumHeight));
    resize(defaultWidth, defaultHeight);
    setResizeMode(QQuickView::SizeRootObjectToView);
    setColor(QColor(0xFF, 0xF8, 0xEC));
    setInitialProperties({{QStringLiteral("app"), QVariant::fromValue(&state)},
                          {QStringLiteral("host"), QVariant::fromValue(this)}});
    setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/InboxView.qml")));
    for (const QQmlError& error : errors())
        log(LogArea::app, QStringLiteral("caixa"), error.toString());

    m_noticeTimer.setSingleShot(true);
    connect(state.capture(), &CaptureFlow::noticeChanged, this, &InboxWindow::holdNotice);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
        // A newer notice has its own wait.
        if (m_state.capture()->notice() == m_heldNotice)
            m_state.capture()->clearNotice();
    });
}

void InboxWindow::holdNotice()
{
    m_heldNotice = m_state.capture()->notice();
    if (m_heldNotice.isEmpty())
        m_noticeTimer.stop();
    else
        m_noticeTimer.start(noticeHoldMs);
}

InboxWindow::~InboxWindow()
{
    if (isVisible())
        saveGeometry();
}

void InboxWindow::open()
{
    m_state.inbox()->reload();
    if (!m_placed) {
        restoreGeometry();
        m_placed = true;
    }
    if (windowState() & Qt::WindowMinimized)
        setWindowStates(windowStates() & ~Qt::WindowMinimized);
    if (rootObject())
        QMetaObject::invokeMethod(rootObject(), "selectFirst");
    show();
    raise();
    requestActivate();
}

void InboxWindow::restoreGeometry()
{
    setGeometry(AppWindow::restoredGeometry(*m_state.preferences(), geometryKey, QSize(defaultWidth, defaultHeight),
                                            minimumSize()));
}

void InboxWindow::saveGeometry()
{
    m_state.preferences()->setValue(geometryKey, AppWindow::writeGeometry(geometry()));
}

bool InboxWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Close) {
        saveGeometry();
        // Without a tray nothing else shows Quaro: the window stays in the
        // task bar.
        if (m_trayMissing) {
            event->ignore();
            showMinimized();
            return true;
        }
    }
    return QQuickView::event(event);
}

void InboxWindow::copyText(const QString& text) { m_desktop.copyText(text); }

void InboxWindow::chooseAudioToImport() { m_desktop.chooseAudioToImport(); }

void InboxWindow::openInChat(const QString& service, const QString& recadoID, const QString& title)
{
    const QString base = service == QStringLiteral("chatgpt") ? chatGptAddress : claudeWebAddress;
    const QUrl url = Nudge::chatAddress(base, Nudge::prompt(recadoID, title));
    if (url.isValid() && openUrl)
        openUrl(url);
}

void InboxWindow::hideQuaro()
{
    saveGeometry();
    if (m_trayMissing)
        showMinimized();
    else
        hide();
}

bool InboxWindow::claimTrayMissingNotice()
{
    Preferences& preferences = *m_state.preferences();
    if (!m_trayMissing || preferences.boolValue(trayMissingToldKey, false))
        return false;
    preferences.setValue(trayMissingToldKey, true);
    log(LogArea::app, QStringLiteral("caixa"),
        QStringLiteral("sem bandeja no sistema: a caixa fica aberta como janela"));
    return true;
}

bool InboxWindow::fileExists(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isFile(); }

} // namespace quaro
