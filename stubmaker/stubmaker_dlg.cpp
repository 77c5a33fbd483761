#include "stubmaker/stubmaker_dlg.h"

#include <objbase.h>

#include "stubmaker/resource.h"
#include "stubmaker/stub_folder.h"
#include "stubmaker/windows_host.h"
#include "winsupport/scoped_com.h"

namespace glyphpeek::stubmaker {

CStubmakerDlg::CStubmakerDlg() : CDialog(IDD_STUBMAKER_DIALOG, nullptr, GetModuleHandleW(nullptr)) {}

CStubmakerDlg::~CStubmakerDlg() {
    stop_.store(true);
    WaitForWorker();
}

BOOL CStubmakerDlg::OnInitDialog() {
    SetIconFromResource(GetModuleHandleW(nullptr), IDR_MAINFRAME);
    params_.fontsFolder = FontsFolder(); // before the worker starts; it only reads it
    ShowWindow(SW_SHOW);
    params_.dialog = hwnd_;
    params_.label = GetDlgItem(IDC_MESSAGE);
    params_.progress = GetDlgItem(IDC_PROGRESS);
    params_.stop = &stop_;
    stop_.store(false);
    // A real thread handle: the dialog waits for it while still answering the worker's messages.
    worker_ = ScopedHandle(CreateThread(nullptr, 0, Worker, &params_, 0, nullptr));
    return TRUE;
}

bool CStubmakerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DESTROY) {
        // The controls go after this: the worker must be done with them first.
        stop_.store(true);
        WaitForWorker();
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

// The worker sends to the controls (label text, progress range) and waits for the answer; those
// sends are answered here while waiting, or a worker caught in one would never end.
void CStubmakerDlg::WaitForWorker() {
    if (!worker_) return;
    const HANDLE worker = worker_.get();
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    worker_ = ScopedHandle();
}

DWORD WINAPI CStubmakerDlg::Worker(void* param) {
    const WorkerParams& params = *static_cast<WorkerParams*>(param);
    // The shell's folder opening wants an apartment on this thread.
    const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    bool closeDialog = true;
    try {
        WindowsHost host(params.label, params.progress);
        closeDialog = RunStubmaker(host, params.fontsFolder, StubFolder(), *params.stop);
    } catch (...) {
        // Out of memory: end the run as if it had finished, without the folder.
    }
    if (closeDialog && !params.stop->load()) ::PostMessageW(params.dialog, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace glyphpeek::stubmaker
