#pragma once
// The progress dialog: shows the stage and its progress while the worker thread runs the update,
// and ends when the worker closes it or the user does.
#include <windows.h>

#include <atomic>
#include <string>

class CStubmakerDlg {
public:
    CStubmakerDlg() = default;
    CStubmakerDlg(const CStubmakerDlg&) = delete;
    CStubmakerDlg& operator=(const CStubmakerDlg&) = delete;
    ~CStubmakerDlg();

    INT_PTR DoModal(HINSTANCE instance);

private:
    // What the worker is handed: the dialog and its two controls, the folders, the stop flag.
    struct WorkerParams {
        HWND dialog = nullptr;
        HWND label = nullptr;
        HWND progress = nullptr;
        std::u16string fontsFolder;
        std::atomic<bool>* stop = nullptr;
    };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI Worker(void* param);
    BOOL OnInitDialog();
    bool OnPaint();
    void OnDestroy();
    void WaitForWorker();

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HANDLE worker_ = nullptr;
    std::atomic<bool> stop_ = false;
    WorkerParams params_;
};
