#pragma once
// The colour button's pop-up: a menu-like window of 40 colours with an automatic and a custom-colour
// box, which holds the mouse while it is open and reports its close to its button.
#include <windows.h>

#include <cstdint>
#include <string>

#include "winsupport/scoped_handles.h"
#include "trsetting/colour_picker_layout.h"
#include "framework/ui/window.h"

namespace glyphpeek::trsetting {

// Sent by the pop-up to its button while it is destroyed; no arguments.
inline constexpr UINT UWM_PICKER_CLOSED = WM_USER + 101;

class CColorPickButton;

class CPickerWnd : public CWnd {
public:
    CPickerWnd();
    bool Open(CColorPickButton& button);
    // Closes the pop-up; `choice` applies the hot item.
    void Close(bool choice);
    bool PreTranslateMessage(MSG& msg) override;

    uint32_t current = picker::kAutomatic;
    uint32_t defaultColour;
    std::wstring automaticCaption = L"Automatic";
    std::wstring customCaption = L"More Colors...";
    uint32_t pending = picker::kAutomatic;
    int hot = picker::kNoItem;
    int marked = picker::kNoItem;
    bool result = false;
    picker::Layout layout;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool HasAutomatic() const { return !automaticCaption.empty(); }
    bool HasCustom() const { return !customCaption.empty(); }
    void Create();
    void Paint(HDC dc);
    void PaintItem(HDC dc, int item);
    RECT ItemRect(int item) const;
    void SetHot(int item);
    void OnKeyDown(WPARAM key);
    void Destroyed();

    CColorPickButton* button_ = nullptr;
    bool closing_ = false;
    bool flatMenu_ = false;
    COLORREF menuBackground_ = 0, frame_ = 0, hotFill_ = 0, markedFill_ = 0, hotText_ = 0, text_ = 0;
    int edgeX_ = 2, edgeY_ = 2;
    ScopedFont font_;
};

} // namespace glyphpeek::trsetting
