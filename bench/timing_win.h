// Wall-clock helpers shared by the whole-process timing programs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace velnor::bench {

// Milliseconds from the performance counter.
inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace velnor::bench
