// bench_rendering: DrawStringFromFile through the real TRUtility.dll, in process, at the sizes asked
// (default 96 and 256): the median milliseconds per call, the memory the first call at a size adds to
// the process (its peak working set during the call less the working set before it), and the
// process's peak working set at the end. Run under Wine; prints medians, asserts nothing.
//   bench_rendering [--sizes 96,256,...] [--runs N] [--parsable] [--save PREFIX] font...
// --save writes each size's picture to PREFIX-SIZE.png, to look at.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "winsupport/export_binding.h"
#include "trutility/TRUtility.h"
#include "imaging/bitmap.h"
#include "imaging/gdiplus_session.h"
#include "tools/bench/process_memory.h"
#include "tools/utility_beside.h"

using namespace glyphpeek::imaging;

namespace {

SettingData BenchDefine() {
    SettingData define = {};
    wcscpy(define.SampleText, L"Aa Bb Cc 123");
    define.BackColor1 = kColorNotSet;
    define.BackColor2 = 0x00C08040;
    define.ForeColor = 0;
    return define;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<int> sizes;
    std::vector<std::wstring> fonts;
    int runs = 15;
    bool parsable = false;
    std::wstring save;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--sizes") == 0 && i + 1 < argc) {
            for (wchar_t* p = argv[++i]; *p;) {
                sizes.push_back(static_cast<int>(wcstol(p, &p, 10)));
                if (*p == L',') ++p; else if (*p) break;
            }
        } else if (wcscmp(argv[i], L"--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, _wtoi(argv[++i]));
        } else if (wcscmp(argv[i], L"--save") == 0 && i + 1 < argc) {
            save = argv[++i];
        } else if (wcscmp(argv[i], L"--parsable") == 0) {
            parsable = true;
        } else {
            fonts.emplace_back(argv[i]);
        }
    }
    if (sizes.empty()) sizes = {96, 256};
    GdiplusSession gdiplus;
    const ScopedModule utility = LoadUtilityBesideExecutable();
    auto draw = BindExport<DrawStringFromFileProc>(utility.get(), "DrawStringFromFile");
    if (!gdiplus.ok() || !draw || fonts.empty()) return 1;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (const std::wstring& font : fonts) {
        for (int size : sizes) {
            std::vector<double> ms;
            double addedMb = -1;
            for (int run = 0; run < runs; ++run) {
                // The caller's bitmap is not the call's: made and touched before the clock and the meter start.
                ArgbBitmap bitmap(size, size);
                FillPixels(bitmap.get(), 0);
                SettingData define = BenchDefine();
                const bool first = run == 0;
                LARGE_INTEGER start, end;
                // The first call at a size is also metered: what it adds at its peak.
                const double added = bench::AddedMegabytes([&] {
                    QueryPerformanceCounter(&start);
                    draw(bitmap.get(), &define, font.c_str());
                    QueryPerformanceCounter(&end);
                });
                if (first) addedMb = added;
                ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
                if (first && !save.empty())
                    SavePng(reinterpret_cast<GpImage*>(bitmap.get()), (save + L"-" + std::to_wstring(size) + L".png").c_str());
            }
            std::sort(ms.begin(), ms.end());
            const double median = ms[ms.size() / 2];
            if (parsable)
                std::printf("size %d median_ms %.2f added_mb %.1f peak_mb %.1f\n", size, median, addedMb,
                            bench::ProcessMemory().peakMb);
            else
                std::printf("%-60ls %4d x %-4d median %8.2f ms  first call adds %s%.1f MB\n", font.c_str(), size, size,
                            median, addedMb < 0 ? "at most " : "", addedMb < 0 ? -addedMb : addedMb);
        }
    }
    if (!parsable) std::printf("peak working set of the process: %.1f MB\n", bench::ProcessMemory().peakMb);
    return 0;
}
