#include "trsetting/setting_dialog.h"

#include <cwchar>
#include <vector>

#include "trsetting/define_file_io.h"
#include "trsetting/define_registry.h"
#include "trsetting/define_test_dialog.h"
#include "framework/ui/file_dialog.h"
#include "trsetting/program_text.h"
#include "trsetting/resource.h"
#include "trsetting/sample_texts.h"
#include "trsetting/shell_integration.h"
#include "winsupport/wide.h"

namespace glyphpeek::trsetting {
namespace {

constexpr int kTypeBoxes[] = {IDC_TYPE_TTF, IDC_TYPE_TTC, IDC_TYPE_OTF};  // font types 1, 2, 3
constexpr int kPreviewSize = 256;
constexpr wchar_t kPreviewFace[] = L"MS UI Gothic";

// Every position breaks a line and no character is a delimiter: long lines wrap wherever the edge is.
int CALLBACK BreakAnywhere(LPWSTR, int current, int, int code) { return code == WB_ISDELIMITER ? FALSE : current; }

template <size_t N>
void ReadItem(HWND dialog, int id, wchar_t (&field)[N]) {
    GetDlgItemTextW(dialog, id, field, static_cast<int>(N));
    field[N - 1] = L'\0';
}

int MessageFromProgram(HWND owner, unsigned text, unsigned caption, UINT type) {
    return MessageBoxW(owner, ProgramText(text).c_str(), ProgramText(caption).c_str(), type);
}

} // namespace

void CDefineList::Refill() {
    ResetContent();
    for (size_t i = 0; i < defines_.size(); ++i) AddString(L"");
}

void CDefineList::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= defines_.size()) return;  // the empty list's focus
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(item.hDC, TRANSPARENT);
    const SettingData& define = defines_[item.itemID];
    RECT text = item.rcItem;
    DrawTextW(item.hDC, define.DefineName, static_cast<int>(wcsnlen(define.DefineName, std::size(define.DefineName))),
              &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

CTRSettingDlg::CTRSettingDlg() : CDialog(IDD_SETTING_DIALOG) {
    HandleCommand(IDC_DEFINE_LIST, LBN_SELCHANGE, [this] { OnSelectionChange(); });
    HandleCommand(IDC_MOVE_UP, BN_CLICKED, [this] { OnMove(true); });
    HandleCommand(IDC_MOVE_DOWN, BN_CLICKED, [this] { OnMove(false); });
    HandleCommand(IDC_UPDATE, BN_CLICKED, [this] { OnUpdate(); });
    HandleCommand(IDC_DELETE, BN_CLICKED, [this] { OnDelete(); });
    HandleCommand(IDC_DELETE_ALL, BN_CLICKED, [this] { OnDeleteAll(); });
    HandleCommand(IDC_TEST, BN_CLICKED, [this] { OnTest(); });
    HandleCommand(IDC_SAMPLE_MENU, BN_CLICKED, [this] { OnSampleMenu(); });
    HandleCommand(IDC_EXPORT, BN_CLICKED, [this] { OnExport(); });
    HandleCommand(IDC_IMPORT, BN_CLICKED, [this] { OnImport(); });
    HandleCommand(IDC_SAMPLE_TEXT, EN_CHANGE, [this] {
        ResetWordBreak();
        RefreshPreview();
    });
    HandleCommand(IDC_FIT_SINGLE_LINE, BN_CLICKED, [this] { RefreshPreview(); });
    HandleCommand(IDC_KEEP_FONT_SIZE, BN_CLICKED, [this] { RefreshPreview(); });
    for (const SampleText& text : SampleTexts()) {
        const unsigned id = text.commandId;
        HandleCommand(static_cast<int>(id), 0, [this, id] { OnSampleText(id); });
    }
}

CTRSettingDlg::~CTRSettingDlg() = default;

void CTRSettingDlg::BindControls() {
    list_.SubclassDlgItem(IDC_DEFINE_LIST, *this);
    foreColor_.AttachControl(IDC_FORE_COLOR, *this);
    backColor1_.AttachControl(IDC_BACK_COLOR1, *this);
    backColor2_.AttachControl(IDC_BACK_COLOR2, *this);
}

BOOL CTRSettingDlg::OnInitDialog() {
    SetIconFromResource(GetModuleHandleW(nullptr), IDR_MAINFRAME);
    for (size_t i = 0; i < initialTypes_.size(); ++i) {
        initialTypes_[i] = IsFontTypeRegistered(static_cast<int>(i + 1));
        CheckDlgButton(hwnd_, kTypeBoxes[i], initialTypes_[i] ? BST_CHECKED : BST_UNCHECKED);
    }
    preview_ = imaging::ArgbBitmap(kPreviewSize, kPreviewSize);

    const std::wstring create = ProgramText(IDS_CREATE_COLOR), system = ProgramText(IDS_SYSTEM_COLOR),
                       automatic = ProgramText(IDS_AUTO_COLOR);
    foreColor_.SetTexts(system.c_str(), create.c_str());
    foreColor_.SetDefaultColor(GetSysColor(COLOR_WINDOWTEXT));
    backColor1_.SetTexts(automatic.c_str(), create.c_str());
    backColor1_.SetDefaultColor(GetSysColor(COLOR_WINDOW));
    backColor2_.SetTexts(system.c_str(), create.c_str());
    backColor2_.SetDefaultColor(GetSysColor(COLOR_WINDOW));

    ::SendMessageW(GetDlgItem(IDC_DEFINE_NAME), EM_LIMITTEXT, 10, 0);
    ::SendMessageW(GetDlgItem(IDC_CONDITION), EM_LIMITTEXT, 50, 0);
    ::SendMessageW(GetDlgItem(IDC_SAMPLE_TEXT), EM_LIMITTEXT, 250, 0);

    // The sample text in the template's face at 14 points, so scripts are legible while typed.
    const HWND sample = GetDlgItem(IDC_SAMPLE_TEXT);
    LOGFONTW face{};
    if (GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(sample, WM_GETFONT, 0, 0)), sizeof(face), &face)) {
        face.lfHeight = -MulDiv(14, GetDeviceCaps(WindowDC(hwnd_).get(), LOGPIXELSY), 72);
        face.lfWidth = 0;
        sampleFont_.reset(CreateFontIndirectW(&face));
        if (sampleFont_) ::SendMessageW(sample, WM_SETFONT, reinterpret_cast<WPARAM>(sampleFont_.get()), TRUE);
    }

    defines_.Replace(LoadDefineList());
    list_.Refill();
    SettingData fallback{};
    LoadSetting(-1, &fallback, 0);
    ShowDefine(fallback);
    UpdateMoveButtons();
    return TRUE;
}

