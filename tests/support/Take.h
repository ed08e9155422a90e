#pragma once

// Unwraps a Result in a test: a failure throws its text, which gtest reports
// as the test's failure.
#include "core/Result.h"

#include <stdexcept>
#include <utility>

namespace quaro::testing {

template <typename T, typename E>
T take(Result<T, E> result)
{
    if (!result.ok())
        throw std::runtime_error(result.error().description());
    return std::move(result).value();
}

} // namespace quaro::testing
