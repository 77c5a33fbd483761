#pragma once
// The two control classes the programs derive from. Both take their notifications back from the
// parent (reflection): an owner-drawn control draws itself, a list box with item data frees it.
#include "framework/ui/window.h"

#include <string>

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int state);
    // Makes the button owner-drawn (the button type is replaced, other styles stay).
    void SetOwnerDraw();
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // The owner-drawn button's painting; called with the parent's WM_DRAWITEM.
    virtual void DrawItem(const DRAWITEMSTRUCT& item);
    // A notification of this button (BN_CLICKED and the like) before the parent's handlers see it;
    // true keeps it from them.
    virtual bool OnReflectedCommand(UINT code);
};

class CListBox : public CWnd {
public:
    // Index of the new item, or LB_ERR / LB_ERRSPACE. A list without LBS_HASSTRINGS keeps `text`'s
    // pointer as the item's data, as the control itself does.
    int AddString(const wchar_t* text);
    int InsertString(int index, const wchar_t* text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    // The item's text; empty for an index out of range.
    std::wstring GetText(int index) const;
    LPARAM GetItemData(int index) const;
    int SetItemData(int index, LPARAM data);
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // Owner-drawn lists: painting, height and the release of one item's data.
    virtual void DrawItem(const DRAWITEMSTRUCT& item);
    virtual void MeasureItem(MEASUREITEMSTRUCT& item);
    virtual void DeleteItem(const DELETEITEMSTRUCT& item);
};
