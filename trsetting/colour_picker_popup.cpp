#include "trsetting/colour_picker_popup.h"

#include <commdlg.h>

#include <algorithm>

#include "trsetting/colour_picker.h"
#include "trsetting/colour_swatch.h"

namespace glyphpeek::trsetting {
namespace {

constexpr wchar_t kPickerClass[] = L"GlyphpeekColorPicker";

// Custom colours of the colour dialog, kept for the life of the program.
COLORREF g_customColours[16] = {};

} // namespace

CPickerWnd::CPickerWnd() : defaultColour(::GetSysColor(COLOR_APPWORKSPACE)) {}

bool CPickerWnd::Open(CColorPickButton& button) {
    if (GetSafeHwnd()) DestroyWindow();
    button_ = &button;
    closing_ = false;
    if (!RegisterWindowClass(kPickerClass, CS_DROPSHADOW | CS_SAVEBITS | CS_CLASSDC | CS_HREDRAW | CS_VREDRAW))
        return false;
    RECT rect = button.GetWindowRect();
    return CreateEx(0, kPickerClass, L"", WS_POPUP, rect.left, rect.bottom, 100, 100, button.GetSafeHwnd());
}

void CPickerWnd::Create() {
    BOOL flat = FALSE;
    ::SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0);
    flatMenu_ = flat != FALSE;
    menuBackground_ = ::GetSysColor(COLOR_MENU);
    frame_ = ::GetSysColor(COLOR_HIGHLIGHT);
    hotFill_ = ::GetSysColor(flatMenu_ ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT);
    markedFill_ = picker::MarkedFill(menuBackground_, frame_);
    hotText_ = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    text_ = ::GetSysColor(COLOR_MENUTEXT);
    edgeX_ = ::GetSystemMetrics(SM_CXEDGE);
    edgeY_ = ::GetSystemMetrics(SM_CYEDGE);
    pending = current;
    hot = marked = picker::kNoItem;
    result = false;

    // The message font; 500 bytes is the structure's size on the systems this runs on.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = 500 < sizeof(metrics) ? 500 : sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));

    int textWidth = 0, textHeight = 0;
    if (HasAutomatic() || HasCustom()) {
        const WindowDC window(hwnd_);
        const HDC dc = window.get();
        const SelectedObject font(dc, font_.get());
        for (const std::wstring* caption : {&automaticCaption, &customCaption}) {
            if (caption->empty()) continue;
            SIZE size{};
            ::GetTextExtentPoint32W(dc, caption->c_str(), static_cast<int>(caption->size()), &size);
            textWidth = std::max<int>(textWidth, size.cx);
            textHeight = std::max<int>(textHeight, size.cy);
        }
    }
    layout = picker::ComputeLayout(HasAutomatic(), HasCustom(), textWidth, textHeight, edgeX_, edgeY_);

    RECT start = GetWindowRect();
    RECT buttonRect = button_->GetWindowRect();
    picker::Box box{start.left, start.top, start.left + layout.width, start.top + layout.height};
    box = picker::FitToScreen(box, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                              buttonRect.bottom - buttonRect.top);
    ::SetWindowPos(hwnd_, nullptr, box.left, box.top, box.Width(), box.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);

    marked = picker::MarkedItem(current, HasAutomatic(), HasCustom());
    ShowWindow(SW_SHOWNA);
    ::SetCapture(hwnd_);
}

RECT CPickerWnd::ItemRect(int item) const {
    picker::Box box;
    if (item == picker::kAutomaticBox) {
        box = layout.automatic;
    } else if (item == picker::kCustomBox) {
        box = layout.custom;
    } else if (item >= 0 && item < picker::kColourCount) {
        int left = layout.grid.left + (item % picker::kColumns) * picker::kCellSize;
        int top = layout.grid.top + (item / picker::kColumns) * picker::kCellSize;
        box = {left, top, left + picker::kCellSize, top + picker::kCellSize};
    }
    return RECT{box.left, box.top, box.right, box.bottom};
}

void CPickerWnd::PaintItem(HDC dc, int item) {
    RECT rect = ItemRect(item);
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    const bool isText = item == picker::kAutomaticBox || item == picker::kCustomBox;
    COLORREF textColour = text_;
    if (item != hot && item != marked) {
        Fill(dc, rect, menuBackground_);
    } else {
        COLORREF fill = item == hot ? hotFill_ : markedFill_;
        if (item == hot) textColour = hotText_;
        if (isText) {
            Fill(dc, rect, menuBackground_);
            rect = Inset(rect, 2);
        }
        Fill(dc, rect, frame_);
        rect = Inset(rect, 1);
        Fill(dc, rect, fill);
    }
    if (isText) {
        RECT text = Inset(ItemRect(item), 5);
        const std::wstring& caption = item == picker::kAutomaticBox ? automaticCaption : customCaption;
        const SelectedObject font(dc, font_.get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, textColour);
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        RECT swatch = Inset(ItemRect(item), 2);
        Fill(dc, swatch, ::GetSysColor(COLOR_BTNSHADOW));
        Fill(dc, Inset(swatch, 1), Swatch(picker::kPalette[static_cast<size_t>(item)]));
    }
}

