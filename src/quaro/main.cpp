// quaro: the tray application. A second launch hands its request (toggle,
// files to import, show) to the running instance and leaves.
#include "app/desktop/AppService.h"
#include "app/desktop/AppServiceClient.h"
#include "app/desktop/CommandLine.h"
#include "app/windows/AppDelegate.h"
#include "core/Log.h"

#include <QApplication>
#include <QDir>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <optional>

// The interface's QML module is linked in statically.
Q_IMPORT_QML_PLUGIN(Quaro_UiPlugin)

namespace {

// --help and --version answer and end the program: the exit status, or
// nothing for every other request.
std::optional<int> answerInformation(const quaro::CommandLine& line)
{
    if (line.action == quaro::CommandLine::Action::help) {
        std::fputs(qPrintable(quaro::CommandLine::usage()), stdout);
        return 0;
    }
    if (line.action == quaro::CommandLine::Action::version) {
        std::fputs("quaro " QUARO_VERSION "\n", stdout);
        return 0;
    }
    return std::nullopt;
}

// --help and --version answer without a display: they are looked at before
// the application (and its platform plugin) starts.
std::optional<int> answerWithoutDisplay(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const auto line = quaro::CommandLine::parse(arguments, QDir::currentPath());
    if (!line)
        return std::nullopt; // may hold Qt's own options; judged once Qt has taken them
    return answerInformation(*line);
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto status = answerWithoutDisplay(argc, argv))
        return *status;
    // Quaro's windows are small and flat: the software renderer draws them
    // without loading a GL driver, which would more than double the resident
    // memory of an application that mostly waits in the tray.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    quaro::setLogPrefix("[Quaro]");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quaro"));
    QApplication::setApplicationName(QStringLiteral("Quaro"));
    QApplication::setDesktopFileName(QStringLiteral("quaro"));
    QApplication::setQuitOnLastWindowClosed(false);

    auto line = quaro::CommandLine::parse(QApplication::arguments().mid(1), QDir::currentPath());
    if (!line)
        return quaro::CommandLine::reportUsageError(line.error());
    // Reached when Qt's own options came with them (quaro -platform offscreen --help).
    if (const auto status = answerInformation(*line))
        return *status;

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
    // Toggle, settings or panel asked of a first launch are done as it starts.
    switch (line->action) {
    case quaro::CommandLine::Action::toggle:
        delegate.toggleRecording();
        break;
    case quaro::CommandLine::Action::settings:
        delegate.openSettings();
        break;
    case quaro::CommandLine::Action::panel:
        delegate.openPanel();
        break;
    case quaro::CommandLine::Action::stopAndSend:
    case quaro::CommandLine::Action::discard:
    case quaro::CommandLine::Action::show:
    case quaro::CommandLine::Action::import:
    case quaro::CommandLine::Action::help:
    case quaro::CommandLine::Action::version:
        break;
    }
    return QApplication::exec();
}
