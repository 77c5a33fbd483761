#include "trsetting/image_dialog.h"

#include <memory>
#include <cwchar>

#include "framework/ui/file_dialog.h"
#include "winsupport/path_parts.h"

#include "trsetting/picture_output.h"
#include "trsetting/picture_size.h"
#include "trsetting/program_text.h"
#include "trsetting/resource.h"

namespace glyphpeek::trsetting {
namespace {

// IDS_SAVE_FAILED with the path for "%s" and the status for "%d"; replaced here, never read as a format.
std::wstring SaveFailedText(const std::wstring& target, int status) {
    std::wstring text = ProgramText(IDS_SAVE_FAILED);
    if (const size_t at = text.find(L"%s"); at != std::wstring::npos) text.replace(at, 2, target);
    if (const size_t at = text.find(L"%d"); at != std::wstring::npos) text.replace(at, 2, std::to_wstring(status));
    return text;
}

} // namespace

CImageDialog::CImageDialog(std::wstring fontPath, CWnd* parent)
    : CDialog(IDD_IMAGE_DIALOG, parent), path_(std::move(fontPath)) {
    if (path_.size() >= MAX_PATH) path_.resize(MAX_PATH - 1);
    HandleCommand(IDC_IMAGE_SIZE, EN_KILLFOCUS, [this] { ClampSize(); });
    HandleCommand(IDC_IMAGE_BROWSE, BN_CLICKED, [this] { ChooseTarget(); });
}

CImageDialog::~CImageDialog() = default;

bool CImageDialog::LoadFaces() {
    wchar_t target[MAX_PATH] = {};
    if (!ConvVFontPathFromFile(path_.c_str(), target)) return false;  // a stub that cannot be read
    target[MAX_PATH - 1] = L'\0';
    if (target[0]) path_ = target;
    GetFontDataFromFile(path_.c_str(), &faces_);
    return !faces_.empty();
}

BOOL CImageDialog::OnInitDialog() {
    SetIconFromResource(GetModuleHandleW(nullptr), IDR_MAINFRAME, false);
    if (!LoadFaces()) {
        MessageBoxW(hwnd_, ProgramText(IDS_NO_FONT_INFORMATION).c_str(), ProgramText(IDS_LOAD_ERROR_CAPTION).c_str(),
                    MB_OK | MB_ICONERROR);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    const HWND faces = GetDlgItem(IDC_IMAGE_FACE);
    for (FontData& face : faces_) {
        face.faceName[std::size(face.faceName) - 1] = L'\0';
        ::SendMessageW(faces, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.faceName));
    }
    ::SendMessageW(faces, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(hwnd_, IDC_IMAGE_SIZE, L"20");
    const HWND units = GetDlgItem(IDC_IMAGE_UNIT);
    ::SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"px"));
    ::SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"pt"));
    ::SendMessageW(units, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(hwnd_, IDC_IMAGE_TEXT, L"Sample Text");
    CheckDlgButton(hwnd_, IDC_IMAGE_ANTIALIAS, BST_CHECKED);
    SetDlgItemTextW(hwnd_, IDC_IMAGE_TARGET, DefaultPictureTarget(path_).c_str());
    return TRUE;
}

void CImageDialog::ClampSize() {
    const std::wstring text = GetDlgItemText(IDC_IMAGE_SIZE);
    const int size = ClampPictureSize({reinterpret_cast<const char16_t*>(text.data()), text.size()});
    SetDlgItemTextW(hwnd_, IDC_IMAGE_SIZE, std::to_wstring(size).c_str());
}

void CImageDialog::ChooseTarget() {
    FileDialogOptions options;
    options.owner = hwnd_;
    options.filter = ProgramText(IDS_PNG_FILTER);
    options.defaultExtension = L"*.png";
    options.fileName = L"notitle.png";
    options.initialFolder = SplitPath(path_).folder;
    options.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (const auto chosen = ShowSaveFileDialog(options)) SetDlgItemTextW(hwnd_, IDC_IMAGE_TARGET, chosen->c_str());
}

void CImageDialog::OnOK() {
    PictureRequest request;
    request.target = GetDlgItemText(IDC_IMAGE_TARGET);
    const std::wstring size = GetDlgItemText(IDC_IMAGE_SIZE);
    request.size = ClampPictureSize({reinterpret_cast<const char16_t*>(size.data()), size.size()});
    request.text = GetDlgItemText(IDC_IMAGE_TEXT).substr(0, std::size(SettingData{}.SampleText) - 1);
    request.points = ::SendMessageW(GetDlgItem(IDC_IMAGE_UNIT), CB_GETCURSEL, 0, 0) == 1;
    request.antialias = IsDlgButtonChecked(hwnd_, IDC_IMAGE_ANTIALIAS) == BST_CHECKED;
    // The chosen face, registered for the characters the picture shows only while it is made.
    const LRESULT chosen = ::SendMessageW(GetDlgItem(IDC_IMAGE_FACE), CB_GETCURSEL, 0, 0);
    const size_t index = chosen >= 0 && static_cast<size_t>(chosen) < faces_.size() ? static_cast<size_t>(chosen) : 0;
    request.shownName = faces_[index].faceName;
    wchar_t engineName[std::size(FontData{}.faceName)] = {};
    const std::unique_ptr<void, void (*)(void*)> registration(
        RegisterFontFace(path_.c_str(), static_cast<int>(index),
                         (request.text.empty() ? request.shownName : request.text).c_str(), engineName),
        ReleaseFontFace);
    request.faceName = engineName;
    const imaging::GpStatus status = WritePicture(request);
    if (status != imaging::Ok) {
        // The dialog stays, with everything as it was, for another try.
        MessageBoxW(hwnd_, SaveFailedText(request.target, static_cast<int>(status)).c_str(),
                    ProgramText(IDS_ERROR_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    EndDialog(IDOK);
}

} // namespace glyphpeek::trsetting
