#include "trutility/removal_messages.h"

#include <iterator>

#include "core/virtual_font_stub.h"
#include "trutility/module.h"
#include "trutility/resource.h"
#include "winsupport/wide.h"

namespace {

// The system's words for an error, on one line.
std::wstring ErrorText(DWORD error) {
    wchar_t text[512] = {};
    DWORD units = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                 static_cast<DWORD>(std::size(text)), nullptr);
    while (units > 0 && (text[units - 1] == L'\r' || text[units - 1] == L'\n' || text[units - 1] == L' ')) --units;
    if (units == 0) return Fill(LoadText(IDS_REASON_ERROR_CODE), {std::to_wstring(error)});
    return std::wstring(text, units);
}

// The question lists this many fonts, then how many more there are: a message box does not scroll.
constexpr size_t kListedInQuestion = 10;

} // namespace

std::wstring LoadText(UINT id) {
    wchar_t text[255] = {};
    const int units = LoadStringW(UtilityInstance(), id, text, static_cast<int>(std::size(text)));
    return units > 0 ? std::wstring(text, units) : std::wstring();
}

std::wstring Fill(const std::wstring& pattern, std::initializer_list<std::wstring> arguments) {
    std::wstring text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (pattern[i] == L'%' && next >= L'1' && static_cast<size_t>(next - L'1') < arguments.size()) {
            text += arguments.begin()[next - L'1'];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::wstring FontName(const std::vector<InstalledFontValue>& found) {
    return found.front().valueName.empty() ? std::wstring(AsWide(glyphpeek::FileNamePart(found.front().file)))
                                           : found.front().valueName;
}

void Report(const std::vector<std::wstring>& fonts, const RemovalFailure& failure) {
    if (fonts.empty()) return;
    std::wstring reason = LoadText(failure.reason);
    if (failure.error != ERROR_SUCCESS) reason = Fill(reason, {ErrorText(failure.error)});
    std::wstring names;
    for (const std::wstring& font : fonts) names += (names.empty() ? L"" : L", ") + font;
    const UINT text = fonts.size() == 1 ? IDS_REMOVAL_FAILED : IDS_REMOVALS_FAILED;
    MessageBoxW(nullptr, Fill(LoadText(text), {names, reason}).c_str(), LoadText(IDS_REMOVAL_CAPTION).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

bool ConfirmElevatedRemoval(const std::vector<NamedFont>& fonts) {
    std::wstring list;
    const std::wstring line = LoadText(IDS_ELEVATION_FONT);
    for (size_t i = 0; i < fonts.size() && i < kListedInQuestion; ++i) list += Fill(line, {fonts[i].name, fonts[i].file}) + L"\r\n";
    if (fonts.size() > kListedInQuestion)
        list += Fill(LoadText(IDS_ELEVATION_MORE), {std::to_wstring(fonts.size() - kListedInQuestion)}) + L"\r\n";
    return MessageBoxW(nullptr, Fill(LoadText(IDS_ELEVATION_QUESTION), {list}).c_str(),
                       LoadText(IDS_REMOVAL_CAPTION).c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
