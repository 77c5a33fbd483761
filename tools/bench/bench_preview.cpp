// bench_preview: median milliseconds from DoPreview to the painted pane, in process, through the
// registered preview handler of TyporamaVista.dll: each run creates the handler (CoCreateInstance),
// initialises it with a stream on the font (the whole file read), gives it a window and then times
// DoPreview, which binds TRUtility.dll, chooses the define, lists the faces, reads the facts, lays out
// and draws every face's band and waterfall, and paints. Initialize is timed on its own. Run under Wine
// with TyporamaVista.dll registered; prints medians, asserts nothing.
//   bench_preview [--runs N] [--size WxH] [font...]   (default: DejaVu Sans and the Noto Sans CJK collection)
// Wine never frees a font registered from memory (RemoveFontMemResourceEx is a stub there), so each
// run leaves the faces the font road cut behind in the process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/preview_road.h"
#include "winsupport/product_identities.h"
#include "winsupport/scoped_com.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 11, width = 520, height = 720;
    std::vector<std::wstring> fonts;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--runs") == 0 && i + 1 < argc)
            runs = std::max(1, _wtoi(argv[++i]));
        else if (wcscmp(argv[i], L"--size") == 0 && i + 1 < argc)
            swscanf(argv[++i], L"%dx%d", &width, &height);
        else
            fonts.emplace_back(argv[i]);
    }
    if (fonts.empty())
        fonts = {L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf",
                 L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc"};
    const ComApartment com;
    CLSID handler{};
    if (FAILED(com.result()) || FAILED(CLSIDFromString(glyphpeek::ids::kTyporamaVista.previewClass, &handler)))
        return 1;
    // The host's font, as Explorer has one: DejaVu Sans (the project's Wine prefixes have no fonts).
    preview_road::Look look;
    if (!preview_road::UseHostFont(L"DejaVu Sans", L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", look)) {
        std::fputs("bench_preview: DejaVu Sans cannot be registered\n", stderr);
        return 1;
    }
    const HWND host = preview_road::CreateHostWindow(width, height, L"bench_preview");
    if (!host) {
        std::fputs("bench_preview: no window (is there a display?)\n", stderr);
        return 1;
    }
    std::printf("Preview pane %d x %d, %d runs, medians:\n", width, height, runs);
    int status = 0;
    for (const std::wstring& font : fonts) {
        std::vector<double> initialize, shown;
        // The first run also loads the libraries into the process: not counted.
        for (int run = 0; run <= runs; ++run) {
            const double opened = Now();
            preview_road::Preview preview = preview_road::Open(host, font.c_str(), &look, &handler);
            const double ready = Now();
            if (preview.failedStep || FAILED(preview_road::Show(preview))) {
                std::printf("  %-32ls %s failed 0x%08lX\n", FileName(font).c_str(), preview.failedStep,
                            static_cast<unsigned long>(preview.result));
                status = 1;
                break;
            }
            GdiFlush();
            const double painted = Now();
            if (run > 0) {
                initialize.push_back(ready - opened);
                shown.push_back(painted - ready);
            }
            preview.handler->Unload();
        }
        if (!shown.empty())
            std::printf("  %-32ls DoPreview to painted %8.1f ms   (create + Initialize + SetWindow %6.1f ms)\n",
                        FileName(font).c_str(), Median(shown), Median(initialize));
    }
    DestroyWindow(host);
    return status;
}
