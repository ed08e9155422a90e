#include "connect/ConnectPaths.h"

#include "core/QuaroPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace quaro::ConnectPaths {

namespace {

QString text(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace

QString home()
{
    return text(QuaroPaths::home());
}

QString configHome()
{
    return text(QuaroPaths::configHome());
}

QString logDirectory()
{
    return text(QuaroPaths::stateHome() / "Quaro" / "logs");
}

QString serverPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quaro-mcp"));
}

} // namespace quaro::ConnectPaths
