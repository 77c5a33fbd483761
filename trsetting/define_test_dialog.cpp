#include "trsetting/define_test_dialog.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "winsupport/export_binding.h"
#include "core/define_test.h"
#include "trsetting/program_text.h"
#include "trsetting/resource.h"
#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"

namespace glyphpeek::trsetting {
namespace {

// The program runs as administrator, and a window of higher integrity gets no messages from Explorer
// running without those rights unless it lets them through: the drop itself and what the shell sends
// with it (WM_COPYGLOBALDATA, 0x0049). Per window on Windows 7 and later, for the process on Vista;
// 64-bit XP has neither call and no such barrier, so both are looked up at run time.
void AcceptDropsFromLowerRights(HWND window) {
    constexpr UINT kMessages[] = {WM_DROPFILES, WM_COPYDATA, 0x0049};
    using FilterExProc = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using FilterProc = BOOL(WINAPI*)(UINT, DWORD);
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    const auto filterEx = BindExport<FilterExProc>(user, "ChangeWindowMessageFilterEx");
    const auto filter = filterEx ? nullptr : BindExport<FilterProc>(user, "ChangeWindowMessageFilter");
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide call
    for (const UINT message : kMessages) {
        if (filterEx)
            filterEx(window, message, kAllow, nullptr);
        else if (filter)
            filter(message, kAllow);
    }
}

} // namespace

CDefTestDlg::CDefTestDlg(const DefineList& defines, CWnd* parent)
    : CDialog(IDD_DEFINE_TEST_DIALOG, parent), defines_(defines) {
    HandleCommand(IDC_TEST_FILE_NAME, EN_CHANGE, [this] { RunTest(); });
}

BOOL CDefTestDlg::OnInitDialog() {
    AcceptDropsFromLowerRights(hwnd_);
    const HWND result = GetDlgItem(IDC_TEST_RESULT);
    wchar_t text[256] = {};
    ::GetWindowTextW(result, text, 256);
    prefix_ = text;
    ::SetWindowTextW(result, L"");
    return TRUE;
}

bool CDefTestDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DROPFILES) {
        TakeDroppedFile(reinterpret_cast<HDROP>(wParam));
        result = 0;
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

void CDefTestDlg::TakeDroppedFile(HDROP drop) {
    wchar_t path[MAX_PATH] = {};
    const UINT length = DragQueryFileW(drop, 0, path, MAX_PATH);
    DragFinish(drop);
    if (length == 0) return;
    // The name as the define store sees it: no folder. A stub is tested under its own name.
    SetDlgItemTextW(hwnd_, IDC_TEST_FILE_NAME, std::wstring(AsWide(FileNamePart(AsU16(path, wcsnlen(path, MAX_PATH))))).c_str());
    RunTest();
}

void CDefTestDlg::RunTest() {
    const std::wstring name = GetDlgItemText(IDC_TEST_FILE_NAME);

    std::vector<std::u16string_view> conditions;
    for (const SettingData& define : defines_.items()) conditions.push_back(FieldText(define.Condition));
    const std::optional<size_t> applied = FirstApplyingDefine(conditions, AsU16(name.data(), name.size()));
    const std::wstring text =
        applied ? std::wstring(AsWide(AppliedDefineText(AsU16(prefix_.data(), prefix_.size()),
                                                        FieldText(defines_[*applied].DefineName), *applied)))
                : ProgramText(IDS_STANDARD_DEFINE);
    SetDlgItemTextW(hwnd_, IDC_TEST_RESULT, text.c_str());
}

} // namespace glyphpeek::trsetting
