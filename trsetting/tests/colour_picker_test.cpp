// The colour button in a real dialog on the test desktop. A driver thread posts the clicks, mouse and
// key messages the user would cause; the dialog's own modal loop handles them, pre-translation included.
#include <gtest/gtest.h>

#include "trsetting/colour_picker.h"
#include "framework/ui/dialog.h"
#include "testsupport/dialog_watcher.h"

#include <functional>
#include <vector>

namespace glyphpeek::trsetting {
namespace {

using picker::kAutomatic;

constexpr int kButtonId = 1009;


class PickerDialog : public CDialog {
public:
    PickerDialog() : CDialog(200) {}
    CColorPickButton button;
    std::vector<std::pair<WPARAM, LPARAM>> closeUps;
    std::function<void()> init;

protected:
    void BindControls() override {
        ASSERT_TRUE(button.AttachControl(kButtonId, *this));
        // Pixels, not dialog units: the test prefix has no dialog font.
        MoveWindow(button.GetSafeHwnd(), 20, 20, 60, 22, FALSE);
        HandleMessage(UWM_COLOR_CLOSEUP, [this](WPARAM w, LPARAM l) -> LRESULT {
            closeUps.push_back({w, l});
            return 0;
        });
    }
    BOOL OnInitDialog() override {
        if (init) init();
        return TRUE;
    }
};

HWND Popup() {
    HWND popup = FindWindowW(L"GlyphpeekColorPicker", nullptr);
    return popup && IsWindowVisible(popup) ? popup : nullptr;
}

bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition()) return true;
        Sleep(10);
    }
    return false;
}

// Runs the dialog while `script` drives it from another thread; the script's end closes the dialog.
struct Driver {
    PickerDialog& dialog;
    std::function<void(Driver&)> script;
    HWND hwnd = nullptr;

    void Click() {
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, kButtonId)));
        EXPECT_TRUE(WaitFor([] { return Popup() != nullptr; })) << "the pop-up did not open";
    }
    POINT CellCentre(int cell) {
        const picker::Layout& l = dialog.button.OpenPicker()->layout;
        return {l.grid.left + (cell % 8) * 18 + 9, l.grid.top + (cell / 8) * 18 + 9};
    }
    void Mouse(UINT message, POINT p) { PostMessageW(Popup(), message, 0, MAKELPARAM(p.x, p.y)); }
    void Key(WPARAM key) { PostMessageW(GetDlgItem(hwnd, kButtonId), WM_KEYDOWN, key, 0); }
    void WaitClosed() { EXPECT_TRUE(WaitFor([] { return FindWindowW(L"GlyphpeekColorPicker", nullptr) == nullptr; })); }

    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<Driver*>(param);
        self->script(*self);
        PostMessageW(self->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
};

