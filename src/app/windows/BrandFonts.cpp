#include "app/windows/BrandFonts.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStringList>

namespace quaro {

namespace {

const QString fontFile = QStringLiteral("bricolage-grotesque-latin-800-normal.woff");

// Beside the executable in a build tree, under share/quaro in an installation.
QStringList candidates()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    return {bin.filePath(QStringLiteral("fonts/") + fontFile),
            bin.filePath(QStringLiteral("../share/quaro/fonts/") + fontFile)};
}

} // namespace

QString& BrandFonts::family()
{
    static QString registered;
    return registered;
}

void BrandFonts::registerFonts()
{
    if (!family().isEmpty())
        return;
    for (const QString& path : candidates()) {
        if (QFileInfo::exists(path) && registerFile(path))
            return;
    }
    log(LogArea::app, QStringLiteral("fontes"),
        QStringLiteral("Bricolage Grotesque não encontrada; usando a fonte do sistema"));
}

bool BrandFonts::registerFile(const QString& path)
{
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        log(LogArea::app, QStringLiteral("fontes"), QStringLiteral("não foi possível ler ") + path);
        return false;
    }
    family() = families.front();
    return true;
}

QString BrandFonts::displayFamily() { return family(); }

} // namespace quaro