std::optional<size_t> CTRSettingDlg::Selection() const {
    const int selected = list_.GetCurSel();
    if (selected < 0 || static_cast<size_t>(selected) >= defines_.size()) return std::nullopt;
    return static_cast<size_t>(selected);
}

void CTRSettingDlg::ShowDefine(const SettingData& define) {
    SettingData shown = define;
    shown.DefineName[std::size(shown.DefineName) - 1] = L'\0';
    shown.Condition[std::size(shown.Condition) - 1] = L'\0';
    shown.SampleText[std::size(shown.SampleText) - 1] = L'\0';
    SetDlgItemTextW(hwnd_, IDC_DEFINE_NAME, shown.DefineName);
    SetDlgItemTextW(hwnd_, IDC_CONDITION, shown.Condition);
    SetDlgItemTextW(hwnd_, IDC_SAMPLE_TEXT, shown.SampleText);
    // Shown as the renderer reads them (an imported define may hold other values): a switch is on only
    // at 1, a colour with any bit of its top byte is not set.
    CheckDlgButton(hwnd_, IDC_FIT_SINGLE_LINE, shown.FitSingleLine == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, IDC_KEEP_FONT_SIZE, shown.KeepFontSize == 1 ? BST_CHECKED : BST_UNCHECKED);
    const auto colour = [](uint32_t value) { return value & kColorNotSet ? kColorNotSet : value; };
    backColor1_.SetColor(colour(shown.BackColor1));
    backColor2_.SetColor(colour(shown.BackColor2));
    foreColor_.SetColor(colour(shown.ForeColor));
    RefreshPreview();
}

