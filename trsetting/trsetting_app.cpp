// TRSetting.exe: the settings program. One action per start, chosen by the command line: a maintenance
// switch, the picture output for one font file, or the main settings dialog; then the program ends.
#include <windows.h>
#include <commctrl.h>

#include "framework/ui/application.h"
#include "trsetting/command_line.h"
#include "imaging/gdiplus_session.h"
#include "trsetting/image_dialog.h"
#include "trsetting/maintenance.h"
#include "trsetting/program_text.h"
#include "trsetting/resource.h"
#include "trsetting/setting_dialog.h"
#include "winsupport/system_libraries.h"
#include "trutility/TRUtility.h"
#include "winsupport/wide.h"

namespace glyphpeek::trsetting {
namespace {

std::wstring Text(unsigned id) { return ProgramText(id); }

// "/removefont": the context menu of an Explorer without administrator rights started the program
// (which has them) to remove system fonts. Each file named is only looked up in the machine's
// installed-font list; the library names each font that stays, with the reason. Answers how many
// stayed.
int RemoveFonts(const StartRequest& request) {
    int stayed = 0;
    for (const std::u16string& file : request.removalFiles) {
        const std::wstring hint(AsWide(file));
        if (RemoveListedSystemFont(hint.c_str()) == 0) ++stayed;
    }
    return stayed;
}

class CTRSettingApp final : public CWinApp {
protected:
    BOOL InitInstance() override {
        RestrictLibrarySearch();
        INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
        InitCommonControlsEx(&controls);
        const std::wstring& tail = CommandLine();
        const StartRequest request = ParseCommandTail({reinterpret_cast<const char16_t*>(tail.data()), tail.size()});
        if (request.action == StartAction::kRemoveFont) {
            exitCode_ = RemoveFonts(request);
            return FALSE;
        }
        if (const std::optional<int> exitCode = RunMaintenance(request, &Text)) {
            exitCode_ = *exitCode;
            return FALSE;
        }

        // The dialogs draw with GDI+; the session lasts until they have closed.
        const imaging::GdiplusSession gdiplus;
        if (request.action == StartAction::kImage) {
            const std::wstring path(AsWide(request.imagePath));
            if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                MessageBoxW(nullptr, Text(IDS_NO_FILE_ACCESS).c_str(), Text(IDS_INFORMATION_CAPTION).c_str(),
                            MB_OK | MB_ICONEXCLAMATION);
                return FALSE;
            }
            CImageDialog dialog(path);
            SetMainWindow(&dialog);
            dialog.DoModal();
        } else {
            CTRSettingDlg dialog;
            SetMainWindow(&dialog);
            dialog.DoModal();
        }
        SetMainWindow(nullptr);
        return FALSE;
    }
    // The package's switches report failure through it, "/removefont" the fonts that stayed;
    // everything else ends with 0.
    int ExitInstance() override { return exitCode_; }

private:
    int exitCode_ = 0;
};

CTRSettingApp theApp;

} // namespace
} // namespace glyphpeek::trsetting
