#pragma once
// The benchmarks' view of their own process's memory: working set and its peak, in megabytes.
#include <windows.h>
#include <psapi.h>

namespace bench {

struct Memory {
    double workingSetMb = 0;
    double peakMb = 0;
};

inline Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return {};
    return {counters.WorkingSetSize / 1048576.0, counters.PeakWorkingSetSize / 1048576.0};
}

// Lets the peak start again from the present working set, where the system allows it (Linux, which
// Wine runs on, resets a process's peak resident size on request); false elsewhere.
inline bool ResetPeak() {
    HANDLE file = CreateFileW(L"Z:\\proc\\self\\clear_refs", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, "5", 1, &written, nullptr) && written == 1;
    CloseHandle(file);
    return ok;
}

// What `call` adds to the process at its peak, in megabytes; negative (an upper bound, as a
// magnitude) where the peak could not be reset first.
template <typename Call>
double AddedMegabytes(Call call) {
    const Memory before = ProcessMemory();
    const bool reset = ResetPeak();
    call();
    const double added = ProcessMemory().peakMb - before.workingSetMb;
    return reset ? (added > 0 ? added : 0) : -(added > 0 ? added : 0);
}

} // namespace bench