void Drive(PickerDialog& dialog, std::function<void(Driver&)> script) {
    Driver driver{dialog, std::move(script)};
    HANDLE thread = nullptr;
    dialog.init = [&] {
        driver.hwnd = dialog.GetSafeHwnd();
        thread = CreateThread(nullptr, 0, &Driver::Run, &driver, 0, nullptr);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

TEST(ColourPicker, MouseChoosesACellAndTheParentHearsOfIt) {
    PickerDialog dialog;
    RECT popupRect{}, buttonRect{};
    picker::Layout layout;
    int marked = 0;
    Drive(dialog, [&](Driver& d) {
        d.Click();
        GetWindowRect(Popup(), &popupRect);
        GetWindowRect(GetDlgItem(d.hwnd, kButtonId), &buttonRect);
        layout = dialog.button.OpenPicker()->layout;
        marked = dialog.button.OpenPicker()->marked;
        d.Mouse(WM_MOUSEMOVE, d.CellCentre(3));
        d.Mouse(WM_MOUSEMOVE, d.CellCentre(16));
        d.Mouse(WM_LBUTTONUP, d.CellCentre(16));
        d.WaitClosed();
    });
    EXPECT_EQ(dialog.button.GetColor(), 0x0000FFu);  // #FF0000
    ASSERT_EQ(dialog.closeUps.size(), 1u);
    EXPECT_EQ(dialog.closeUps[0].first, reinterpret_cast<WPARAM>(&dialog.button));
    EXPECT_EQ(dialog.closeUps[0].second, 0x0000FF);
    // Below the button, at its left edge, sized by the layout; automatic at first marks its box.
    EXPECT_EQ(popupRect.left, buttonRect.left);
    EXPECT_EQ(popupRect.top, buttonRect.bottom);
    EXPECT_EQ(popupRect.right - popupRect.left, layout.width);
    EXPECT_EQ(popupRect.bottom - popupRect.top, layout.height);
    EXPECT_GT(layout.automatic.Height(), 10);  // the caption's height plus the margins
    EXPECT_EQ(marked, picker::kAutomaticBox);
}

TEST(ColourPicker, KeysReachThePopupThroughTheButton) {
    PickerDialog dialog;
    Drive(dialog, [&](Driver& d) {
        d.Click();
        d.Key(VK_RIGHT);  // none -> automatic box
        d.Key(VK_RIGHT);  // cell 0
        d.Key(VK_DOWN);   // cell 8
        d.Key(VK_RETURN);
        d.WaitClosed();
    });
    EXPECT_EQ(dialog.button.GetColor(), picker::kPalette[8]);
    EXPECT_EQ(dialog.closeUps.size(), 1u);
}

TEST(ColourPicker, CancelsKeepTheColourAndStillNotify) {
    PickerDialog dialog;
    dialog.button.SetColor(0x123456);  // not in the palette
    int marked = 0;
    Drive(dialog, [&](Driver& d) {
        d.Click();
        marked = dialog.button.OpenPicker()->marked;
        d.Mouse(WM_MOUSEMOVE, d.CellCentre(5));
        d.Key(VK_ESCAPE);
        d.WaitClosed();
        d.Click();
        d.Mouse(WM_MOUSEMOVE, d.CellCentre(5));
        d.Mouse(WM_RBUTTONDOWN, d.CellCentre(5));
        d.WaitClosed();
        d.Click();
        d.Mouse(WM_MOUSEMOVE, d.CellCentre(5));
        d.Mouse(WM_LBUTTONUP, POINT{-20, -20});  // released outside the pop-up
        d.WaitClosed();
        d.Click();
        d.Key(VK_RETURN);  // nothing hot
        d.WaitClosed();
    });
    EXPECT_EQ(marked, picker::kCustomBox);
    EXPECT_EQ(dialog.button.GetColor(), 0x123456u);
    ASSERT_EQ(dialog.closeUps.size(), 4u);
    for (const auto& closeUp : dialog.closeUps) EXPECT_EQ(closeUp.second, 0x123456);
}

TEST(ColourPicker, LosingTheCaptureClosesThePopupAsACancel) {
    PickerDialog dialog;
    dialog.HandleMessage(WM_APP, [&](WPARAM, LPARAM) -> LRESULT {
        SetCapture(dialog.GetSafeHwnd());  // another window of the program takes the mouse
        return 0;
    });
    Drive(dialog, [&](Driver& d) {
        d.Click();
        d.Mouse(WM_MOUSEMOVE, d.CellCentre(9));
        PostMessageW(d.hwnd, WM_APP, 0, 0);
        d.Mouse(WM_LBUTTONUP, d.CellCentre(9));  // arrives after the loss: swallowed, and closes
        d.WaitClosed();
    });
    EXPECT_EQ(dialog.button.GetColor(), kAutomatic);
    EXPECT_EQ(dialog.closeUps.size(), 1u);
}

TEST(ColourPicker, AutomaticBoxAndCaptionlessPopup) {
    PickerDialog dialog;
    dialog.button.SetColor(0x0000FF);
    int markedWithoutBoxes = 0;
    RECT bare{};
    Drive(dialog, [&](Driver& d) {
        d.Click();
        const picker::Layout& l = dialog.button.OpenPicker()->layout;
        d.Mouse(WM_LBUTTONUP, POINT{l.automatic.left + 5, l.automatic.top + 5});
        d.WaitClosed();
        dialog.button.SetTexts(nullptr, L"");
        d.Click();
        markedWithoutBoxes = dialog.button.OpenPicker()->marked;
        GetClientRect(Popup(), &bare);
        d.Key(VK_LEFT);  // none -> cell 39, there being no boxes
        d.Key(VK_RETURN);
        d.WaitClosed();
    });
    ASSERT_EQ(dialog.closeUps.size(), 2u);
    EXPECT_EQ(dialog.closeUps[0].second, static_cast<LPARAM>(kAutomatic));
    EXPECT_EQ(markedWithoutBoxes, picker::kNoItem);  // automatic, and no box to mark
    EXPECT_EQ(bare.right, 144 + 2 * GetSystemMetrics(SM_CXEDGE));
    EXPECT_EQ(bare.bottom, 90 + 2 * GetSystemMetrics(SM_CYEDGE));
    EXPECT_EQ(dialog.button.GetColor(), 0xFFFFFFu);
}

TEST(ColourPicker, CustomBoxOpensTheColourDialog) {
    PickerDialog dialog;
    dialog.button.SetDefaultColor(0xABCDEF);
    auto isColourDialog = [](HWND window) { return WindowText(window) != L"Picker test"; };
    DialogWatcher watcher({{isColourDialog, [](HWND window) { Press(window, IDCANCEL); }},
                           {isColourDialog, [](HWND window) { Press(window, IDOK); }}});
    Drive(dialog, [&](Driver& d) {
        for (int round = 0; round < 2; ++round) {
            d.Click();
            d.Key(VK_LEFT);  // none -> custom box
            d.Key(VK_RETURN);
            d.WaitClosed();
        }
    });
    EXPECT_EQ(watcher.Finish(), 2u);
    ASSERT_EQ(dialog.closeUps.size(), 2u);
    EXPECT_EQ(dialog.closeUps[0].second, static_cast<LPARAM>(kAutomatic));  // cancelled: unchanged
    // Confirmed unchanged: the dialog's colour, which started from the swatch's default colour.
    EXPECT_EQ(dialog.button.GetColor(), 0xABCDEFu);
}

// The button drawn into a bitmap through the parent's WM_DRAWITEM, as the system asks for it.
struct Drawn {
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    int width = 60, height = 22;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)] & 0xFFFFFF; }
};

