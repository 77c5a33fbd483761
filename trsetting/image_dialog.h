#pragma once
// CImageDialog: one face of a font file (or of the font a stub names) set as a PNG picture; the settings
// program's side of the context menu's Output as picture.
#include <string>
#include <vector>

#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "framework/ui/dialog.h"

namespace glyphpeek::trsetting {

class CImageDialog : public CDialog {
public:
    explicit CImageDialog(std::wstring fontPath, CWnd* parent = nullptr);
    ~CImageDialog() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    bool LoadFaces();
    void ClampSize();
    void ChooseTarget();

    std::wstring path_;  // the font file; a stub's target once the dialog has opened
    std::vector<FontData> faces_;
};

} // namespace glyphpeek::trsetting
