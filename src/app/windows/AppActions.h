#pragma once

#include <QObject>

namespace quaro {

// What the tray panel asks of the application: open the inbox or the
// settings, close the panel, quit. The delegate connects each signal; QML
// calls them as functions (`actions.openInbox()`). Main thread only.
class AppActions : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void openInbox();
    void openSettings();
    void closeMenu();
    void quit();
};

} // namespace quaro
