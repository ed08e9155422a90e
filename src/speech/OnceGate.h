#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "core/Result.h"
#include "speech/TranscriberError.h"

namespace quaro {

// Lets exactly one of several racing callbacks resume a waiting caller: the
// first to call `open()` gets true, everyone after that gets false. A
// recognizer may report partial results, a final result and then an error,
// from any thread; only the first final result or error may count.
class OnceGate {
public:
    bool open()
    {
        std::lock_guard lock(m_lock);
        if (m_opened)
            return false;
        m_opened = true;
        return true;
    }

private:
    std::mutex m_lock;
    bool m_opened = false;
};

// One report of a running recognition: a hypothesis, final or not.
struct RecognitionUpdate {
    std::string text;
    bool isFinal = false;
};

// Called by a recognition task, possibly many times and from any thread, with
// exactly one of `update` or `error` set.
using RecognitionHandler = std::function<void(const RecognitionUpdate* update, const TranscriberError* error)>;

// Starts a recognition task with a handler and waits for the first final
// result or error it reports; anything reported later is ignored. The handler
// stays valid after this returns, so a task may keep calling it. A task that
// returns from `start` without ever reporting counts as a recognition error.
Result<std::string, TranscriberError> awaitFinalResult(const std::function<void(RecognitionHandler)>& start);

} // namespace quaro
