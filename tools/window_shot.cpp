// window_shot: starts a program, waits for its dialog with the given caption, saves a picture of the
// dialog as PNG and closes it. Used by tools/screenshots for the README's pictures.
//
//   window_shot [--select N] OUT.png CAPTION PROGRAM [ARGUMENTS]
//
// --select N selects item N of the dialog's first list box first, as a click would (the dialog is told
// through LBN_SELCHANGE), so that what depends on the selection is shown too.
#include <windows.h>

#include <cstdio>
#include <string>

#include "imaging/gdiplus_session.h"
#include "tools/window_capture.h"

namespace {

HWND WaitForDialog(const wchar_t* caption, HANDLE process) {
    for (int waited = 0; waited < 30000; waited += 100) {
        if (HWND dialog = FindWindowW(L"#32770", caption)) return dialog;
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

HWND FirstListBox(HWND dialog) {
    HWND found = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM result) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (_wcsicmp(name, L"ListBox") != 0) return TRUE;
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void SelectListItem(HWND dialog, int item) {
    const HWND list = FirstListBox(dialog);
    if (!list) return;
    SendMessageW(list, LB_SETCURSEL, item, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int select = -1;
    if (argc > 2 && std::wstring(argv[1]) == L"--select") {
        select = _wtoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: window_shot [--select N] OUT.png CAPTION PROGRAM [ARGUMENTS]\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[3]) + L"\"";
    for (int i = 4; i < argc; ++i) commandLine += L" " + std::wstring(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fwprintf(stderr, L"window_shot: cannot start %ls\n", argv[3]);
        return 1;
    }
    const glyphpeek::imaging::GdiplusSession gdiplus;
    const HWND dialog = WaitForDialog(argv[2], process.hProcess);
    bool saved = false;
    if (dialog) {
        SetForegroundWindow(dialog);
        if (select >= 0) SelectListItem(dialog, select);
        Sleep(1500);  // the preview and the controls paint after the dialog shows
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        Sleep(500);
        saved = SaveWindowPng(dialog, argv[1]);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        std::fwprintf(stderr, L"window_shot: no dialog \"%ls\" appeared\n", argv[2]);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (saved) std::wprintf(L"%ls\n", argv[1]);
    return saved ? 0 : 1;
}
