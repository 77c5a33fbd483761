// preview_probe: shows a file in the preview handler registered for its type, the way the preview
// host does, and saves a picture of the host's window as PNG. Exit code 0 when the preview showed and
// was saved, 1 when not, 2 for a bad command line.
//
//   preview_probe [--size WxH] [--dark] [--font FACE PATH] [--wheel N] OUT.png file
//
// --size: the pane's size (default 520x720); --dark: the host's colours of a dark theme; --font: the
// host's font, from a font file registered for this process (both told through IPreviewHandlerVisuals);
// --wheel N: the pane scrolled N notches of the mouse wheel down first.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "imaging/gdiplus_session.h"
#include "tools/preview_road.h"
#include "tools/window_capture.h"
#include "winsupport/scoped_com.h"

namespace {

const char kUsage[] = "usage: preview_probe [--size WxH] [--dark] [--font FACE PATH] [--wheel N] OUT.png file\n";

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    int width = 520, height = 720, notches = 0;
    bool told = false;
    preview_road::Look look;
    while (args.size() > 2) {
        if (args[0] == L"--dark") {
            told = true;
            look.background = RGB(32, 32, 32);
            look.text = RGB(235, 235, 235);
            args.erase(args.begin());
        } else if (args[0] == L"--font" && args.size() > 4) {
            if (!preview_road::UseHostFont(args[1].c_str(), args[2].c_str(), look)) {
                std::fprintf(stderr, "preview_probe: cannot register %ls\n", args[2].c_str());
                return 1;
            }
            told = true;
            args.erase(args.begin(), args.begin() + 3);
        } else if (args[0] == L"--size" && swscanf(args[1].c_str(), L"%dx%d", &width, &height) == 2 && width > 0 &&
                   height > 0 && width <= 8192 && height <= 8192) {
            args.erase(args.begin(), args.begin() + 2);
        } else if (args[0] == L"--wheel" && swscanf(args[1].c_str(), L"%d", &notches) == 1 && notches >= 0) {
            args.erase(args.begin(), args.begin() + 2);
        } else {
            break;
        }
    }
    if (args.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::wstring& out = args[0];
    const std::wstring& file = args[1];

    const ComApartment com;
    const glyphpeek::imaging::GdiplusSession gdiplus;  // for saving only; the handler starts its own
    if (FAILED(com.result()) || !gdiplus.ok()) {
        std::fputs("preview_probe: COM or GDI+ did not start\n", stderr);
        return 1;
    }
    const std::wstring title = L"Preview - " + FileName(file);
    const HWND host = preview_road::CreateHostWindow(width, height, title.c_str());
    if (!host) {
        std::fputs("preview_probe: no window (is there a display?)\n", stderr);
        return 1;
    }
    preview_road::Preview preview = preview_road::Open(host, file.c_str(), told ? &look : nullptr);
    if (!preview.failedStep) preview_road::Show(preview);
    std::printf("preview %ls:", FileName(file).c_str());
    if (preview.failedStep) {
        std::printf(" %s 0x%08lX, no preview\n", preview.failedStep, static_cast<unsigned long>(preview.result));
        DestroyWindow(host);
        return 1;
    }
    const HWND pane = GetWindow(host, GW_CHILD);
    for (int i = 0; i < notches && pane; ++i) SendMessageW(pane, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    preview_road::PumpMessages();
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    const bool saved = SaveWindowPng(host, out.c_str());
    std::printf(" DoPreview 0x%08lX -> %ls%s\n", static_cast<unsigned long>(preview.result), out.c_str(),
                saved ? "" : " (not saved)");
    preview.handler->Unload();
    preview.handler.reset();
    DestroyWindow(host);
    return saved ? 0 : 1;
}
