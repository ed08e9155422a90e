#include "app/InboxWindow.h"

#include "app/AppLog.h"
#include "app/AppState.h"
#include "app/Nudge.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QQuickItem>
#include <QScreen>

#include <optional>

namespace quaro {

const QString InboxWindow::geometryKey = QStringLiteral("QuaroInbox");

namespace {

QString rectText(const QRect& rect)
{
    return QStringLiteral("%1 %2 %3 %4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

std::optional<QRect> rectFromText(const QString& text)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return QRect(values[0], values[1], values[2], values[3]);
}

} // namespace

InboxWindow::InboxWindow(QQmlEngine* engine, AppState& state, bool trayMissing)
    : QQuickView(engine, nullptr),
      claudeWebAddress(QString::fromLatin1(Nudge::claudeWebDefault)),
      chatGptAddress(QString::fromLatin1(Nudge::chatGptDefault)),
      openUrl([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      m_state(state),
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
        appLog(QStringLiteral("caixa"), error.toString());

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
    const auto saved = m_state.preferences()->stringValue(geometryKey);
    const auto rect = saved ? rectFromText(*saved) : std::nullopt;
    // A place on a monitor that is gone is forgotten: the window is centred.
    const bool onScreen = rect && QGuiApplication::screenAt(rect->center()) != nullptr;
    if (rect && onScreen) {
        setGeometry(QRect(rect->topLeft(), rect->size().expandedTo(minimumSize())));
        return;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = QSize(defaultWidth, defaultHeight).boundedTo(available.size()).expandedTo(minimumSize());
        setGeometry(QRect(available.center() - QPoint(size.width() / 2, size.height() / 2), size));
    }
}

void InboxWindow::saveGeometry() { m_state.preferences()->setValue(geometryKey, rectText(geometry())); }

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

void InboxWindow::copyText(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(text);
    }
}

void InboxWindow::chooseAudioToImport()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        nullptr, QStringLiteral("Importar áudio"), QString(),
        QStringLiteral("Áudio (*.m4a *.mp3 *.wav *.aiff *.aif *.caf *.aac *.mp4 *.flac *.ogg *.opus)"));
    if (files.isEmpty())
        return;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    m_state.capture()->importAudio(urls);
}

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

bool InboxWindow::fileExists(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isFile(); }

} // namespace quaro
