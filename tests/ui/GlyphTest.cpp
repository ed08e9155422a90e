// The tray glyph as a panel shows it: nothing says whether the panel is dark
// or light, so both must leave enough strongly contrasting pixels to read.
#include "app/windows/Glyph.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

double luminance(QColor color)
{
    auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

TEST(Glyph, ReadsOnDarkAndOnLightPanels)
{
    constexpr int size = 36;
    for (const auto mode : {quaro::Glyph::Mode::idle, quaro::Glyph::Mode::pending}) {
        const QImage glyph = quaro::Glyph::image(mode, size);
        for (const QColor panel : {QColor(0x24, 0x24, 0x24), QColor(0x3C, 0x3F, 0x41), QColor(0xF2, 0xF2, 0xF2)}) {
            QImage shown(size, size, QImage::Format_RGB32);
            shown.fill(panel);
            QPainter(&shown).drawImage(0, 0, glyph);
            int strong = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    strong += contrast(shown.pixelColor(x, y), panel) >= 4.5 ? 1 : 0;
            // The balloon's outline alone, at 2x, covers well over this.
            EXPECT_GE(strong, 80) << "mode " << static_cast<int>(mode) << " on " << panel.name().toStdString();
        }
    }
}
