#pragma once
// CDefTestDlg: which define of the settings dialog's list a file name would be drawn with, for a typed
// name or a dropped file, against the list as it stands (unsaved edits included).
#include <windows.h>
#include <shellapi.h>

#include "trsetting/define_list.h"
#include "framework/ui/dialog.h"

namespace glyphpeek::trsetting {

class CDefTestDlg : public CDialog {
public:
    CDefTestDlg(const DefineList& defines, CWnd* parent);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void RunTest();
    void TakeDroppedFile(HDROP drop);

    const DefineList& defines_;
    std::wstring prefix_;  // the result label's text of the template: "The definitions applied : "
};

} // namespace glyphpeek::trsetting
