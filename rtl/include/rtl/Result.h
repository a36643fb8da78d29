// The one outcome type for work that can fail: a value, or the reason it
// could not be had. A code is there for callers that act on the kind of
// failure (an exit status, a retry); the text is what a user reads.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace rtl {

struct Failure {
    std::string message;
    int code = 1; // never 0: 0 means success wherever a code is shown
};

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T &value() & { return std::get<0>(state_); }
    const T &value() const & { return std::get<0>(state_); }
    T &&value() && { return std::get<0>(std::move(state_)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }

    const Failure &failure() const { return std::get<1>(state_); }
    const std::string &message() const { return failure().message; }

private:
    std::variant<T, Failure> state_;
};

// Work that yields nothing but may fail.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Failure &failure() const { return failure_; }
    const std::string &message() const { return failure_.message; }

private:
    Failure failure_;
    bool ok_ = true;
};

inline Failure Fail(std::string message, int code = 1)
{
    return Failure{std::move(message), code};
}

} // namespace rtl
