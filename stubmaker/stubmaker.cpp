// Stubmaker.exe: keeps the folder "vf" beside itself filled with one stub per installed TrueType,
// TrueType Collection and OpenType font, then shows it. "/folder" only shows it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "winsupport/scoped_com.h"
#include "winsupport/system_libraries.h"
#include "stubmaker/stub_folder.h"
#include "stubmaker/stubmaker_dlg.h"
#include "winsupport/wide.h"
#include "stubmaker/windows_host.h"

using namespace glyphpeek::stubmaker;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    RestrictLibrarySearch();
    try {
        if (IsFolderSwitch(ToU16(commandLine ? commandLine : L""))) {
            const std::u16string folder = StubFolder();
            const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            if (!folder.empty())
                ShellExecuteW(nullptr, L"explore", ToWide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
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
