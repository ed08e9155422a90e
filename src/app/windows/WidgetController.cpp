#include "app/windows/WidgetController.h"

#include "app/capture/MicrophoneChoice.h"
#include "app/desktop/X11WindowHints.h"
#include "app/windows/AppState.h"
#include "core/Log.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QScreen>

namespace quaro {

const QString WidgetController::positionKey = QStringLiteral("widgetOrigin.v2");

namespace {

constexpr int topMargin = 12;
// Dragging moves the window many times a second; the place is written once
// the hand rests.
constexpr int saveDelayMs = 300;

QList<QRect> visibleFrames()
{
    QList<QRect> frames;
    for (QScreen* screen : QGuiApplication::screens())
        frames.append(screen->availableGeometry());
    return frames;
}

} // namespace

WidgetController::WidgetController(QQmlEngine* engine, AppState& state, MicrophoneChoice& microphone,
                                   QObject* parent)
    : QObject(parent), m_state(state), m_view(std::make_unique<QQuickView>(engine, nullptr))
{
    m_view->setTitle(QStringLiteral("Quaro"));
    m_view->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    m_view->setColor(Qt::transparent);
    m_view->setResizeMode(QQuickView::SizeViewToRootObject);
    m_view->setInitialProperties({{QStringLiteral("app"), QVariant::fromValue(&state)},
                                  {QStringLiteral("microphone"), QVariant::fromValue(&microphone)}});
    m_view->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/WidgetView.qml")));
    for (const QQmlError& error : m_view->errors())
        log(LogArea::app, QStringLiteral("widget"), error.toString());

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(saveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &WidgetController::savePosition);
    connect(m_view.get(), &QWindow::xChanged, this, [this] {
        if (!m_placing && m_view->isVisible())
            m_saveTimer.start();
    });
    connect(m_view.get(), &QWindow::yChanged, this, [this] {
        if (!m_placing && m_view->isVisible())
            m_saveTimer.start();
    });

    if (QQuickItem* root = m_view->rootObject()) {
        connect(root, &QQuickItem::widthChanged, this, &WidgetController::fitContent);
        connect(root, &QQuickItem::heightChanged, this, &WidgetController::fitContent);
    }
    connect(state.capture(), &CaptureFlow::phaseChanged, this, &WidgetController::update);
    connect(state.preferences(), &Preferences::alwaysShowWidgetChanged, this, &WidgetController::update);
    connect(qApp, &QGuiApplication::screenRemoved, this, &WidgetController::keepOnScreen);
    update();
}

WidgetController::~WidgetController() = default;

bool WidgetController::shouldShow() const
{
    return m_state.capture()->phaseName() != QStringLiteral("idle") || m_state.preferences()->alwaysShowWidget();
}

void WidgetController::update()
{
    const bool show = shouldShow();
    if (show && !m_view->isVisible()) {
        // The content changed with the phase while the window was hidden.
        fitContent();
        place();
        // On every workspace where the desktop allows it.
        X11WindowHints::setSticky(*m_view);
        // Shown without activation: the flags keep the keyboard where it was.
        m_view->show();
        m_view->raise();
    } else if (!show && m_view->isVisible()) {
        // A drag that ended just before the widget hides still counts.
        if (m_saveTimer.isActive()) {
            m_saveTimer.stop();
            savePosition();
        }
        m_view->hide();
    }
}

void WidgetController::fitContent()
{
    QQuickItem* root = m_view->rootObject();
    if (!root)
        return;
    const QSize size(int(root->width()), int(root->height()));
    m_view->resize(size);
    // A window of one fixed size floats in tiling compositors instead of
    // filling a tile.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        m_view->setMinimumSize(size);
        m_view->setMaximumSize(size);
    }
}

void WidgetController::place()
{
    // Wayland clients cannot place their windows: the compositor does.
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary || QGuiApplication::platformName() == QLatin1String("wayland"))
        return;
    const auto saved = readOrigin(m_state.preferences()->stringValue(positionKey).value_or(QString()));
    m_placing = true;
    m_view->setPosition(placement(saved, m_view->size(), visibleFrames(), primary->availableGeometry()));
    m_placing = false;
}

void WidgetController::savePosition()
{
    m_state.preferences()->setValue(positionKey, writeOrigin(m_view->position()));
}

void WidgetController::keepOnScreen()
{
    // A monitor went away: a widget left in the void comes back.
    if (!m_view->isVisible())
        return;
    for (const QRect& frame : visibleFrames()) {
        if (frame.contains(m_view->position()))
            return;
    }
    place();
}

std::optional<QPoint> WidgetController::readOrigin(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\{\s*(-?\d+(?:\.\d+)?)\s*,\s*(-?\d+(?:\.\d+)?)\s*\}$)"));
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return QPoint(qRound(match.captured(1).toDouble()), qRound(match.captured(2).toDouble()));
}

QString WidgetController::writeOrigin(const QPoint& origin)
{
    return QStringLiteral("{%1, %2}").arg(origin.x()).arg(origin.y());
}

QPoint WidgetController::placement(const std::optional<QPoint>& saved, const QSize& size, const QList<QRect>& screens,
                                   const QRect& primary)
{
    if (saved) {
        for (const QRect& frame : screens) {
            if (frame.contains(*saved))
                return *saved;
        }
    }
    return {primary.center().x() + 1 - size.width() / 2, primary.top() + topMargin};
}

} // namespace quaro
