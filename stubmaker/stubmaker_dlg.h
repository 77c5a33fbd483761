#pragma once
// The progress dialog: shows the stage and its progress while the worker thread runs the update,
// and ends when the worker closes it or the user does.
#include <windows.h>

#include <atomic>
#include <string>

#include "framework/ui/dialog.h"
#include "winsupport/scoped_handles.h"

namespace glyphpeek::stubmaker {

class CStubmakerDlg : public CDialog {
public:
    CStubmakerDlg();
    ~CStubmakerDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // What the worker is handed: the dialog and its two controls, the folders, the stop flag.
    struct WorkerParams {
        HWND dialog = nullptr;
        HWND label = nullptr;
        HWND progress = nullptr;
        std::u16string fontsFolder;
        std::atomic<bool>* stop = nullptr;
    };

    static DWORD WINAPI Worker(void* param);
    void WaitForWorker();

    ScopedHandle worker_;
    std::atomic<bool> stop_ = false;
    WorkerParams params_;
};

} // namespace glyphpeek::stubmaker
