#pragma once
// The benchmarks' one way to time a call: the median of `runs` calls, in milliseconds, by the
// performance counter; -1 when a call reports failure.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double MedianMs(int runs, const std::function<bool()>& call) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (!call()) return -1;
        QueryPerformanceCounter(&end);
        ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    std::sort(ms.begin(), ms.end());
    return ms[runs / 2];
}

} // namespace bench
