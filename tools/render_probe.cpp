// render_probe out-folder size font...: draws the thumbnail of each font through the real
// TRUtility.dll exports (define chosen by the font's file name), saves each as PNG and all of them
// side by side as contact-sheet.png.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ExportBinding.h"
#include "TRUtility.h"
#include "utility_beside.h"
#include "bitmap.h"
#include "drawing_context.h"
#include "gdiplus_session.h"

using namespace imaging;

namespace {
std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_probe out-folder size font...\n");
        return 2;
    }
    const std::wstring out = std::wstring(argv[1]) + L"\\";
    const int size = _wtoi(argv[2]);
    GdiplusSession gdiplus;
    const ScopedModule utility = LoadUtilityBesideExecutable();
    auto loadDefine = BindExport<LoadDefineProc>(utility.get(), "LoadDefine");
    auto draw = BindExport<DrawStringFromFileProc>(utility.get(), "DrawStringFromFile");
    if (!gdiplus.ok() || !loadDefine || !draw) {
        std::fprintf(stderr, "GDI+ or TRUtility.dll is not available\n");
        return 1;
    }
    const int count = argc - 3, gap = 8;
    ArgbBitmap sheet(count * (size + gap) + gap, size + 2 * gap);
    auto sheetContext = DrawingContext::On(reinterpret_cast<GpImage*>(sheet.get()));
    sheetContext.Clear(0xFF808080);
    for (int i = 0; i < count; ++i) {
        const std::wstring path = argv[3 + i];
        SettingData define;
        define = *loadDefine(&define, FileName(path).c_str());
        ArgbBitmap thumbnail(size, size);
        draw(thumbnail.get(), &define, path.c_str());
        const std::wstring png = out + FileName(path) + L".png";
        const GpStatus saved = SavePng(reinterpret_cast<GpImage*>(thumbnail.get()), png.c_str());
        std::printf("%-28ls define %-14ls -> %ls%s\n", FileName(path).c_str(),
                    define.DefineName[0] ? define.DefineName : L"(standard)", png.c_str(),
                    saved == Ok ? "" : " (not saved)");
        sheetContext.DrawImage(reinterpret_cast<GpImage*>(thumbnail.get()), gap + i * (size + gap), gap, size, size, 0,
                               0, size, size);
    }
    const std::wstring sheetPath = out + L"contact-sheet.png";
    return SavePng(reinterpret_cast<GpImage*>(sheet.get()), sheetPath.c_str()) == Ok ? 0 : 1;
}
