#include "app/desktop/CommandLine.h"

#include <QDir>

#include <cstdio>

namespace quaro {

namespace {

struct Option {
    QLatin1String name;
    CommandLine::Action action;
};

constexpr Option options[] = {
    {QLatin1String("--toggle"), CommandLine::Action::toggle},
    {QLatin1String("--stop"), CommandLine::Action::stopAndSend},
    {QLatin1String("--discard"), CommandLine::Action::discard},
    {QLatin1String("--settings"), CommandLine::Action::settings},
    {QLatin1String("--panel"), CommandLine::Action::panel},
    {QLatin1String("--help"), CommandLine::Action::help},
    {QLatin1String("-h"), CommandLine::Action::help},
    {QLatin1String("--version"), CommandLine::Action::version},
};

std::optional<CommandLine::Action> optionAction(const QString& argument)
{
    for (const auto& option : options)
        if (argument == option.name)
            return option.action;
    return std::nullopt;
}

} // namespace

Result<CommandLine, QString> CommandLine::parse(const QStringList& arguments, const QString& workingDirectory)
{
    CommandLine line;
    std::optional<Action> chosen;
    bool optionsEnded = false;
    const QDir base(workingDirectory);
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            const auto action = optionAction(argument);
            if (!action)
                return Failure{QStringLiteral("unknown option: %1").arg(argument)};
            if (chosen && *chosen != *action)
                return Failure{QStringLiteral("only one of --toggle, --stop, --discard, --settings, --panel may be given")};
            chosen = action;
        } else if (argument.isEmpty()) {
            return Failure{QStringLiteral("empty file name")};
        } else {
            line.files.append(QDir::cleanPath(base.absoluteFilePath(argument)));
        }
    }
    if (chosen == Action::help || chosen == Action::version) {
        line.action = *chosen;
        line.files.clear();
        return line;
    }
    if (chosen && !line.files.empty())
        return Failure{QStringLiteral("files cannot be combined with an option")};
    line.action = chosen.value_or(line.files.empty() ? Action::show : Action::import);
    return line;
}

QString CommandLine::usage()
{
    return QStringLiteral("usage: quaro [--toggle | --stop | --discard | --settings | --panel | FILE...]\n"
                          "  (no arguments)  open the inbox of the running Quaro, starting it if needed\n"
                          "  --toggle        start recording, or stop and send the recording\n"
                          "  --stop          stop and send the recording\n"
                          "  --discard       discard the recording\n"
                          "  --settings      open the settings\n"
                          "  --panel         open the tray's panel, for desktops without a tray\n"
                          "  FILE...         import audio files\n"
                          "  --help          show this text\n"
                          "  --version       show the version\n");
}

int CommandLine::reportUsageError(const QString& reason)
{
    const QByteArray text = QStringLiteral("quaro: %1\n%2").arg(reason, usage()).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
    return 2;
}

} // namespace quaro
