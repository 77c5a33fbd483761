// Stubmaker.exe: keeps the folder "vf" beside itself filled with one stub per installed TrueType,
// TrueType Collection and OpenType font, then shows it. "/folder" only shows it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "framework/ui/application.h"
#include "stubmaker/stub_folder.h"
#include "stubmaker/stubmaker_dlg.h"
#include "stubmaker/windows_host.h"
#include "winsupport/scoped_com.h"
#include "winsupport/system_libraries.h"
#include "winsupport/wide.h"

namespace glyphpeek::stubmaker {
namespace {

class CStubmakerApp : public CWinApp {
protected:
    BOOL InitInstance() override {
        RestrictLibrarySearch();
        try {
            Run();
        } catch (...) {
            // Nothing is reported: the run simply ends.
        }
        return FALSE;
    }

private:
    void Run() {
        if (IsFolderSwitch(ToU16(CommandLine()))) {
            const std::u16string folder = StubFolder();
            const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            if (!folder.empty())
                ShellExecuteW(nullptr, L"explore", ToWide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            return;
        }
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        CStubmakerDlg dialog;
        SetMainWindow(&dialog);
        dialog.DoModal();
        SetMainWindow(nullptr);
    }
};

CStubmakerApp theApp;

} // namespace
} // namespace glyphpeek::stubmaker
