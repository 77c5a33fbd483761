#include "trsetting/colour_picker.h"

#include <commctrl.h>
#include <vssym32.h>

#include "winsupport/scoped_handles.h"
#include "trsetting/colour_swatch.h"

namespace glyphpeek::trsetting {

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
    {
        const ScopedBrush brush(::CreateSolidBrush(arrowColour));
        const ScopedPen pen(::CreatePen(PS_SOLID, 1, arrowColour));
        const SelectedObject brushSelected(dc, brush.get());
        const SelectedObject penSelected(dc, pen.get());
        ::Polygon(dc, arrow, 3);
    }

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

} // namespace glyphpeek::trsetting
