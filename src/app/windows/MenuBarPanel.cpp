#include "app/windows/MenuBarPanel.h"

#include "app/capture/MicrophoneChoice.h"
#include "app/windows/AppActions.h"
#include "app/windows/AppState.h"
#include "core/Log.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QScreen>

#include <algorithm>

namespace quaro {

namespace {

constexpr int gap = 4;

} // namespace

MenuBarPanel::MenuBarPanel(QQmlEngine* engine, AppState& state, AppActions& actions, MicrophoneChoice& microphone)
    : QQuickView(engine, nullptr), m_state(state)
{
    setTitle(QStringLiteral("Quaro"));
    // A Wayland popup needs a parent window and the press that opened it;
    // a tray click gives neither, so there the panel is a small dialog (which
    // tiling compositors float) that closes when it loses the keyboard.
    m_asWindow = QGuiApplication::platformName() == QLatin1String("wayland");
    if (m_asWindow) {
        setFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        connect(this, &QWindow::activeChanged, this, [this] {
            if (!isActive())
                close();
        });
    } else {
        setFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }
    setResizeMode(QQuickView::SizeViewToRootObject);
    setColor(QColor(0xFF, 0xF8, 0xEC));
    setInitialProperties({{QStringLiteral("app"), QVariant::fromValue(&state)},
                          {QStringLiteral("actions"), QVariant::fromValue(&actions)},
                          {QStringLiteral("microphone"), QVariant::fromValue(&microphone)}});
    setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/MenuBarView.qml")));
    for (const QQmlError& error : errors())
        log(LogArea::app, QStringLiteral("painel"), error.toString());
    connect(&actions, &AppActions::closeMenu, this, &MenuBarPanel::close);
}

void MenuBarPanel::toggle(const QRect& anchor)
{
    if (isVisible())
        close();
    else
        open(anchor);
}

void MenuBarPanel::open(const QRect& anchor)
{
    // Fresh data first: an AI client may have just resolved something.
    m_state.inbox()->reload();
    const QRect target = anchor.isValid() ? anchor : QRect(QCursor::pos(), QSize(1, 1));
    QScreen* screen = QGuiApplication::screenAt(target.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // The content may have grown while the panel was closed.
    const QSize wanted = rootObject() ? QSize(int(rootObject()->width()), int(rootObject()->height())) : size();
    resize(wanted);
    if (m_asWindow) {
        setMinimumSize(wanted);
        setMaximumSize(wanted);
    } else if (screen) {
        setPosition(placement(target, wanted, screen->availableGeometry()));
    }
    show();
    raise();
    requestActivate();
    if (m_asWindow)
        return;
    setMouseGrabEnabled(true);
    setKeyboardGrabEnabled(true);
}

void MenuBarPanel::close()
{
    if (!isVisible())
        return;
    if (!m_asWindow) {
        setMouseGrabEnabled(false);
        setKeyboardGrabEnabled(false);
    }
    hide();
}

QPoint MenuBarPanel::placement(const QRect& anchor, const QSize& size, const QRect& screen)
{
    int x = anchor.center().x() - size.width() / 2;
    int y = anchor.bottom() + 1 + gap;
    if (y + size.height() > screen.bottom() + 1)
        y = anchor.top() - gap - size.height();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {x, y};
}

void MenuBarPanel::mousePressEvent(QMouseEvent* event)
{
    // While the pointer is held, clicks anywhere arrive here: one outside
    // the panel closes it and goes no further.
    if (!QRect(QPoint(0, 0), size()).contains(event->position().toPoint())) {
        close();
        return;
    }
    QQuickView::mousePressEvent(event);
}

void MenuBarPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QQuickView::keyPressEvent(event);
}

} // namespace quaro
