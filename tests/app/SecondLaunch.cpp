// Stands in for a launch of `quaro` in the tests: parses the command line
// and applies the single-instance rule as the application's entry point
// does. Exit status 0 when the running instance took the request, 3 when
// this process would have become the application, 4 when it would run
// without a session bus (guarded by the lock file), 5 when another instance
// holds that lock.
#include "app/desktop/AppService.h"
#include "app/desktop/AppServiceClient.h"
#include "app/desktop/CommandLine.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace quaro;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto line = CommandLine::parse(app.arguments().mid(1), QDir::currentPath());
    if (!line)
        return CommandLine::reportUsageError(line.error());
    AppService service;
    switch (service.claimPrimary()) {
    case AppService::Claim::secondary: return handOffToPrimary(*line);
    case AppService::Claim::primary: return 3;
    case AppService::Claim::lockFile: return 4;
    case AppService::Claim::alreadyRunning: return 5;
    case AppService::Claim::noBus: return 6;
    }
    return 1;
}
