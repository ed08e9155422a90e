#pragma once

// Drives the asynchronous recorder from a test: its completions arrive
// through the Qt event loop of the thread that created it.
#include "media/Fixtures.h"
#include "support/QtSupport.h"

#include "app/audio/Recorder.h"

namespace quaro::testing {

inline std::optional<RecorderError> start(Recorder& recorder, std::optional<std::string> microphone,
                                          const std::filesystem::path& file)
{
    bool done = false;
    std::optional<RecorderError> error;
    recorder.start(std::move(microphone), file, [&](Result<void, RecorderError> result) {
        done = true;
        EXPECT_TRUE(onMainThread());
        if (!result)
            error = result.error();
    });
    EXPECT_TRUE(waitFor([&] { return done; }));
    return error;
}

} // namespace quaro::testing
