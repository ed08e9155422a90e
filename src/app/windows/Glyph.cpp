#include "app/windows/Glyph.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace quaro {

namespace {

const QColor primary(0xFF, 0x6A, 0x1C);
const QColor ink(0x16, 0x13, 0x0F);
// Nothing tells Quaro the panel's colour: dark strokes on a light halo read
// on dark panels and on light ones alike.
const QColor halo(0xFF, 0xF8, 0xEE, 235);
constexpr double haloWidth = 1.1;

// A rectangle whose bottom-left corner (the tail) is much tighter than the
// other three; corners are cubic curves with the usual 0.5523 handle.
QPainterPath balloon(const QRectF& r, double radius, double tip)
{
    constexpr double k = 0.5523;
    QPainterPath p;
    p.moveTo(r.left() + radius, r.top());
    p.lineTo(r.right() - radius, r.top());
    p.cubicTo(r.right() - radius + k * radius, r.top(), r.right(), r.top() + radius - k * radius, r.right(),
              r.top() + radius);
    p.lineTo(r.right(), r.bottom() - radius);
    p.cubicTo(r.right(), r.bottom() - radius + k * radius, r.right() - radius + k * radius, r.bottom(),
              r.right() - radius, r.bottom());
    p.lineTo(r.left() + tip, r.bottom());
    p.cubicTo(r.left() + tip - k * tip, r.bottom(), r.left(), r.bottom() - tip + k * tip, r.left(),
              r.bottom() - tip);
    p.lineTo(r.left(), r.top() + radius);
    p.cubicTo(r.left(), r.top() + radius - k * radius, r.left() + radius - k * radius, r.top(), r.left() + radius,
              r.top());
    p.closeSubpath();
    return p;
}

} // namespace

QImage Glyph::image(Mode mode, int pixelSize, double level, double time)
{
    QImage img(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixelSize / 18.0, pixelSize / 18.0);

    const bool recording = mode == Mode::recording;
    const QColor line = recording ? ink : QColor(Qt::black);
    const QPainterPath shape = balloon(QRectF(1.7, 2.2, 14.8, 12.8), 5.0, 1.3);

    std::array<double, 3> heights = {3.0, 6.4, 3.8};
    if (recording) {
        const double a = std::clamp(level, 0.0, 1.0) * 0.65 + 0.35;
        heights = {4.2 * a * (0.6 + 0.4 * std::sin(7 * time)) + 2.5,
                   6.0 * a * (0.6 + 0.4 * std::sin(7 * time + 1.4)) + 2.5,
                   4.2 * a * (0.6 + 0.4 * std::sin(7 * time + 2.8)) + 2.5};
    }
    const std::array<double, 3> xs = {5.6, 8.4, 11.2};
    QPainterPath bars;
    for (std::size_t i = 0; i < xs.size(); ++i)
        bars.addRoundedRect(QRectF(xs[i], 8.6 - heights[i] / 2, 1.5, heights[i]), 0.75, 0.75);
    QPainterPath dot;
    if (mode == Mode::pending)
        dot.addEllipse(QRectF(13.0, 0.6, 4.8, 4.8));

    // The halo first, under every dark stroke; the balloon's inside stays
    // clear so that the panel shows through.
    QPen haloPen(halo, 1.5 + 2 * haloWidth);
    haloPen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(shape, haloPen);
    haloPen.setWidthF(2 * haloWidth);
    painter.strokePath(bars, haloPen);
    painter.strokePath(dot, haloPen);

    if (recording)
        painter.fillPath(shape, primary);
    QPen pen(line, 1.5);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(shape, pen);
    painter.fillPath(bars, line);
    painter.fillPath(dot, Qt::black);
    return img;
}

} // namespace quaro
