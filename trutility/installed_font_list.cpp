#include "trutility/installed_font_list.h"

#include <vector>

#include "winsupport/scoped_handles.h"
#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"

namespace {

// A value name can be this long; the name is kept, so no font is passed over for its name.
constexpr DWORD kValueNameUnits = 16384;

void FindIn(HKEY root, std::u16string_view target, std::u16string_view fontsFolder,
            std::vector<InstalledFontValue>& found) {
    ScopedRegKey key;
    if (RegOpenKeyExW(root, InstalledFontsKeyOf(root), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return;
    std::vector<wchar_t> name(kValueNameUnits);
    for (DWORD index = 0;; ++index) {
        wchar_t data[glyphpeek::kPathBufferUnits];
        DWORD nameUnits = kValueNameUnits;
        DWORD dataBytes = sizeof(data);
        DWORD type = REG_NONE;
        const LONG status = RegEnumValueW(key.get(), index, name.data(), &nameUnits, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        const std::u16string file =
            glyphpeek::InstalledFontFile(AsU16(data, dataBytes / sizeof(wchar_t)), type == REG_SZ, fontsFolder);
        if (!file.empty() && SamePathIgnoringCase(file, target))
            found.push_back({root, std::wstring(name.data(), nameUnits), file});
    }
}

} // namespace

bool SamePathIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    std::wstring x(AsWide(a)), y(AsWide(b));
    if (!x.empty()) {
        CharUpperBuffW(x.data(), static_cast<DWORD>(x.size()));
        CharUpperBuffW(y.data(), static_cast<DWORD>(y.size()));
    }
    return x == y;
}

std::vector<InstalledFontValue> FindListedFont(HKEY root, std::u16string_view target, std::u16string_view fontsFolder) {
    std::vector<InstalledFontValue> found;
    FindIn(root, target, fontsFolder, found);
    return found;
}

std::vector<InstalledFontValue> FindInstalledFont(std::u16string_view target, std::u16string_view fontsFolder) {
    std::vector<InstalledFontValue> found;
    FindIn(HKEY_LOCAL_MACHINE, target, fontsFolder, found);
    FindIn(HKEY_CURRENT_USER, target, fontsFolder, found);
    return found;
}
