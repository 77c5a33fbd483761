#pragma once
// The preview pane's window: a child of the host's window that shows the picture of a document,
// scrolls it with the wheel, the scroll bar and the keys, and draws it again when its width, DPI or
// look change. No COM here: the preview handler drives it.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "typorama_vista/preview_document.h"

namespace glyphpeek::typorama_vista {

class PreviewPane {
public:
    // The pane over `rect` of `parent`, showing `document` (which must outlive it), painted before
    // this returns; null when no window can be made.
    static std::unique_ptr<PreviewPane> Create(HMODULE module, const PreviewDocument& document, const PaneLook& look,
                                               HWND parent, const RECT& rect);
    ~PreviewPane();
    PreviewPane(const PreviewPane&) = delete;
    PreviewPane& operator=(const PreviewPane&) = delete;

    HWND window() const { return window_; }
    // A new place, or a new host window; the picture is drawn again when the width or the DPI changed.
    void Move(HWND parent, const RECT& rect);
    void SetLook(const PaneLook& look);

private:
    PreviewPane(HMODULE module, const PreviewDocument& document, const PaneLook& look)
        : module_(module), document_(document), look_(look) {}

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // The picture is drawn again when it is next painted: a host that sets its colours and font one
    // after the other, or drags the pane's edge, gets one drawing, not one for each call.
    void Invalidate();
    void EnsurePicture();
    void Redraw();
    void Paint();
    void UpdateScrollBar();
    void ScrollTo(int position);
    void ScrollByWheel(int delta);
    int ViewHeight() const;

    HMODULE module_;
    const PreviewDocument& document_;
    PaneLook look_;
    HWND window_ = nullptr;
    bool ready_ = false;  // created and drawn: size changes from now on draw again
    bool stale_ = false;  // the picture no longer fits the width, DPI or look
    PanePicture picture_;
    int dpi_ = 96;
    int scroll_ = 0;
    std::int64_t wheelRemainder_ = 0;
};

} // namespace glyphpeek::typorama_vista
