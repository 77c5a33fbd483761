// bench_font_sanitiser: median cost of the font sanitiser per thumbnail, for the fonts given (by
// default DejaVu Sans and the 19 MB Noto Sans CJK collection): the check alone over mapped bytes,
// and with the mapping of the file that each thumbnail makes. Run under Wine; prints medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/font_sanitiser.h"
#include "imaging/mapped_file.h"

namespace {

double MedianMs(int runs, const std::function<void()>& work) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<const wchar_t*> fonts(argv + 1, argv + argc);
    if (fonts.empty())
        fonts = {L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf",
                 L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc"};
    int status = 0;
    for (const wchar_t* font : fonts) {
        const glyphpeek::imaging::MappedFile file(font);
        if (!file) {
            std::fprintf(stderr, "bench_font_sanitiser: cannot map %ls\n", font);
            status = 1;
            continue;
        }
        bool sound = true;
        const double check = MedianMs(201, [&] { sound = sound && glyphpeek::SanitiseFont(file.bytes()).sound; });
        const double mapped = MedianMs(201, [&] {
            const glyphpeek::imaging::MappedFile again(font);
            sound = sound && glyphpeek::SanitiseFont(again.bytes()).sound;
        });
        std::printf("%-64ls %9zu bytes  %s  sanitise median %.4f ms, map + sanitise median %.4f ms\n", font,
                    file.bytes().size(), sound ? "sound  " : "REFUSED", check, mapped);
    }
    return status;
}
