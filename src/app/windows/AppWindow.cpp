#include "app/windows/AppWindow.h"

#include "app/desktop/X11WindowHints.h"
#include "app/state/Preferences.h"
#include "core/Log.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <QScreen>
#include <QStringList>
#include <QSystemTrayIcon>

#include <algorithm>

namespace quaro {

namespace {

// Moving and resizing fire many times a second; the place is written once
// the hand rests.
constexpr int saveDelayMs = 400;
// How much of a remembered window must still lie on a screen to be reached.
constexpr int graspable = 80;

} // namespace

AppWindow::AppWindow(QQmlEngine* engine, Preferences& preferences, AppWindowConfig config)
    : QQuickView(engine, nullptr), m_preferences(preferences), m_config(std::move(config))
{
    setTitle(m_config.title);
    setFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setMinimumSize(m_config.minimum);
    // A window that cannot shrink below its size has a fixed size on Wayland:
    // tiling compositors then float it whole instead of squeezing it into a
    // column narrower than its content.
    if (QGuiApplication::platformName() == QLatin1String("wayland") && m_config.size == m_config.minimum)
        setMaximumSize(m_config.minimum);
    resize(m_config.size);
    setResizeMode(QQuickView::SizeRootObjectToView);
    setColor(QColor(0xFF, 0xF8, 0xEC));
    setInitialProperties(m_config.properties);
    setSource(m_config.source);
    for (const QQmlError& error : errors())
        log(LogArea::app, QStringLiteral("janela"), error.toString());
    if (m_config.finishes && rootObject())
        connect(rootObject(), SIGNAL(finished()), this, SLOT(finish()));

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(saveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &AppWindow::saveGeometry);
    for (auto changed : {&QWindow::xChanged, &QWindow::yChanged, &QWindow::widthChanged, &QWindow::heightChanged})
        connect(this, changed, this, [this] {
            if (m_placed && isVisible())
                m_saveTimer.start();
        });
    // A hidden window takes the choice when it is next shown.
    connect(&m_preferences, &Preferences::showInDockChanged, this, [this] {
        if (isVisible())
            applyTaskbarEntry();
    });
}

AppWindow::~AppWindow() = default;

void AppWindow::present()
{
    if (!m_placed)
        place();
    applyTaskbarEntry();
    show();
    raise();
    requestActivate();
}

// "Mostrar o Quaro na barra de tarefas" off: the windows keep out of the
// taskbar, unless there is no tray to reach Quaro from instead.
void AppWindow::applyTaskbarEntry()
{
    const bool skip = !m_preferences.showInDock() && QSystemTrayIcon::isSystemTrayAvailable();
    X11WindowHints::setSkipTaskbar(*this, skip);
}

void AppWindow::place()
{
    setGeometry(restoredGeometry(m_preferences, m_config.geometryKey, m_config.size, m_config.minimum));
    m_placed = true;
}

QRect AppWindow::restoredGeometry(const Preferences& preferences, const QString& key, const QSize& size,
                                  const QSize& minimum)
{
    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect home = primary ? primary->availableGeometry() : QRect(QPoint(0, 0), size);
    const auto text = preferences.stringValue(key);
    const auto saved = text ? readGeometry(*text) : std::nullopt;
    return placement(saved, size, minimum, screens, home);
}

void AppWindow::saveGeometry()
{
    m_preferences.setValue(m_config.geometryKey, writeGeometry(geometry()));
}

void AppWindow::finish()
{
    close();
    if (onFinish)
        onFinish();
}

void AppWindow::keyPressEvent(QKeyEvent* event)
{
    // A field or an open menu may want Esc for itself; only a key nobody
    // took closes the window.
    QQuickView::keyPressEvent(event);
    if (event->key() == Qt::Key_Escape && !event->isAccepted())
        close();
}

void AppWindow::hideEvent(QHideEvent* event)
{
    if (m_placed) {
        m_saveTimer.stop();
        saveGeometry();
    }
    QQuickView::hideEvent(event);
}

std::optional<QRect> AppWindow::readGeometry(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

QString AppWindow::writeGeometry(const QRect& geometry)
{
    return QStringLiteral("%1,%2,%3,%4").arg(geometry.x()).arg(geometry.y()).arg(geometry.width()).arg(
        geometry.height());
}

QRect AppWindow::placement(const std::optional<QRect>& saved, const QSize& size, const QSize& minimum,
                           const QList<QRect>& screens, const QRect& home)
{
    if (saved) {
        const QRect grown(saved->topLeft(), saved->size().expandedTo(minimum));
        const bool reachable = std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
            const QRect overlap = screen.intersected(grown);
            return overlap.width() >= graspable && overlap.height() >= graspable;
        });
        if (reachable)
            return grown;
    }
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(home.center());
    return centred;
}

} // namespace quaro
