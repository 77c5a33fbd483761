// The define store: defines are read from the per-user registry, one key per define in priority order.
#include "trutility/TRUtility.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cstdio>
#include <iterator>
#include <cwchar>
#include <new>

#include "winsupport/scoped_handles.h"
#include "core/condition_pattern.h"
#include "trutility/module.h"
#include "trutility/resource.h"
#include "winsupport/wide.h"

namespace {

constexpr wchar_t kDefineKeyFormat[] = L"SOFTWARE\\Ormsby Software\\Typorama\\Define%d";
// Room the default name had in the settings program's first layout; larger numbers use the whole field.
constexpr size_t kDefaultNameUnits = 10;

void ResetSetting(SettingData& setting) {
    setting = SettingData{};
    setting.BackColor1 = kColorNotSet;
    setting.BackColor2 = kColorNotSet;
    setting.ForeColor = kColorNotSet;
}

// A text value becomes the field byte for byte, whatever its registry type; a value that does not fit
// or cannot be read leaves the field empty. The last unit is always a terminator, so a value that
// fills the whole field loses its last unit rather than running into the next field.
template <size_t N>
void ReadText(HKEY key, const wchar_t* name, wchar_t (&field)[N]) {
    std::memset(field, 0, sizeof(field));
    // One unit of slack: Wine's registry appends a terminator to string data stored without one, so a
    // text that exactly fills the field arrives one unit longer.
    wchar_t buffer[N + 1] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return;
    if (size > sizeof(field) && buffer[N] != L'\0') return;  // longer than the field: unreadable
    std::memcpy(field, buffer, std::min<DWORD>(size, sizeof(field)));
    field[N - 1] = L'\0';
}

DWORD ReadDword(HKEY key, const wchar_t* name, DWORD fallback) {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return fallback;
    return value;
}

// Switches are on only when stored as exactly 1.
int32_t ReadSwitch(HKEY key, const wchar_t* name, int32_t fallback) {
    return ReadDword(key, name, static_cast<DWORD>(fallback)) == 1 ? 1 : 0;
}

// "Define%02d" with index + 1. Up to 999 the name keeps to the 10 units it always had; larger
// numbers use the whole field so that their digits stay whole.
void FormatDefaultName(int index, wchar_t (&field)[15]) {
    wchar_t format[255] = {};
    if (LoadStringW(UtilityInstance(), IDS_DEFAULT_DEFINE_NAME, format, 255) <= 0) wcscpy(format, L"Define%02d");
    const int number = index < INT_MAX ? index + 1 : index;
    wchar_t name[300] = {};
    _snwprintf(name, 299, format, number);
    const size_t limit = number <= 999 ? kDefaultNameUnits : std::size(field);
    wcsncpy(field, name, limit - 1);
    field[limit - 1] = L'\0';
}

} // namespace

int LoadSetting(int index, SettingData* setting, int mode) {
    if (!setting) return 0;
    ResetSetting(*setting);
    if (index < 0) return 1;  // the standard define

    wchar_t path[100];
    _snwprintf(path, 99, kDefineKeyFormat, index);
    path[99] = L'\0';
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;

    ReadText(key.get(), L"Condition", setting->Condition);
    if (mode == kLoadConditionOnly) return 1;

    ReadText(key.get(), L"DefineName", setting->DefineName);
    if (setting->DefineName[0] == L'\0') FormatDefaultName(index, setting->DefineName);
    setting->FitSingleLine = ReadSwitch(key.get(), L"FitSingleLine", 0);
    setting->KeepFontSize = ReadSwitch(key.get(), L"KeepFontSize", 1);
    setting->BackColor1 = ReadDword(key.get(), L"BackColor1", 0x00FFFFFF);
    setting->BackColor2 = ReadDword(key.get(), L"BackColor2", 0x00FFFFFF);
    setting->ForeColor = ReadDword(key.get(), L"ForeColor", 0x00000000);
    ReadText(key.get(), L"SampleText", setting->SampleText);
    return 1;
}

namespace {

// The first define whose condition is empty or matches, else the standard define (-1).
int SelectDefine(const wchar_t* fileName) {
    const std::u16string_view name = fileName ? AsU16(fileName, wcslen(fileName)) : std::u16string_view{};
    SettingData candidate;
    for (int index = 0; index >= 0 && LoadSetting(index, &candidate, kLoadConditionOnly); ++index) {
        const std::u16string_view condition = FieldText(candidate.Condition);
        // Without a file name only a condition that needs none applies.
        if (condition.empty() || (fileName && glyphpeek::ConditionApplies(condition, name))) return index;
    }
    return -1;
}

} // namespace

extern "C" SettingData* LoadDefine(SettingData* out, const wchar_t* fileName) {
    if (!out) return out;
    SettingData selected;
    try {
        if (!LoadSetting(SelectDefine(fileName), &selected, 0)) LoadSetting(-1, &selected, 0);
    } catch (...) {
        // Out of memory while selecting: fall back to the standard define.
        LoadSetting(-1, &selected, 0);
    }
    *out = selected;
    return out;
}
