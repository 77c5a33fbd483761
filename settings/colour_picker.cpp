#include "colour_picker.h"

#include <commctrl.h>
#include <commdlg.h>
#include <vssym32.h>

#include <algorithm>

#include "SystemLibraries.h"

namespace glyphpeek::settings {

namespace {
using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);

// The visual-styles library, loaded by the first theme handle and freed by the last one.
struct ThemeLibrary {
    int count = 0;
    HMODULE module = nullptr;
    OpenThemeDataFn open = nullptr;
    CloseThemeDataFn close = nullptr;
    DrawThemeBackgroundFn draw = nullptr;
} g_theme;

constexpr wchar_t kPickerClass[] = L"GlyphpeekColorPicker";

COLORREF Swatch(uint32_t colour) { return static_cast<COLORREF>(colour & 0x00FFFFFF); }

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

void Frame(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FrameRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

RECT Inset(RECT rect, int d) {
    ::InflateRect(&rect, -d, -d);
    return rect;
}

// Custom colours of the colour dialog, kept for the life of the program.
COLORREF g_customColours[16] = {};
}  // namespace

CThemeHandle::CThemeHandle() {
    if (g_theme.count++ == 0) {
        g_theme.module = LoadSystemLibrary(L"UxTheme.dll");
        if (g_theme.module) {
            g_theme.open = reinterpret_cast<OpenThemeDataFn>(
                reinterpret_cast<void*>(::GetProcAddress(g_theme.module, "OpenThemeData")));
            g_theme.close = reinterpret_cast<CloseThemeDataFn>(
                reinterpret_cast<void*>(::GetProcAddress(g_theme.module, "CloseThemeData")));
            g_theme.draw = reinterpret_cast<DrawThemeBackgroundFn>(
                reinterpret_cast<void*>(::GetProcAddress(g_theme.module, "DrawThemeBackground")));
        }
    }
}

CThemeHandle::~CThemeHandle() {
    Close();
    if (--g_theme.count == 0 && g_theme.module) {
        ::FreeLibrary(g_theme.module);
        g_theme = {};
    }
}

void CThemeHandle::Close() {
    if (theme_ && g_theme.close) g_theme.close(theme_);
    theme_ = nullptr;
}

bool CThemeHandle::Open(const wchar_t* className) {
    if (!g_theme.module || !g_theme.open) return false;
    Close();
    theme_ = g_theme.open(nullptr, className);
    if (theme_) {
        lstrcpynW(className_, className, 10);
        return true;
    }
    className_[0] = L'\0';
    return false;
}

void CThemeHandle::Reopen() {
    if (!theme_ || !className_[0]) return;
    wchar_t name[10];
    lstrcpynW(name, className_, 10);
    Open(name);
}

bool CThemeHandle::DrawBackground(HDC dc, int part, int state, const RECT& rect) const {
    return theme_ && g_theme.draw && SUCCEEDED(g_theme.draw(theme_, dc, part, state, &rect, nullptr));
}

// CPickerWnd

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
        font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);

    int textWidth = 0, textHeight = 0;
    if (HasAutomatic() || HasCustom()) {
        HDC dc = ::GetDC(hwnd_);
        HGDIOBJ old = font_ ? ::SelectObject(dc, font_) : nullptr;
        for (const std::wstring* caption : {&automaticCaption, &customCaption}) {
            if (caption->empty()) continue;
            SIZE size{};
            ::GetTextExtentPoint32W(dc, caption->c_str(), static_cast<int>(caption->size()), &size);
            textWidth = std::max<int>(textWidth, size.cx);
            textHeight = std::max<int>(textHeight, size.cy);
        }
        if (old) ::SelectObject(dc, old);
        ::ReleaseDC(hwnd_, dc);
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
        HGDIOBJ old = font_ ? ::SelectObject(dc, font_) : nullptr;
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, textColour);
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (old) ::SelectObject(dc, old);
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
    HDC dc = ::GetDC(hwnd_);
    if (previous != picker::kNoItem) PaintItem(dc, previous);
    if (item != picker::kNoItem) PaintItem(dc, item);
    ::ReleaseDC(hwnd_, dc);
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
    if (font_) ::DeleteObject(font_);
    font_ = nullptr;
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

