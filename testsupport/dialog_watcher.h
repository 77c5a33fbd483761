#pragma once
// Real dialogs of the test desktop, found and answered from a watcher thread: message boxes, folder
// browsers and the like that the code under test shows modally on the calling thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "winsupport/scoped_handles.h"

// The message box's text control.
inline constexpr int kMessageBoxText = 0xFFFF;

std::wstring WindowText(HWND window);
// Visible dialogs (#32770) of one thread.
std::vector<HWND> ThreadDialogs(DWORD thread);
bool HasChildText(HWND window, const std::wstring& text);
// Posts the click of button `id` of `dialog`.
void Press(HWND dialog, int id);

// Answers the dialogs that the calling thread is about to show, one step after the other, from a
// thread of its own. A step that finds no dialog in time is noted and every dialog still open is
// dismissed, so a missing window fails the test instead of leaving it blocked.
class DialogWatcher {
public:
    struct Step {
        std::function<bool(HWND)> match;
        std::function<void(HWND)> answer;
        // The answer leaves the dialog open (it was driven, not dismissed): the next step does not wait
        // for it to close.
        bool staysOpen = false;
    };

    explicit DialogWatcher(std::vector<Step> steps);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;
    // Waits for the watcher and answers how many steps found their dialog.
    size_t Finish();
    // Stops looking for the steps still to come (for a dialog that must not appear), then Finish().
    size_t Stop();

private:
    static DWORD WINAPI Run(void* param);
    HWND Find(const std::function<bool(HWND)>& match) const;
    void DismissAll() const;

    std::vector<Step> steps_;
    DWORD owner_;
    std::atomic<size_t> answered_ = 0;
    std::atomic<bool> stopped_ = false;
    ScopedHandle thread_;
};