SettingData CTRSettingDlg::ReadEditor() const {
    SettingData define{};
    ReadItem(hwnd_, IDC_DEFINE_NAME, define.DefineName);
    ReadItem(hwnd_, IDC_CONDITION, define.Condition);
    ReadItem(hwnd_, IDC_SAMPLE_TEXT, define.SampleText);
    define.FitSingleLine = IsDlgButtonChecked(hwnd_, IDC_FIT_SINGLE_LINE) == BST_CHECKED ? 1 : 0;
    define.KeepFontSize = IsDlgButtonChecked(hwnd_, IDC_KEEP_FONT_SIZE) == BST_CHECKED ? 1 : 0;
    define.BackColor1 = backColor1_.GetColor();
    define.BackColor2 = backColor2_.GetColor();
    define.ForeColor = foreColor_.GetColor();
    return define;
}

void CTRSettingDlg::RefreshPreview() {
    if (!preview_) return;
    std::vector<FontData> faces(1);
    wcscpy(faces[0].faceName, kPreviewFace);
    wcscpy(faces[0].displayName, kPreviewFace);
    SettingData define = ReadEditor();
    DrawStringFromNames(preview_.get(), &define, &faces);
    PaintPreview(WindowDC(hwnd_).get());
}

void CTRSettingDlg::PaintPreview(HDC dc) {
    if (!preview_ || !dc) return;
    RECT frame{};
    ::GetWindowRect(GetDlgItem(IDC_PREVIEW), &frame);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&frame), 2);
    const int x = frame.left + (frame.right - frame.left - kPreviewSize) / 2;
    const int y = frame.top + (frame.bottom - frame.top - kPreviewSize) / 2 + 5;
    imaging::GpGraphics* graphics = nullptr;
    if (imaging::GdipCreateFromHDC(dc, &graphics) != imaging::Ok) return;
    imaging::GdipDrawImageRectI(graphics, reinterpret_cast<imaging::GpImage*>(preview_.get()), x, y, kPreviewSize,
                                kPreviewSize);
    imaging::GdipDeleteGraphics(graphics);
}

void CTRSettingDlg::UpdateMoveButtons() {
    const MoveButtons buttons = MoveButtonStates(Selection(), defines_.size());
    ::EnableWindow(GetDlgItem(IDC_MOVE_UP), buttons.up);
    ::EnableWindow(GetDlgItem(IDC_MOVE_DOWN), buttons.down);
}

void CTRSettingDlg::OnSelectionChange() {
    if (const auto selected = Selection()) ShowDefine(defines_[*selected]);
    UpdateMoveButtons();
}

void CTRSettingDlg::OnMove(bool up) {
    const auto selected = Selection();
    if (!selected) return;
    const bool moved = up ? defines_.MoveUp(*selected) : defines_.MoveDown(*selected);
    if (!moved) return;
    list_.SetCurSel(static_cast<int>(up ? *selected - 1 : *selected + 1));
    list_.Invalidate();
    UpdateMoveButtons();
}

