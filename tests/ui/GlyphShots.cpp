// Writes the tray glyph in its three modes at 1x (18 px) and 2x (36 px) as
// PNG files, for the screenshot review: glyph-<mode>-<scale>x.png.
#include "app/windows/Glyph.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: ui_glyph_shots OUT SCALE\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const int scale = QString::fromLocal8Bit(argv[2]).toInt();
    const struct {
        const char* name;
        quaro::Glyph::Mode mode;
    } modes[] = {{"idle", quaro::Glyph::Mode::idle},
                 {"pending", quaro::Glyph::Mode::pending},
                 {"recording", quaro::Glyph::Mode::recording}};
    for (const auto& [name, mode] : modes) {
        // A recording frame with a fair voice level, part-way through a wave.
        const QImage image = quaro::Glyph::image(mode, 18 * scale, 0.7, 0.3);
        const QString file = out.filePath(QStringLiteral("glyph-%1-%2x.png").arg(QLatin1String(name)).arg(scale));
        if (!image.save(file))
            return 1;
        std::printf("screenshots: %s\n", qPrintable(file));
    }
    return 0;
}
