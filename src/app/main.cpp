// quaro: the tray application. A second launch hands its request (toggle,
// files to import, show) to the running instance and leaves.
#include "app/AppDelegate.h"
#include "app/AppService.h"
#include "app/AppServiceClient.h"
#include "app/CommandLine.h"

#include <QApplication>
#include <QDir>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

// The interface's QML module is linked in statically.
Q_IMPORT_QML_PLUGIN(Quaro_UiPlugin)

int main(int argc, char** argv)
{
    // Quaro's windows are small and flat: the software renderer draws them
    // without loading a GL driver, which would more than double the resident
    // memory of an application that mostly waits in the tray.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quaro"));
    QApplication::setApplicationName(QStringLiteral("Quaro"));
    QApplication::setDesktopFileName(QStringLiteral("quaro"));
    QApplication::setQuitOnLastWindowClosed(false);

    auto line = quaro::CommandLine::parse(QApplication::arguments().mid(1), QDir::currentPath());
    if (!line)
        return quaro::CommandLine::reportUsageError(line.error());
    if (line->action == quaro::CommandLine::Action::help) {
        std::fputs(qPrintable(quaro::CommandLine::usage()), stdout);
        return 0;
    }

    quaro::AppService service;
    const auto claim = service.claimPrimary();
    if (claim == quaro::AppService::Claim::secondary)
        return quaro::handOffToPrimary(*line);
    if (claim == quaro::AppService::Claim::alreadyRunning) {
        // Reached only without a session bus, where the request cannot be
        // handed over.
        std::fputs("O Quaro já está aberto.\n", stderr);
        return 1;
    }

    quaro::AppDelegate delegate(service);
    const QStringList files = line->action == quaro::CommandLine::Action::import ? line->files : QStringList();
    const bool onlyInstance = claim == quaro::AppService::Claim::primary || claim == quaro::AppService::Claim::lockFile;
    if (!delegate.start(onlyInstance, files))
        return 1;
    // Toggle, stop or discard asked of a first launch are done as it starts.
    switch (line->action) {
    case quaro::CommandLine::Action::toggle:
        delegate.toggleRecording();
        break;
    case quaro::CommandLine::Action::stopAndSend:
    case quaro::CommandLine::Action::discard:
    case quaro::CommandLine::Action::show:
    case quaro::CommandLine::Action::import:
    case quaro::CommandLine::Action::help:
        break;
    }
    return QApplication::exec();
}
