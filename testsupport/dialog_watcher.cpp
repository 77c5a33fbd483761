#include "testsupport/dialog_watcher.h"

namespace {
constexpr DWORD kStepTimeoutMs = 10000;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::vector<HWND> ThreadDialogs(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(window, cls, 32);
            if (IsWindowVisible(window) && std::wstring(cls) == L"#32770")
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool HasChildText(HWND window, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        bool found;
    } search{&text, false};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            s->found = s->found || WindowText(child) == *s->text;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

DialogWatcher::DialogWatcher(std::vector<Step> steps) : steps_(std::move(steps)), owner_(GetCurrentThreadId()) {
    thread_ = ScopedHandle(CreateThread(nullptr, 0, &DialogWatcher::Run, this, 0, nullptr));
}

DialogWatcher::~DialogWatcher() {
    WaitForSingleObject(thread_.get(), INFINITE);
}

size_t DialogWatcher::Finish() {
    WaitForSingleObject(thread_.get(), INFINITE);
    return answered_;
}

size_t DialogWatcher::Stop() {
    stopped_ = true;
    return Finish();
}

DWORD WINAPI DialogWatcher::Run(void* param) {
    auto* self = static_cast<DialogWatcher*>(param);
    for (const Step& step : self->steps_) {
        HWND dialog = self->Find(step.match);
        if (!dialog) {
            self->DismissAll();
            return 0;
        }
        step.answer(dialog);
        ++self->answered_;
        // The answered dialog closes before the next step looks, so that step cannot find it again.
        if (step.staysOpen) continue;
        for (DWORD waited = 0; waited < kStepTimeoutMs && IsWindow(dialog) && IsWindowVisible(dialog); waited += 20)
            Sleep(20);
    }
    return 0;
}

HWND DialogWatcher::Find(const std::function<bool(HWND)>& match) const {
    for (DWORD waited = 0; waited < kStepTimeoutMs && !stopped_; waited += 20) {
        for (HWND dialog : ThreadDialogs(owner_))
            if (match(dialog)) return dialog;
        Sleep(20);
    }
    return nullptr;
}

void DialogWatcher::DismissAll() const {
    for (DWORD round = 0; round < 50 && !ThreadDialogs(owner_).empty(); ++round) {
        for (HWND dialog : ThreadDialogs(owner_)) {
            Press(dialog, IDNO);
            Press(dialog, IDCANCEL);
        }
        Sleep(100);
    }
}