void CPickerWnd::Paint(HDC dc) {
    RECT client = GetClientRect();
    if (flatMenu_) {
        Frame(dc, client, ::GetSysColor(COLOR_GRAYTEXT));
    } else {
        ::DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    }
    if (HasAutomatic()) PaintItem(dc, picker::kAutomaticBox);
    for (int i = 0; i < picker::kColourCount; ++i) PaintItem(dc, i);
    if (HasCustom()) PaintItem(dc, picker::kCustomBox);
}

void CPickerWnd::SetHot(int item) {
    int previous = hot;
    hot = item;
    {
        const WindowDC dc(hwnd_);
        if (previous != picker::kNoItem) PaintItem(dc.get(), previous);
        if (item != picker::kNoItem) PaintItem(dc.get(), item);
    }
    pending = picker::PendingColour(item, pending);
}

void CPickerWnd::OnKeyDown(WPARAM key) {
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        if (hot == picker::kNoItem) {
            pending = current;
            Close(false);
        } else {
            Close(true);
        }
        return;
    case VK_ESCAPE:
        pending = current;
        Close(false);
        return;
    case VK_LEFT:
        SetHot(picker::Step(hot, -1, HasAutomatic(), HasCustom()));
        return;
    case VK_RIGHT:
        SetHot(picker::Step(hot, 1, HasAutomatic(), HasCustom()));
        return;
    case VK_UP:
        SetHot(picker::Step(hot, -picker::kColumns, HasAutomatic(), HasCustom()));
        return;
    case VK_DOWN:
        SetHot(picker::Step(hot, picker::kColumns, HasAutomatic(), HasCustom()));
        return;
    default:
        return;
    }
}

void CPickerWnd::Close(bool choice) {
    if (!GetSafeHwnd() || closing_) return;
    closing_ = true;
    result = choice;
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    // The colour dialog runs before the pop-up is destroyed, not inside its destruction.
    if (result && hot == picker::kCustomBox) {
        ShowWindow(SW_HIDE);
        CHOOSECOLORW cc{};
        cc.lStructSize = sizeof(cc);
        cc.hwndOwner = ::GetAncestor(button_->GetSafeHwnd(), GA_ROOT);
        // An automatic colour is no colour value: the dialog starts from the colour the swatch shows.
        cc.rgbResult = Swatch(current == picker::kAutomatic ? defaultColour : current);
        cc.lpCustColors = g_customColours;
        cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
        if (::ChooseColorW(&cc))
            pending = cc.rgbResult;
        else
            result = false;
    }
    DestroyWindow();
}

void CPickerWnd::Destroyed() {
    if (result) current = pending;
    font_.reset();
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    if (button_ && button_->GetSafeHwnd()) button_->SendMessage(UWM_PICKER_CLOSED);
}

bool CPickerWnd::PreTranslateMessage(MSG& msg) {
    if (msg.hwnd != hwnd_ || msg.message == WM_DESTROY || ::GetCapture() == hwnd_) return false;
    // Capture lost to another window: the pop-up goes, as a cancel, and the message with it.
    Close(false);
    return true;
}

bool CPickerWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& res) {
    switch (message) {
    case WM_CREATE:
        Create();
        res = 0;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        Paint(dc);
        ::EndPaint(hwnd_, &ps);
        res = 0;
        return true;
    }
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        res = 0;
        return true;
    case WM_MOUSEMOVE: {
        int item = picker::HitTest(layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        if (item != hot) SetHot(item);
        res = 0;
        return true;
    }
    case WM_LBUTTONUP: {
        int item = picker::HitTest(layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        if (item != hot) SetHot(item);
        Close(item != picker::kNoItem);
        res = 0;
        return true;
    }
    case WM_RBUTTONDOWN:
        Close(false);
        res = 0;
        return true;
    case WM_DESTROY:
        Destroyed();
        res = 0;
        return true;
    default:
        return CWnd::OnMessage(message, wParam, lParam, res);
    }
}

} // namespace glyphpeek::trsetting
