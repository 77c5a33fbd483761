#pragma once
// The colour button of the settings dialog: an owner-drawn push button with a swatch of its colour,
// whose click opens a menu-like pop-up of 40 colours with an automatic and a custom-colour box.
#include <windows.h>

#include <cstdint>

#include "trsetting/colour_picker_popup.h"
#include "framework/ui/controls.h"
#include "trsetting/theme_handle.h"

namespace glyphpeek::trsetting {

// Sent to the button's parent after every close: wParam the button object, lParam its colour.
inline constexpr UINT UWM_COLOR_CLOSEUP = WM_USER + 102;

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

} // namespace glyphpeek::trsetting
