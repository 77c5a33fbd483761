// Stubmaker.exe: keeps the folder "vf" beside itself filled with one stub per installed TrueType,
// TrueType Collection and OpenType font, then shows it. "/folder" only shows it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "stub_folder.h"
#include "stubmaker_dlg.h"
#include "windows_host.h"

using namespace glyphpeek::stubmaker;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    try {
        if (IsFolderSwitch(Units(commandLine ? commandLine : L""))) {
            const std::u16string folder = StubFolder();
            const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            if (!folder.empty())
                ShellExecuteW(nullptr, L"explore", Wide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            if (SUCCEEDED(com)) CoUninitialize();
            return 0;
        }
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        CStubmakerDlg dialog;
        dialog.DoModal(instance);
    } catch (...) {
        // Nothing is reported: the run simply ends.
    }
    return 0;
}
