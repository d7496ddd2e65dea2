// Optional arguments of the skin operations: a value and whether the caller
// gave it. An argument that was not given takes the operation's default.
#pragma once

#include <utility>

namespace orv {

template <typename T>
struct Opt {
    T value{};
    bool given = false;

    Opt() = default;
    Opt(T v, bool isGiven) : value(std::move(v)), given(isGiven) {}

    // The value when given, else the operation's default.
    T Or(T fallback) const { return given ? value : fallback; }
};

// A given argument: Given(1) reads better at call sites than Opt<int>(1, true).
template <typename T>
Opt<T> Given(T v)
{
    return Opt<T>(std::move(v), true);
}

}  // namespace orv
