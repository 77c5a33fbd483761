#pragma once
// The preview host's road to a preview, through COM activation of the handler registered for the
// file's type only: the class named under <extension>\shellex\{8895b1c6-...}, a stream on the file,
// a window of the host's, its colours and font, DoPreview. Windows runs the handler in its preview
// host (prevhost.exe); Wine has none, so it runs here, in this process.
#include <windows.h>
#include <shobjidl.h>

#include <optional>

#include "winsupport/scoped_com.h"

namespace preview_road {

// The host's look: IPreviewHandlerVisuals' three calls.
struct Look {
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    LOGFONTW font{};
};

// The host's own font: `path` registered for this process and named `face` at 9 pt (Explorer has its
// system font; a Wine prefix of the project's has none). False when the file cannot be registered.
bool UseHostFont(const wchar_t* face, const wchar_t* path, Look& look);

// A top-level window standing in for the preview host's, its client area width × height.
HWND CreateHostWindow(int width, int height, const wchar_t* title);

struct Preview {
    ComPtr<IPreviewHandler> handler;
    // The first step that failed ("handler key", "CoCreateInstance", "SHCreateStreamOnFileEx",
    // "Initialize", "SetWindow", "DoPreview"), null when the preview shows.
    const char* failedStep = nullptr;
    HRESULT result = E_FAIL;
};

// The handler for `path` (of class `clsid` when given, else the one registered for its type),
// initialised, placed over the host's client area and told the look (when given); DoPreview is left to
// the caller, who may time it. COM must be initialised on the thread.
Preview Open(HWND host, const wchar_t* path, const Look* look, const CLSID* clsid = nullptr);
// DoPreview and every message it leaves behind handled: the pane is painted when this returns.
HRESULT Show(Preview& preview);

// Handles the thread's pending messages.
void PumpMessages();

} // namespace preview_road
