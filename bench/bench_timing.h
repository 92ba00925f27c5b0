// The timing the benchmark programs of this folder share: one clock, the
// median, and rounds in which a library call and its bare counterpart take
// turns. Header-only: a program includes it and needs nothing else linked.
#pragma once

#include <windows.h>

#include <algorithm>
#include <type_traits>
#include <vector>

namespace bench {

// Seconds on the performance counter, the finest clock Windows has.
inline double Now() {
    static const double tick = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1.0 / static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * tick;
}

// The middle value: the few rounds that other work on the machine slowed
// down do not move it, as they would move a mean.
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Microseconds per call over one round of `calls` calls. A call that takes
// an int gets its index in the round (e.g. a value to write).
template <typename F>
double RoundUs(F&& call, int calls) {
    const double start = Now();
    for (int i = 0; i < calls; ++i) {
        if constexpr (std::is_invocable_v<F&, int>)
            call(i);
        else
            call();
    }
    return (Now() - start) * 1e6 / calls;
}

// Microseconds per call of each round, in the order the rounds ran.
struct Rounds {
    std::vector<double> first, second;
};

// `rounds` rounds of `first` and of `second`, taking turns round by round:
// a slow spell of a noisy machine (or of its disk) then falls on both sides
// alike, instead of on whichever side happened to run during it.
template <typename A, typename B>
Rounds Alternate(A&& first, int firstCalls, B&& second, int secondCalls, int rounds) {
    Rounds t;
    for (int r = 0; r < rounds; ++r) {
        t.first.push_back(RoundUs(first, firstCalls));
        t.second.push_back(RoundUs(second, secondCalls));
    }
    return t;
}

}  // namespace bench
