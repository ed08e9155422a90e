#include "speech/OnceGate.h"

#include <future>
#include <memory>

namespace quaro {
namespace {

using Outcome = Result<std::string, TranscriberError>;

// Shared by every copy of the handler. When the last copy goes away without a
// final result or error, the task has ended silently: the caller is resumed
// with an error instead of waiting forever.
struct Waiter {
    OnceGate gate;
    std::promise<Outcome> promise;

    ~Waiter()
    {
        if (gate.open())
            promise.set_value(Failure{TranscriberError::recognition("o reconhecedor terminou sem resultado")});
    }
};

} // namespace

Result<std::string, TranscriberError> awaitFinalResult(const std::function<void(RecognitionHandler)>& start)
{
    auto waiter = std::make_shared<Waiter>();
    auto future = waiter->promise.get_future();
    {
        RecognitionHandler handler = [waiter](const RecognitionUpdate* update, const TranscriberError* error) {
            if (error) {
                if (waiter->gate.open())
                    waiter->promise.set_value(Failure{*error});
            } else if (update && update->isFinal) {
                if (waiter->gate.open())
                    waiter->promise.set_value(update->text);
            }
        };
        waiter.reset();
        if (start)
            start(std::move(handler));
    }
    return future.get();
}

} // namespace quaro
