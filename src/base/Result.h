#pragma once
// The one way an operation that can fail answers: its value, or why not.
// `E` is a reason for the author (a sentence) unless the caller needs to
// tell kinds of failure apart.

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace quillary {

template <typename E>
struct Failure {
    E reason;
};

inline Failure<std::string> failure(std::string reason) { return {std::move(reason)}; }
template <typename E>
    requires(!std::is_convertible_v<E, std::string>)
Failure<E> failure(E reason) {
    return {std::move(reason)};
}

template <typename T, typename E = std::string>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> failed) : state_(std::in_place_index<1>, std::move(failed.reason)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    const E& reason() const { return std::get<1>(state_); }
    // The value, or `fallback` when there is none.
    T value_or(T fallback) const& { return ok() ? value() : std::move(fallback); }
    T value_or(T fallback) && { return ok() ? std::move(value()) : std::move(fallback); }

private:
    std::variant<T, E> state_;
};

// Done, or why not.
template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(Failure<E> failed) : reason_(std::move(failed.reason)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const E& reason() const { return reason_; }

private:
    E reason_{};
    bool ok_ = true;
};

using Outcome = Result<void>;

}  // namespace quillary
