#pragma once
// The colour button of the settings dialog: an owner-drawn push button with a swatch of its colour,
// whose click opens a menu-like pop-up of 40 colours with an automatic and a custom-colour box.
#include <windows.h>
#include <uxtheme.h>

#include <cstdint>
#include <string>

#include "colour_picker_layout.h"
#include "controls.h"

namespace glyphpeek::settings {

// Sent by the pop-up to its button while it is destroyed; no arguments.
inline constexpr UINT UWM_PICKER_CLOSED = WM_USER + 101;
// Sent to the button's parent after every close: wParam the button object, lParam its colour.
inline constexpr UINT UWM_COLOR_CLOSEUP = WM_USER + 102;

// Theme data of one class, with the visual-styles library bound by name while any handle object
// exists (the library may be missing: then nothing is themed).
class CThemeHandle {
public:
    CThemeHandle();
    ~CThemeHandle();
    CThemeHandle(const CThemeHandle&) = delete;
    CThemeHandle& operator=(const CThemeHandle&) = delete;
    bool Open(const wchar_t* className);
    // Opens the class held again (after a theme change); nothing when no handle is held.
    void Reopen();
    HTHEME Handle() const { return theme_; }
    bool DrawBackground(HDC dc, int part, int state, const RECT& rect) const;

private:
    void Close();
    HTHEME theme_ = nullptr;
    wchar_t className_[10] = {};
};

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
    HFONT font_ = nullptr;
};

class CColorPickButton : public CButton {
public:
    CColorPickButton();
    // Subclasses the dialog's control `id`, makes it owner-drawn and opens its theme data.
    bool AttachControl(int id, const CWnd& dialog);

    // A null caption (or an empty one) removes its box.
    void SetTexts(const wchar_t* automaticCaption, const wchar_t* customCaption);
    void SetDefaultColor(uint32_t colour);
    void SetColor(uint32_t colour);
    uint32_t GetColor() const { return picker_.current; }
    // The pop-up while it is open (for the tests that drive it), else null.
    CPickerWnd* OpenPicker() { return picker_.GetSafeHwnd() ? &picker_ : nullptr; }

    bool PreTranslateMessage(MSG& msg) override;

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    bool OnReflectedCommand(UINT code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OpenPopup();
    CThemeHandle theme_;
    CPickerWnd picker_;
    bool hot_ = false;
};

}  // namespace glyphpeek::settings
