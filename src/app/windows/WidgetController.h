#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <memory>
#include <optional>

class QQmlEngine;
class QQuickView;

namespace quaro {

class AppState;
class MicrophoneChoice;

// The floating recording widget: a frameless tool window that stays on top,
// never takes the keyboard from the program the user is typing in, and
// shows the QML WidgetView. It is visible while the capture flow is
// anywhere but idle, or always when the user asks; it opens where it was
// last dragged when that place is still on a screen, else at the top centre
// of the primary screen. Main thread; the state and the microphone choice
// outlive it.
class WidgetController : public QObject {
    Q_OBJECT
public:
    static const QString positionKey; // "widgetOrigin.v2"

    WidgetController(QQmlEngine* engine, AppState& state, MicrophoneChoice& microphone, QObject* parent = nullptr);
    ~WidgetController() override;

    QQuickView* window() { return m_view.get(); }
    bool shouldShow() const;

    // A saved origin in the "{x, y}" form, when it reads as one.
    static std::optional<QPoint> readOrigin(const QString& text);
    static QString writeOrigin(const QPoint& origin);
    // Where the widget goes: `saved` when it lies on one of `screens`, else
    // the top centre of `primary`, 12 pixels down.
    static QPoint placement(const std::optional<QPoint>& saved, const QSize& size, const QList<QRect>& screens,
                            const QRect& primary);

private:
    void update();
    void fitContent();
    void place();
    void savePosition();
    void keepOnScreen();

    AppState& m_state;
    std::unique_ptr<QQuickView> m_view;
    QTimer m_saveTimer;
    bool m_placing = false;
};

} // namespace quaro
