// bench_rendering: median milliseconds per DrawStringFromFile call, through the real TRUtility.dll,
// for reference fonts at 96 × 96 and 256 × 256. Run under Wine; prints medians, asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ExportBinding.h"
#include "TRUtility.h"
#include "utility_beside.h"
#include "bitmap.h"
#include "gdiplus_session.h"

using namespace imaging;

int wmain(int argc, wchar_t** argv) {
    GdiplusSession gdiplus;
    const ScopedModule utility = LoadUtilityBesideExecutable();
    auto draw = BindExport<DrawStringFromFileProc>(utility.get(), "DrawStringFromFile");
    if (!gdiplus.ok() || !draw) return 1;
    const int runs = 15;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 1; i < argc; ++i) {
        for (int size : {96, 256}) {
            std::vector<double> ms;
            for (int run = 0; run < runs; ++run) {
                ArgbBitmap bitmap(size, size);
                SettingData define = {};
                wcscpy(define.SampleText, L"Aa Bb Cc 123");
                define.BackColor1 = kColorNotSet;
                define.BackColor2 = 0x00C08040;
                define.ForeColor = 0;
                LARGE_INTEGER start, end;
                QueryPerformanceCounter(&start);
                draw(bitmap.get(), &define, argv[i]);
                QueryPerformanceCounter(&end);
                ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
            }
            std::sort(ms.begin(), ms.end());
            std::printf("%-70ls %3d x %-3d median %7.2f ms\n", argv[i], size, size, ms[runs / 2]);
        }
    }
    return 0;
}
