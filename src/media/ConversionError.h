#pragma once

#include <string>

namespace quaro {

// Why the resampler could not take a layout or convert a stream. The reason
// is technical (FFmpeg's own words) and goes to the log; whoever shows a
// failure to the user turns the kind into a sentence.
struct ConversionError {
    enum class Kind {
        layout,  // no converter for this sample format, channel count or rate
        convert, // a converter that was made failed on the stream
    };
    Kind kind = Kind::convert;
    std::string reason;

    std::string description() const { return reason; }
};

} // namespace quaro
