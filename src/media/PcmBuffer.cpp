#include "media/PcmBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quaro {

namespace {
// Sum of squares of every `stride`-th sample, in four running sums so the
// compiler can keep several multiplications in flight.
template <typename T>
double sumOfSquares(const T* samples, std::size_t count, std::size_t stride, double scale)
{
    double acc[4] = {0, 0, 0, 0};
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        for (std::size_t k = 0; k < 4; ++k) {
            const double v = double(samples[(i + k) * stride]) * scale;
            acc[k] += v * v;
        }
    }
    for (; i < count; ++i) {
        const double v = double(samples[i * stride]) * scale;
        acc[0] += v * v;
    }
    return acc[0] + acc[1] + acc[2] + acc[3];
}
} // namespace

float level(const PcmBufferView& buffer)
{
    const std::size_t n = buffer.frames;
    if (n == 0 || !buffer.planes || !buffer.planes[0] || buffer.format.channels < 1)
        return 0;
    const std::size_t stride = buffer.format.interleaved ? std::size_t(buffer.format.channels) : 1;
    double sum = 0;
    switch (buffer.format.sampleType) {
    case SampleType::float32:
        sum = sumOfSquares(static_cast<const float*>(buffer.planes[0]), n, stride, 1.0);
        break;
    case SampleType::int16:
        sum = sumOfSquares(static_cast<const std::int16_t*>(buffer.planes[0]), n, stride, 1.0 / 32768.0);
        break;
    case SampleType::int32:
        sum = sumOfSquares(static_cast<const std::int32_t*>(buffer.planes[0]), n, stride, 1.0 / 2147483648.0);
        break;
    }
    const double rms = std::sqrt(sum / double(n));
    if (std::isnan(rms))
        return 0; // a device that delivers NaN is silent, not broken
    const double decibels = 20.0 * std::log10(std::max(rms, 1e-5));
    return float(std::clamp((decibels + 50.0) / 50.0, 0.0, 1.0));
}

} // namespace quaro
