#include "tools/preview_road.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>

namespace preview_road {
namespace {

constexpr wchar_t kHostClass[] = L"GlyphpeekPreviewHostStandIn";

// The handler's CLSID registered for the file's extension, as the shell looks it up.
std::optional<CLSID> RegisteredHandler(const wchar_t* path) {
    const wchar_t* extension = PathFindExtensionW(path);
    if (!extension || !*extension) return std::nullopt;
    const std::wstring key = std::wstring(extension) + L"\\shellex\\{8895b1c6-b41f-4c1c-a562-0d564250836f}";
    wchar_t text[64] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    CLSID clsid{};
    if (FAILED(CLSIDFromString(text, &clsid))) return std::nullopt;
    return clsid;
}

} // namespace

bool UseHostFont(const wchar_t* face, const wchar_t* path, Look& look) {
    if (AddFontResourceExW(path, FR_PRIVATE, nullptr) == 0) return false;
    look.font = {};
    look.font.lfHeight = -12;  // 9 pt at 96 dots per inch
    look.font.lfWeight = FW_NORMAL;
    look.font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(look.font.lfFaceName, face, LF_FACESIZE - 1);
    return true;
}

HWND CreateHostWindow(int width, int height, const wchar_t* title) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kHostClass;
    RegisterClassW(&windowClass);
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, kStyle, FALSE);
    const HWND host = CreateWindowExW(0, kHostClass, title, kStyle, 0, 0, frame.right - frame.left,
                                      frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (host) ShowWindow(host, SW_SHOWNORMAL);
    PumpMessages();
    return host;
}

Preview Open(HWND host, const wchar_t* path, const Look* look, const CLSID* clsid) {
    Preview preview;
    auto fail = [&](const char* step, HRESULT hr) {
        preview.failedStep = step;
        preview.result = hr;
        preview.handler.reset();
        return std::move(preview);
    };
    const std::optional<CLSID> registered = clsid ? std::optional<CLSID>(*clsid) : RegisteredHandler(path);
    if (!registered) return fail("handler key", HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    HRESULT hr = CoCreateInstance(*registered, nullptr, CLSCTX_INPROC_SERVER, IID_IPreviewHandler,
                                  preview.handler.put_void());
    if (FAILED(hr)) return fail("CoCreateInstance", hr);
    ComPtr<IStream> stream;
    hr = SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, 0, FALSE, nullptr, stream.put());
    if (FAILED(hr)) return fail("SHCreateStreamOnFileEx", hr);
    ComPtr<IInitializeWithStream> init;
    hr = preview.handler->QueryInterface(IID_IInitializeWithStream, init.put_void());
    if (SUCCEEDED(hr)) hr = init->Initialize(stream.get(), STGM_READ);
    if (FAILED(hr)) return fail("Initialize", hr);
    RECT client{};
    GetClientRect(host, &client);
    hr = preview.handler->SetWindow(host, &client);
    if (FAILED(hr)) return fail("SetWindow", hr);
    ComPtr<IPreviewHandlerVisuals> visuals;
    if (look && SUCCEEDED(preview.handler->QueryInterface(IID_IPreviewHandlerVisuals, visuals.put_void()))) {
        visuals->SetBackgroundColor(look->background);
        visuals->SetTextColor(look->text);
        if (look->font.lfFaceName[0]) visuals->SetFont(&look->font);
    }
    preview.result = S_OK;
    return preview;
}

HRESULT Show(Preview& preview) {
    if (!preview.handler) return E_UNEXPECTED;
    const HRESULT hr = preview.handler->DoPreview();
    if (FAILED(hr)) preview.failedStep = "DoPreview";
    preview.result = hr;
    PumpMessages();
    return hr;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace preview_road