void CTRSettingDlg::OnUpdate() {
    const SettingData define = ReadEditor();
    if (!define.DefineName[0]) {
        MessageFromProgram(hwnd_, IDS_NAME_MISSING, IDS_INFORMATION_CAPTION, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // An empty condition applies to every file: the defines after it would never be used.
    if (!define.Condition[0] &&
        MessageFromProgram(hwnd_, IDS_CONDITION_MISSING, IDS_CONFIRM_CAPTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const size_t before = defines_.size();
    defines_.Store(define);
    if (defines_.size() > before)
        list_.AddString(L"");
    else
        list_.Invalidate();
}

void CTRSettingDlg::OnDelete() {
    const auto selected = Selection();
    if (!selected) return;
    defines_.Remove(*selected);
    list_.DeleteString(static_cast<int>(*selected));
}

void CTRSettingDlg::OnDeleteAll() {
    if (MessageFromProgram(hwnd_, IDS_DELETE_ALL_QUESTION, IDS_CONFIRM_CAPTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    defines_.Clear();
    list_.Refill();
}

void CTRSettingDlg::OnTest() {
    CDefTestDlg test(defines_, this);
    test.DoModal();
}

void CTRSettingDlg::OnSampleMenu() {
    const ScopedMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_SAMPLE_MENU)));
    if (!menu) return;
    RECT button{};
    ::GetWindowRect(GetDlgItem(IDC_SAMPLE_MENU), &button);
    // The choice arrives as a menu command (OnSampleText); dismissing the menu changes nothing.
    TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, button.right - 1, button.top, 0,
                   hwnd_, nullptr);
}

void CTRSettingDlg::OnSampleText(unsigned commandId) {
    const SampleText* text = FindSampleText(commandId);
    if (!text) return;
    SetDlgItemTextW(hwnd_, IDC_SAMPLE_TEXT, std::wstring(AsWide(text->text)).c_str());
    ResetWordBreak();
    RefreshPreview();
}

void CTRSettingDlg::ResetWordBreak() {
    ::SendMessageW(GetDlgItem(IDC_SAMPLE_TEXT), EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(&BreakAnywhere));
}

namespace {

// The file dialogs of Export and Import: define files, or any file.
FileDialogOptions DefineFileOptions(HWND owner, const wchar_t* proposed, DWORD flags) {
    FileDialogOptions options;
    options.owner = owner;
    options.filter = ProgramText(IDS_DEFINE_FILTER);
    options.defaultExtension = L"gpd";
    options.fileName = proposed;
    options.flags = OFN_HIDEREADONLY | flags;
    return options;
}

} // namespace

void CTRSettingDlg::OnExport() {
    const auto path = ShowSaveFileDialog(DefineFileOptions(hwnd_, L"notitle.gpd", OFN_OVERWRITEPROMPT));
    if (!path) return;
    if (const DWORD error = WriteDefineFile(path->c_str(), defines_.items()))
        MessageBoxW(hwnd_, SystemErrorText(error).c_str(), nullptr, MB_OK | MB_ICONERROR);
}

void CTRSettingDlg::OnImport() {
    const auto path = ShowOpenFileDialog(DefineFileOptions(hwnd_, L"*.gpd", OFN_FILEMUSTEXIST));
    if (!path) return;
    DefineFileContents contents = ReadDefineFile(path->c_str());
    if (contents.error) {
        MessageBoxW(hwnd_, SystemErrorText(contents.error).c_str(), nullptr, MB_OK | MB_ICONERROR);
        return;
    }
    if (contents.status != DefineFileStatus::kOk) {
        const unsigned text =
            contents.status == DefineFileStatus::kWrongVersion ? IDS_WRONG_VERSION : IDS_NOT_DEFINE_FILE;
        MessageFromProgram(hwnd_, text, IDS_LOAD_ERROR_CAPTION, MB_OK | MB_ICONERROR);
        return;
    }
    defines_.Replace(std::move(contents.defines));
    list_.Refill();
}

void CTRSettingDlg::OnOK() {
    SaveDefineList(defines_.items());
    for (size_t i = 0; i < initialTypes_.size(); ++i) {
        const bool checked = IsDlgButtonChecked(hwnd_, kTypeBoxes[i]) == BST_CHECKED;
        if (checked == initialTypes_[i]) continue;  // unchanged: no registry work
        if (checked)
            RegisterFontType(static_cast<int>(i + 1));
        else
            UnregisterFontType(static_cast<int>(i + 1));
    }
    EndDialog(IDOK);
}

bool CTRSettingDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == UWM_COLOR_CLOSEUP) {
        RefreshPreview();
        result = 0;
        return true;
    }
    if (message == WM_PAINT && !IsIconic(hwnd_)) {
        // A dialog's own painting is its background (erased by BeginPaint); the controls paint themselves.
        PAINTSTRUCT paint{};
        if (HDC dc = BeginPaint(hwnd_, &paint)) {
            PaintPreview(dc);
            EndPaint(hwnd_, &paint);
        }
        result = 0;
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

} // namespace glyphpeek::trsetting