// CColorPickButton

CColorPickButton::CColorPickButton() = default;

bool CColorPickButton::AttachControl(int id, const CWnd& dialog) {
    if (!SubclassDlgItem(id, dialog)) return false;
    SetOwnerDraw();
    theme_.Open(L"Button");
    return true;
}

void CColorPickButton::SetTexts(const wchar_t* automaticCaption, const wchar_t* customCaption) {
    picker_.automaticCaption = automaticCaption ? automaticCaption : L"";
    picker_.customCaption = customCaption ? customCaption : L"";
}

void CColorPickButton::SetDefaultColor(uint32_t colour) { picker_.defaultColour = colour; }

void CColorPickButton::SetColor(uint32_t colour) {
    picker_.current = colour;
    if (GetSafeHwnd()) Invalidate();
}

bool CColorPickButton::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && picker_.GetSafeHwnd()) {
        picker_.SendMessage(WM_KEYDOWN, msg.wParam, msg.lParam);
        return true;
    }
    return false;
}

bool CColorPickButton::OnReflectedCommand(UINT code) {
    if (code != BN_CLICKED) return false;
    OpenPopup();
    return true;
}

void CColorPickButton::OpenPopup() {
    Invalidate();
    picker_.Open(*this);
}

bool CColorPickButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!hot_) {
            hot_ = true;
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = hwnd_;
            ::_TrackMouseEvent(&track);
            Invalidate();
        }
        break;  // the button's own handling follows
    case WM_MOUSELEAVE:
        hot_ = false;
        Invalidate();
        break;
    case UWM_PICKER_CLOSED:
        Invalidate();
        ::SendMessageW(GetParent(), UWM_COLOR_CLOSEUP, reinterpret_cast<WPARAM>(this),
                       static_cast<LPARAM>(picker_.current));
        result = 0;
        return true;
    case WM_THEMECHANGED:
        theme_.Reopen();
        break;
    default:
        break;
    }
    return CButton::OnMessage(message, wParam, lParam, result);
}

void CColorPickButton::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool isDefault = (item.itemState & ODS_DEFAULT) != 0;
    if (!theme_.DrawBackground(dc, BP_PUSHBUTTON, picker::ButtonStateId(disabled, selected, hot_, isDefault), rect)) {
        UINT state = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (selected) state |= DFCS_PUSHED;
        if (disabled) state |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, &rect, DFC_BUTTON, state);
        if (selected) ::OffsetRect(&rect, 1, 1);
    }
    const int edgeX = ::GetSystemMetrics(SM_CXEDGE), edgeY = ::GetSystemMetrics(SM_CYEDGE);
    ::InflateRect(&rect, -edgeX, -edgeY);

    // The arrow: 4 wide at the top, 2 high, centred vertically.
    const int arrowRight = rect.right - edgeX / 2 - 2;
    const int arrowLeft = arrowRight - 4;
    const int arrowTop = (rect.top + rect.bottom) / 2 - 1;
    POINT arrow[3] = {{arrowLeft, arrowTop}, {arrowRight, arrowTop}, {(arrowLeft + arrowRight) / 2, arrowTop + 2}};
    COLORREF arrowColour = ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    HBRUSH brush = ::CreateSolidBrush(arrowColour);
    HPEN pen = ::CreatePen(PS_SOLID, 1, arrowColour);
    HGDIOBJ oldBrush = ::SelectObject(dc, brush);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::Polygon(dc, arrow, 3);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(pen);
    ::DeleteObject(brush);

    ::InflateRect(&rect, -2, -2);
    rect.right = arrowLeft - edgeX / 2;
    ::DrawEdge(dc, &rect, EDGE_ETCHED, BF_RIGHT);
    rect.right -= 2 * edgeX + 1;
    if (!disabled && rect.right > rect.left && rect.bottom > rect.top) {
        uint32_t shown = picker_.current == picker::kAutomatic ? picker_.defaultColour : picker_.current;
        Fill(dc, rect, Swatch(shown));
        Frame(dc, rect, RGB(0, 0, 0));
    }
}

}  // namespace glyphpeek::settings
