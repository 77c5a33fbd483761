#include "stubmaker/stubmaker_dlg.h"

#include <objbase.h>

#include "winsupport/scoped_com.h"
#include "stubmaker/resource.h"
#include "stubmaker/stub_folder.h"
#include "stubmaker/windows_host.h"

using namespace glyphpeek::stubmaker;

CStubmakerDlg::~CStubmakerDlg() {
    WaitForWorker();
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

INT_PTR CStubmakerDlg::DoModal(HINSTANCE instance) {
    instance_ = instance;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STUBMAKER_DIALOG), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CStubmakerDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CStubmakerDlg* self = reinterpret_cast<CStubmakerDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CStubmakerDlg*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    if (!self) return FALSE;
    switch (message) {
    case WM_PAINT:
        return self->OnPaint();
    case WM_QUERYDRAGICON:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(self->bigIcon_));
        return TRUE;
    case WM_CLOSE:
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        self->OnDestroy();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CStubmakerDlg::OnInitDialog() {
    bigIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    params_.fontsFolder = FontsFolder(); // before the worker starts; it only reads it
    ShowWindow(hwnd_, SW_SHOW);
    params_.dialog = hwnd_;
    params_.label = GetDlgItem(hwnd_, IDC_MESSAGE);
    params_.progress = GetDlgItem(hwnd_, IDC_PROGRESS);
    params_.stop = &stop_;
    stop_.store(false);
    // A real thread handle: the dialog waits for it while still answering the worker's messages.
    worker_ = CreateThread(nullptr, 0, Worker, &params_, 0, nullptr);
    return TRUE;
}

bool CStubmakerDlg::OnPaint() {
    if (!IsIconic(hwnd_)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, bigIcon_);
    EndPaint(hwnd_, &paint);
    return true;
}

void CStubmakerDlg::OnDestroy() {
    // The controls go after this: the worker must be done with them first.
    stop_.store(true);
    WaitForWorker();
}

// The worker sends to the controls (label text, progress range) and waits for the answer; those
// sends are answered here while waiting, or a worker caught in one would never end.
void CStubmakerDlg::WaitForWorker() {
    if (!worker_) return;
    while (MsgWaitForMultipleObjects(1, &worker_, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(worker_);
    worker_ = nullptr;
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
    if (closeDialog && !params.stop->load()) PostMessageW(params.dialog, WM_CLOSE, 0, 0);
    return 0;
}
