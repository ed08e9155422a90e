#pragma once

#include <QImage>

namespace quaro {

// The tray icon: a speech balloon with three level bars, drawn on an 18-unit
// canvas and scaled to whatever size the tray asks for. Pure drawing, any
// thread.
class Glyph {
public:
    enum class Mode { idle, pending, recording };

    // `level` (0...1) and `time` (seconds) only move the bars while recording.
    static QImage image(Mode mode, int pixelSize, double level = 0, double time = 0);
};

} // namespace quaro
