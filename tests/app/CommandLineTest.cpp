#include "app/desktop/CommandLine.h"

#include <gtest/gtest.h>

using namespace quaro;
using Action = CommandLine::Action;

TEST(CommandLineTest, ParsesEachLaunchOrRefusesIt)
{
    const QString cwd = QStringLiteral("/home/ana/Áudios");
    struct Row {
        QStringList arguments;
        std::optional<CommandLine> expected; // absent: refused
    };
    const Row rows[] = {
        // Each single option's action is checked end to end by AppServiceTest.
        {{"--toggle", "--toggle"}, CommandLine{Action::toggle, {}}},
        {{"--help"}, CommandLine{Action::help, {}}},
        {{"--version", "a.m4a"}, CommandLine{Action::version, {}}},
        {{"nota de voz.ogg", "/tmp/b.m4a", "../c+d.wav"},
         CommandLine{Action::import, {"/home/ana/Áudios/nota de voz.ogg", "/tmp/b.m4a", "/home/ana/c+d.wav"}}},
        {{"--", "--toggle", "-x"}, CommandLine{Action::import, {"/home/ana/Áudios/--toggle", "/home/ana/Áudios/-x"}}},
        {{"--bogus"}, std::nullopt},
        {{"--toggle", "--stop"}, std::nullopt},
        {{"--discard", "a.m4a"}, std::nullopt},
        {{""}, std::nullopt},
    };
    for (const auto& row : rows) {
        const auto parsed = CommandLine::parse(row.arguments, cwd);
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        ASSERT_EQ(parsed.ok(), row.expected.has_value());
        if (parsed)
            EXPECT_EQ(*parsed, *row.expected) << parsed->files.join(QLatin1Char('|')).toStdString();
        else
            EXPECT_FALSE(parsed.error().isEmpty());
    }
}
