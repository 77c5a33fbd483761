// thumbnail_probe: asks the registered thumbnail handlers for thumbnails the way Explorer does and
// saves each as PNG. Exit code 0 when every file gave a bitmap, 1 when one did not, 2 for a bad
// command line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "winsupport/scoped_com.h"
#include "tools/contact_sheet.h"
#include "imaging/gdiplus_session.h"
#include "tools/thumbnail_road.h"

using namespace glyphpeek::imaging;
using thumbnail_road::Generation;

namespace {

const char kUsage[] =
    "usage: thumbnail_probe classic|vista SIZE OUT-FOLDER [--sheet FILE] file...\n"
    "  SIZE  WxH (classic only) or N: N x N for classic, cx = N for vista\n"
    "  each thumbnail is saved as OUT-FOLDER\\<file name>.png; --sheet also saves all side by side\n";

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// "120x80" or "256"; false for anything else, zero and negative sizes included, so that what
// reaches the handlers is what the user meant.
bool ParseSize(const wchar_t* text, SIZE* size) {
    wchar_t* end = nullptr;
    const long width = wcstol(text, &end, 10);
    long height = width;
    if (end == text) return false;
    if (*end == L'x' || *end == L'X') {
        const wchar_t* rest = end + 1;
        height = wcstol(rest, &end, 10);
        if (end == rest) return false;
    }
    if (*end || width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;
    *size = {width, height};
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::wstring sheetPath;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != L"--sheet") continue;
        if (i + 1 >= args.size()) break;
        sheetPath = args[i + 1];
        args.erase(args.begin() + i, args.begin() + i + 2);
        break;
    }
    SIZE size{};
    const bool classic = args.size() > 0 && args[0] == L"classic";
    const bool vista = args.size() > 0 && args[0] == L"vista";
    if (args.size() < 4 || (!classic && !vista) || !ParseSize(args[1].c_str(), &size) ||
        (vista && size.cx != size.cy) || std::find(args.begin(), args.end(), L"--sheet") != args.end()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const Generation generation = classic ? Generation::kClassic : Generation::kVista;
    const std::wstring out = args[2] + L"\\";
    const std::vector<std::wstring> files(args.begin() + 3, args.end());

    const ComApartment com;
    if (FAILED(com.result())) {
        std::fputs("thumbnail_probe: COM did not start\n", stderr);
        return 1;
    }
    int status = 0;
    {
        GdiplusSession gdiplus;  // for saving only; the handlers start their own
        if (!gdiplus.ok()) {
            std::fputs("thumbnail_probe: GDI+ did not start\n", stderr);
            return 1;
        }
        ContactSheet sheet(static_cast<int>(files.size()), size.cx, size.cy);
        for (size_t i = 0; i < files.size(); ++i) {
            const thumbnail_road::Answer answer = thumbnail_road::Request(generation, files[i].c_str(), size);
            std::printf("%s %ls:", classic ? "classic" : "vista", FileName(files[i]).c_str());
            if (classic) std::printf(" GetLocation 0x%08lX", static_cast<unsigned long>(answer.location));
            if (answer.failedStep) {
                std::printf(" %s 0x%08lX, no thumbnail\n", answer.failedStep, static_cast<unsigned long>(answer.result));
                status = 1;
                continue;
            }
            const SIZE got = thumbnail_road::BitmapSize(answer.bitmap);
            std::printf(" %s 0x%08lX", classic ? "Extract" : "GetThumbnail", static_cast<unsigned long>(answer.result));
            if (vista) std::printf(" alpha %s", answer.alpha == WTSAT_RGB ? "RGB" : answer.alpha == WTSAT_ARGB ? "ARGB" : "unknown");
            const ArgbBitmap copy = CopyGdiBitmap(answer.bitmap);
            DeleteObject(answer.bitmap);
            const std::wstring png = out + FileName(files[i]) + L".png";
            const bool saved = copy && SavePng(reinterpret_cast<GpImage*>(copy.get()), png.c_str()) == Ok;
            std::printf(" %ld x %ld -> %ls%s\n", got.cx, got.cy, png.c_str(), saved ? "" : " (not saved)");
            if (!saved) status = 1;
            sheet.Place(static_cast<int>(i), reinterpret_cast<GpImage*>(copy.get()));
        }
        if (!sheetPath.empty()) {
            const bool saved = sheet.Save(sheetPath.c_str()) == Ok;
            std::printf("contact sheet -> %ls%s\n", sheetPath.c_str(), saved ? "" : " (not saved)");
            if (!saved) status = 1;
        }
    }
    return status;
}