Drawn Draw(PickerDialog& dialog, UINT state) {
    Drawn drawn;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), drawn.width, -drawn.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kButtonId;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = dialog.button.GetSafeHwnd();
    item.hDC = dc;
    item.rcItem = {0, 0, drawn.width, drawn.height};
    dialog.SendMessage(WM_DRAWITEM, kButtonId, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    auto* p = static_cast<uint32_t*>(bits);
    drawn.pixels.assign(p, p + drawn.width * drawn.height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return drawn;
}

TEST(ColourPicker, SwatchShowsTheColourOrTheDefaultAndNothingWhenDisabled) {
    PickerDialog dialog;
    Drawn automatic, chosen, disabled;
    dialog.init = [&] {
        dialog.button.SetDefaultColor(0x00FF00);  // green
        automatic = Draw(dialog, 0);
        dialog.button.SetColor(0x0000FF);  // red
        chosen = Draw(dialog, 0);
        disabled = Draw(dialog, ODS_DISABLED);
        dialog.EndDialog(IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(automatic.At(15, 11), 0x00FF00u);
    EXPECT_EQ(chosen.At(15, 11), 0xFF0000u);
    EXPECT_NE(disabled.At(15, 11), 0xFF0000u);
    // The swatch's black frame: the first dark pixel left of the fill along the middle row.
    int x = 15;
    while (x > 0 && chosen.At(x, 11) == 0xFF0000u) --x;
    EXPECT_EQ(chosen.At(x, 11), 0x000000u);
    // The arrow, in the window-text colour, right of the swatch.
    bool arrow = false;
    for (int ax = 40; ax < 60; ++ax)
        for (int ay = 8; ay < 14; ++ay) arrow = arrow || chosen.At(ax, ay) == (GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF);
    EXPECT_TRUE(arrow);
}

}  // namespace
}  // namespace glyphpeek::trsetting
