#include "trsetting/define_registry.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "winsupport/scoped_handles.h"
#include "winsupport/product_identities.h"

namespace glyphpeek::trsetting {
namespace {

constexpr const wchar_t* kDefinesKey = glyphpeek::ids::kProductKey;

std::wstring DefineKeyName(size_t index) { return L"Define" + std::to_wstring(index); }

// Written through its terminator; a text that fills its field is cut by one unit, as the reader keeps it.
template <size_t N>
void WriteText(HKEY key, const wchar_t* name, const wchar_t (&field)[N]) {
    std::wstring text(field, wcsnlen(field, N));
    if (text.size() == N) text.pop_back();
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void WriteNumber(HKEY key, const wchar_t* name, uint32_t value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

} // namespace

std::vector<SettingData> LoadDefineList() {
    std::vector<SettingData> defines;
    for (int index = 0;; ++index) {
        SettingData define{};
        if (LoadSetting(index, &define, 0) != 1) break;
        defines.push_back(define);
    }
    return defines;
}

void SaveDefineList(std::span<const SettingData> defines) {
    for (size_t j = 0; j < defines.size(); ++j) {
        HKEY created = nullptr;
        const std::wstring path = std::wstring(kDefinesKey) + L"\\" + DefineKeyName(j);
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &created,
                            nullptr) != ERROR_SUCCESS)
            continue;
        const ScopedRegKey key(created);
        const SettingData& define = defines[j];
        WriteText(key.get(), L"Condition", define.Condition);
        WriteText(key.get(), L"DefineName", define.DefineName);
        WriteText(key.get(), L"SampleText", define.SampleText);
        WriteNumber(key.get(), L"FitSingleLine", static_cast<uint32_t>(define.FitSingleLine));
        WriteNumber(key.get(), L"KeepFontSize", static_cast<uint32_t>(define.KeepFontSize));
        WriteNumber(key.get(), L"BackColor1", define.BackColor1);
        WriteNumber(key.get(), L"BackColor2", define.BackColor2);
        WriteNumber(key.get(), L"ForeColor", define.ForeColor);
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDefinesKey, 0, KEY_READ | KEY_WRITE, &opened) != ERROR_SUCCESS) return;
    const ScopedRegKey definesKey(opened);
    // The keys the list no longer fills, up to the first gap: the readers stop there anyway. (SHDeleteKeyW
    // rather than RegDeleteTreeW, which 64-bit XP lacks.)
    for (size_t k = defines.size(); SHDeleteKeyW(definesKey.get(), DefineKeyName(k).c_str()) == ERROR_SUCCESS; ++k) {
    }
}

} // namespace glyphpeek::trsetting
