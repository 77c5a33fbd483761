#include "framework/ui/controls.h"

int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }

void CButton::SetOwnerDraw() {
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    Invalidate();
}

bool CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message == WM_COMMAND) {
        result = 0;
        return OnReflectedCommand(HIWORD(wParam));
    }
    return false;
}

void CButton::DrawItem(const DRAWITEMSTRUCT&) {}
bool CButton::OnReflectedCommand(UINT) { return false; }

int CListBox::AddString(const wchar_t* text) {
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CListBox::InsertString(int index, const wchar_t* text) {
    return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}

int CListBox::DeleteString(int index) {
    return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index)));
}

void CListBox::ResetContent() { SendMessage(LB_RESETCONTENT); }
int CListBox::GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
int CListBox::GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
int CListBox::SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }

std::wstring CListBox::GetText(int index) const {
    LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0) return {};
    // The buffer is sized by the control's own answer, plus the terminator.
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR || copied < 0) return {};
    text.resize(static_cast<size_t>(copied) < text.size() ? static_cast<size_t>(copied) : text.size() - 1);
    return text;
}

LPARAM CListBox::GetItemData(int index) const { return SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)); }

int CListBox::SetItemData(int index, LPARAM data) {
    return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), data));
}

bool CListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_MEASUREITEM:
        MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        break;
    case WM_DELETEITEM:
        DeleteItem(*reinterpret_cast<const DELETEITEMSTRUCT*>(lParam));
        break;
    default:
        return false;
    }
    result = TRUE;
    return true;
}

void CListBox::DrawItem(const DRAWITEMSTRUCT&) {}
void CListBox::MeasureItem(MEASUREITEMSTRUCT&) {}
void CListBox::DeleteItem(const DELETEITEMSTRUCT&) {}
