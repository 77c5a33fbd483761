#include "typorama/font_installer.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <span>
#include <vector>

#include "winsupport/scoped_handles.h"
#include "imaging/font_engine.h"
#include "core/font_road.h"
#include "core/font_sanitiser.h"
#include "winsupport/fonts_folder.h"
#include "core/name_table.h"
#include "core/sfnt_reader.h"
#include "imaging/read_file.h"
#include "typorama/resource.h"
#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"

namespace glyphpeek::typorama {
namespace {

constexpr size_t kFamilyNameUnits = 31;  // a 32-unit field with its terminator
constexpr size_t kValueNameUnits = 999;  // a 1000-unit buffer with its terminator
// A window that does not answer the font change in this time is passed over, so a hung program
// cannot hang Explorer's menu thread.
constexpr UINT kBroadcastTimeoutMs = 2000;

std::wstring FontsFolder() {
    std::wstring path = FontsFolderPath();
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::vector<std::u16string> FamilyNames(std::span<const std::uint8_t> bytes) {
    // A file the collection reader refuses (CFF OpenType) is still a font when its name table says so.
    const auto families = ReadFontCollection(bytes);
    if (!families) {
        const auto named = ReadNameTableFace(bytes, imaging::DecodeAnsiName);
        if (!named || named->familyName.empty()) return {};
        return {named->familyName};
    }
    std::vector<std::u16string> names;
    for (const FontFamilyInfo& family : *families) names.push_back(family.name);
    return names;
}

// The file's bytes when Windows could install them: a TrueType, OpenType or collection file that the
// sanitiser passes whole. Read once, not mapped (a page error of removable or network media must not
// crash Explorer), so the bytes checked are the bytes installed.
enum class Checked { kFont, kNoFont, kRefused };
Checked CheckFont(const wchar_t* path, std::vector<std::uint8_t>& bytes) {
    imaging::ReadFileBytes file(path);
    if (!file) return Checked::kNoFont;
    bytes = file.Take();
    switch (DetectFontFormat(bytes)) {
    case FontFormat::kTrueType:
    case FontFormat::kCff:
    case FontFormat::kCollection: break;
    default: return Checked::kNoFont;  // web fonts are for browsers, not for Windows' font list
    }
    return SanitiseFont(bytes) && SanitiserPasses(bytes) ? Checked::kFont : Checked::kRefused;
}

// Writes exactly `bytes` to a file that did not exist; false (and nothing left behind) otherwise.
bool WriteNewFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    bool written = false;
    {
        const ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
        if (!file) return false;  // already there (left alone) or not writable
        written = true;
        for (size_t done = 0; written && done < bytes.size();) {
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
            DWORD wrote = 0;
            written = WriteFile(file.get(), bytes.data() + done, want, &wrote, nullptr) && wrote == want;
            done += wrote;
        }
    }
    if (!written) DeleteFileW(path.c_str());
    return written;
}

enum class Entry { kEntered, kNameTaken, kNotWritten };

// Enters the file in the installed-font list under a name no value there has yet: a value of the same
// name is another font's (or another program's) and is never replaced.
Entry EnterInstalledFont(const std::wstring& valueName, std::wstring_view fileName) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_READ | KEY_WRITE, &opened) != ERROR_SUCCESS)
        return Entry::kNotWritten;
    const ScopedRegKey key(opened);
    const LONG existing = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (existing == ERROR_SUCCESS || existing == ERROR_MORE_DATA) return Entry::kNameTaken;
    const std::wstring data(fileName);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
                   ERROR_SUCCESS
               ? Entry::kEntered
               : Entry::kNotWritten;
}

// IDS_INSTALLED with its "%s" standing for the file name. Replaced here rather than formatted, so a
// language library's text is never read as a format.
std::wstring InstalledMessage(const std::wstring& pattern, std::wstring_view fileName) {
    std::wstring message = pattern;
    const size_t at = message.find(L"%s");
    if (at != std::wstring::npos) message.replace(at, 2, fileName);
    return std::wstring(CutWhole(message, kValueNameUnits));
}

} // namespace

std::wstring InstalledFontName(std::span<const std::u16string> families) {
    std::wstring name;
    for (const std::u16string& family : families) {
        if (!name.empty()) name += L" & ";
        name += CutWhole(AsWide(family), kFamilyNameUnits);
    }
    return std::wstring(CutWhole(name, kValueNameUnits));
}

void InstallFonts(const extension_common::FileSelection& selection, extension_common::TextSource text) {
    const std::wstring folder = FontsFolder();
    if (folder.empty()) return;
    for (size_t i = 0; i < selection.size(); ++i) {
        const wchar_t* source = selection.path(i);
        const std::wstring_view fileName = AsWide(FileNamePart(AsU16(source, wcsnlen(source, MAX_PATH))));
        if (fileName.empty()) continue;
        const std::wstring destination = folder + std::wstring(fileName);
        if (destination.size() >= MAX_PATH) continue;
        std::vector<std::uint8_t> bytes;
        const Checked checked = CheckFont(source, bytes);
        if (checked == Checked::kRefused) {
            MessageBoxW(nullptr, InstalledMessage(text(IDS_REFUSED), fileName).c_str(),
                        text(IDS_INFORMATION_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        if (checked != Checked::kFont) continue;
        // Not a font the system could list: nothing is copied.
        const std::wstring valueName = InstalledFontName(FamilyNames(bytes));
        if (valueName.empty()) continue;
        // Exactly the bytes checked, to a file that was not there: one of that name is left alone.
        if (!WriteNewFile(destination, bytes)) continue;
        // An unlisted font would be gone at the next start of Windows, its file left behind: the copy
        // is taken back before the font is registered, and the user is told.
        if (const Entry entry = EnterInstalledFont(valueName, fileName); entry != Entry::kEntered) {
            DeleteFileW(destination.c_str());
            MessageBoxW(nullptr,
                        InstalledMessage(text(entry == Entry::kNameTaken ? IDS_NAME_TAKEN : IDS_NOT_INSTALLED), fileName)
                            .c_str(),
                        text(IDS_INFORMATION_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        AddFontResourceW(destination.c_str());
        SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, nullptr);
        MessageBoxW(nullptr, InstalledMessage(text(IDS_INSTALLED), fileName).c_str(), text(IDS_INFORMATION_CAPTION).c_str(),
                    MB_OK | MB_ICONINFORMATION);
    }
}

} // namespace glyphpeek::typorama
