#include "app/desktop/AppServiceClient.h"

#include "app/desktop/AppService.h"

#include <QDBusMessage>

#include <cstdio>

namespace quaro {

namespace {

// Generous: the running instance may be busy starting up.
constexpr int callTimeoutMs = 15000;

QString methodFor(CommandLine::Action action)
{
    switch (action) {
    case CommandLine::Action::toggle: return QStringLiteral("Toggle");
    case CommandLine::Action::stopAndSend: return QStringLiteral("StopAndSend");
    case CommandLine::Action::discard: return QStringLiteral("Discard");
    case CommandLine::Action::import: return QStringLiteral("Import");
    case CommandLine::Action::settings: return QStringLiteral("ShowSettings");
    case CommandLine::Action::panel: return QStringLiteral("ShowPanel");
    case CommandLine::Action::show:
    case CommandLine::Action::help:
    case CommandLine::Action::version: break;
    }
    return QStringLiteral("Show");
}

int fail(const QString& why)
{
    const QByteArray line = QStringLiteral("quaro: could not reach the running instance: %1\n").arg(why).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
    return 1;
}

} // namespace

int handOffToPrimary(const CommandLine& line, QDBusConnection bus)
{
    if (line.action == CommandLine::Action::help || line.action == CommandLine::Action::version)
        return 0;
    if (!bus.isConnected())
        return fail(QStringLiteral("no session bus"));
    auto call = QDBusMessage::createMethodCall(AppService::serviceName, AppService::objectPath,
                                               AppService::interfaceName, methodFor(line.action));
    if (line.action == CommandLine::Action::import)
        call << line.files;
    const QDBusMessage reply = bus.call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
    return 0;
}

} // namespace quaro
