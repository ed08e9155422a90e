// The Desktop Entry format through real files: the Exec value as the group
// reader and the splitter see it, and arguments written by execArgument.
#include "support/QtSupport.h"

#include "app/common/DesktopEntryFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quaro;
using namespace quaro::testing;

namespace {

TEST(DesktopEntryFile, ExecReadsBackAsItsArguments)
{
    struct Row {
        QString exec; // as written in the file
        QStringList arguments;
    };
    std::vector<Row> rows = {
        {"/usr/bin/quaro --hidden %U", {"/usr/bin/quaro", "--hidden"}},
        {"\"/opt/A \\\\\"B\\\\\"/run\" --flag=%% \"\" %F", {"/opt/A \"B\"/run", "--flag=%", ""}},
        {"\"/a\\\\\\\\b\"\\s\"c\\sd\"", {"/a\\b", "c d"}}, // four backslashes are one
        {"\"/a\\\"b\"", {"/a\"b"}}, // an unknown escape keeps its backslash
        {"\"/usr/bin/quaro --hidden", {}},
    };
    for (const QString argument : {"/home/ana/Meus Programas/quaro", "/opt/\"q\"/$HOME/`x`/quaro",
                                    "/opt/a\\b/quaro", "/opt/100%/quaro %f", "/opt/tab\there/new\nline/\\"})
        rows.push_back({DesktopEntryFile::execArgument(argument) + " %U", {argument}});

    QTemporaryDir folder;
    const QString path = folder.filePath("app.desktop");
    for (const Row& row : rows) {
        ASSERT_TRUE(writeAll(path, "# Exec=comment\n[Other]\nExec=other\n[Desktop Entry]\nExec[pt_BR]=localized\n"
                                   " Exec = " + row.exec.toUtf8() + "\nExec=second\n"));
        EXPECT_EQ(DesktopEntryFile::splitExec(DesktopEntryFile::read(path).value("Exec")), row.arguments)
            << row.exec.toStdString();
    }
}

} // namespace
