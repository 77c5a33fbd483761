#pragma once
// CTRSettingDlg: the settings program's main dialog. The defines are edited in memory, in priority
// order, with a live preview of the define in the editor, and reach the registry only on OK, together
// with the choice of font types the thumbnail handlers serve.
#include <array>
#include <memory>

#include "winsupport/scoped_handles.h"
#include "imaging/bitmap.h"
#include "trsetting/colour_picker.h"
#include "framework/ui/controls.h"
#include "trsetting/define_list.h"
#include "framework/ui/dialog.h"

namespace glyphpeek::trsetting {

// The define list box: one owner-drawn row per define of the model, showing its name.
class CDefineList : public CListBox {
public:
    explicit CDefineList(const DefineList& defines) : defines_(defines) {}
    // One row per define, none selected.
    void Refill();

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    const DefineList& defines_;
};

class CTRSettingDlg : public CDialog {
public:
    CTRSettingDlg();
    ~CTRSettingDlg() override;

    const DefineList& defines() const { return defines_; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ShowDefine(const SettingData& define);
    SettingData ReadEditor() const;
    void RefreshPreview();
    void PaintPreview(HDC dc);
    void UpdateMoveButtons();
    std::optional<size_t> Selection() const;

    void OnSelectionChange();
    void OnMove(bool up);
    void OnUpdate();
    void OnDelete();
    void OnDeleteAll();
    void OnTest();
    void OnSampleMenu();
    void OnSampleText(unsigned commandId);
    void OnExport();
    void OnImport();
    void ResetWordBreak();

    DefineList defines_;
    CDefineList list_{defines_};
    CColorPickButton foreColor_, backColor1_, backColor2_;
    std::array<bool, 3> initialTypes_{};  // .ttf, .ttc, .otf served when the dialog opened
    imaging::ArgbBitmap preview_;
    ScopedFont sampleFont_;
};

} // namespace glyphpeek::trsetting
