#include "trutility/elevated_removal.h"

#include <shellapi.h>

#include <cwchar>

#include "winsupport/scoped_handles.h"
#include "trutility/installed_font_list.h"
#include "trutility/module.h"
#include "winsupport/wide.h"

namespace {

#ifdef GLYPHPEEK_TEST_SEAMS
// "required" or "declined" when a test forces the road; empty otherwise.
std::wstring TestedElevation() {
    wchar_t value[16] = {};
    const DWORD units = GetEnvironmentVariableW(L"GLYPHPEEK_TEST_ELEVATION", value, 16);
    return units > 0 && units < 16 ? std::wstring(value, units) : std::wstring();
}
#else
std::wstring TestedElevation() { return {}; }
#endif

// An argument string Windows starts a program with holds at most 32767 units; the files go in starts
// of at most this many.
constexpr size_t kArgumentUnits = 30000;

bool Denied(LONG status) { return status == ERROR_ACCESS_DENIED; }

// Waits for the process, dispatching the thread's messages so that Explorer's windows stay alive.
void WaitDispatching(HANDLE process) {
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Ending: the quit stays for the thread's own loop, and the wait for the program goes on.
                PostQuitMessage(static_cast<int>(message.wParam));
                WaitForSingleObject(process, INFINITE);
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace

bool MayRemoveSystemFont(const std::u16string& file) {
    if (!TestedElevation().empty()) return false;
    ScopedRegKey key;
    if (Denied(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_SET_VALUE, key.put()))) return false;
    // The file in the Fonts folder: only DELETE is asked, so a font in use by the system still opens.
    ScopedFile font(CreateFileW(std::wstring(AsWide(file)).c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return font || GetLastError() != ERROR_ACCESS_DENIED;
}

namespace {

ElevatedRun RunOnce(const std::wstring& program, const std::wstring& arguments, DWORD& error) {
    SHELLEXECUTEINFOW start = {};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    // "runas" brings the elevation prompt (on the XP generation, the Run As dialog).
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = arguments.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) {
        error = GetLastError();
        return error == ERROR_CANCELLED ? ElevatedRun::kDeclined : ElevatedRun::kNotStarted;
    }
    if (!start.hProcess) return ElevatedRun::kRan;  // handed to a running instance: nothing to wait for
    const ScopedHandle process(start.hProcess);
    WaitDispatching(process.get());
    return ElevatedRun::kRan;
}

} // namespace

ElevatedRun RemoveWithAdministratorRights(const std::vector<std::u16string>& files, DWORD& error) {
    error = ERROR_SUCCESS;
    if (TestedElevation() == L"declined") {
        error = ERROR_CANCELLED;
        return ElevatedRun::kDeclined;
    }
    const std::wstring program = FileBesideUtility(L"TRSetting.exe");
    if (program.empty()) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return ElevatedRun::kNotStarted;
    }
    // Quoted arguments run to the next quote; file paths hold none.
    std::wstring arguments;
    for (size_t i = 0; i < files.size(); ++i) {
        arguments += L" \"" + std::wstring(AsWide(files[i])) + L"\"";
        const bool last = i + 1 == files.size();
        if (last || arguments.size() + files[i + 1].size() + 3 > kArgumentUnits) {
            const ElevatedRun run = RunOnce(program, L"/removefont" + arguments, error);
            if (run != ElevatedRun::kRan) return run;
            arguments.clear();
        }
    }
    return ElevatedRun::kRan;
}
