#pragma once

#include <cassert>
#include <type_traits>
#include <utility>
#include <variant>

namespace quaro {

// The error half of a Result: `return Failure{DatabaseError::query("...")};`
template <typename E>
struct Failure {
    E error;
};
template <typename E>
Failure(E) -> Failure<E>;

// Every fallible operation in Quaro returns a Result<T, E>, where E is the
// component's own error type carrying the sentence shown to the user.
// Exceptions never cross a library boundary.
template <typename T, typename E>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    // Lets `return std::nullopt;` or `return "text";` build the value directly.
    template <typename U,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<U>, T> &&
                                          !std::is_same_v<std::decay_t<U>, Result> &&
                                          !std::is_same_v<std::decay_t<U>, Failure<E>> &&
                                          std::is_constructible_v<T, U&&>>>
    Result(U&& value) : m_state(std::in_place_index<0>, std::forward<U>(value)) {}
    Result(Failure<E> failure) : m_state(std::in_place_index<1>, std::move(failure.error)) {}
    // A lower layer's failure, where this layer's error type declares an
    // implicit conversion from it (so QUARO_TRY passes it up translated).
    template <typename F, typename = std::enable_if_t<!std::is_same_v<F, E> && std::is_convertible_v<F, E>>>
    Result(Failure<F> failure) : m_state(std::in_place_index<1>, E(std::move(failure.error)))
    {
    }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { assert(ok()); return std::get<0>(m_state); }
    const T& value() const& { assert(ok()); return std::get<0>(m_state); }
    T&& value() && { assert(ok()); return std::get<0>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const E& error() const { assert(!ok()); return std::get<1>(m_state); }

    template <typename U>
    T valueOr(U&& fallback) const& { return ok() ? value() : static_cast<T>(std::forward<U>(fallback)); }

private:
    std::variant<T, E> m_state;
};

template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(Failure<E> failure) : m_error(std::move(failure.error)), m_failed(true) {}
    template <typename F, typename = std::enable_if_t<!std::is_same_v<F, E> && std::is_convertible_v<F, E>>>
    Result(Failure<F> failure) : m_error(std::move(failure.error)), m_failed(true)
    {
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const E& error() const { assert(m_failed); return m_error; }

private:
    E m_error{};
    bool m_failed = false;
};

} // namespace quaro

namespace quaro::detail {
// What QUARO_TRY yields: the value, moved out of a temporary Result and
// copied from a named one; nothing from a Result<void, E>.
template <typename T, typename E>
T&& triedValue(Result<T, E>&& result) { return std::move(result).value(); }
template <typename T, typename E>
const T& triedValue(const Result<T, E>& result) { return result.value(); }
template <typename E>
void triedValue(const Result<void, E>&) {}
} // namespace quaro::detail

// Early return for the common case of passing a failure up unchanged, so the
// happy path reads straight down:
//
//     QUARO_TRY(m_db.run("DELETE FROM recado_apagado"));
//     auto rows = QUARO_TRY(m_db.query("SELECT ..."));   // the value itself
//     return rows.size();
//
// It works in any function whose Result has the same error type, or one that
// converts implicitly from the failed call's (a component's error made from
// the error of the component below it). It is a
// statement expression, which GCC and Clang both take (`__extension__`
// keeps -Wpedantic quiet).
#define QUARO_TRY(expression)                                                  \
    __extension__({                                                            \
        auto&& quaroTried = (expression);                                      \
        if (!quaroTried)                                                       \
            return ::quaro::Failure{quaroTried.error()};                       \
        ::quaro::detail::triedValue(std::forward<decltype(quaroTried)>(quaroTried)); \
    })
