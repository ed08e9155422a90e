#pragma once

#include <QQuickView>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <optional>

class QQmlEngine;

namespace quaro {

class Preferences;

// How one of the application's titled windows looks and where it keeps its
// place.
struct AppWindowConfig {
    QString title;
    QSize size;
    QSize minimum;
    // Preferences key of the remembered geometry ("x,y,width,height").
    QString geometryKey;
    QUrl source;
    QVariantMap properties;
    // The view emits finished() when the user is done with it: the window
    // then closes and calls its `onFinish`.
    bool finishes = false;
};

// A titled window over the shared QML engine, created once and kept when
// closed, that opens where the user last left it (centred the first time,
// or when that place is no longer on a screen) and closes on Esc when
// nothing inside took the key. Main thread; the preferences outlive it.
class AppWindow : public QQuickView {
    Q_OBJECT
public:
    AppWindow(QQmlEngine* engine, Preferences& preferences, AppWindowConfig config);
    ~AppWindow() override;

    // Shows the window (placing it on the first call) and brings it to the
    // front with the keyboard.
    void present();

    // For a view that finishes: called after the window closed.
    std::function<void()> onFinish;

    // "x,y,width,height"; absent when the text is not four integers with a
    // positive size.
    static std::optional<QRect> readGeometry(const QString& text);
    static QString writeGeometry(const QRect& geometry);
    // Where the window goes: `saved` (grown to `minimum`) when it overlaps
    // one of `screens` enough to be grabbed, else `size` centred on `home`.
    static QRect placement(const std::optional<QRect>& saved, const QSize& size, const QSize& minimum,
                           const QList<QRect>& screens, const QRect& home);
    // The placement of a window whose geometry is kept under `key`, on the
    // screens there are now.
    static QRect restoredGeometry(const Preferences& preferences, const QString& key, const QSize& size,
                                  const QSize& minimum);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void finish();

private:
    void place();
    void applyTaskbarEntry();
    void saveGeometry();

    Preferences& m_preferences;
    AppWindowConfig m_config;
    QTimer m_saveTimer;
    bool m_placed = false;
};

} // namespace quaro
