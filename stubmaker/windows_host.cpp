#include "stubmaker/windows_host.h"

#include <commctrl.h>
#include <shellapi.h>

#include "winsupport/fonts_folder.h"
#include "stubmaker/resource.h"
#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"
#include "winsupport/module_path.h"

namespace glyphpeek::stubmaker {
std::u16string StubFolder() {
    // A cut executable path would put the folder somewhere else: ModulePath gives none then.
    const std::wstring exe = ModulePath(nullptr, kPathBufferUnits);
    if (exe.empty()) return {};
    std::u16string folder = StubFolderFor(ToU16(exe));
    if (!folder.empty()) CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    return folder;
}

std::u16string FontsFolder() {
    std::u16string folder = ToU16(FontsFolderPath());
    folder.push_back(u'\\');
    return folder;
}

void WindowsHost::ShowStage(int stage) {
    if (!label_) return;
    wchar_t text[255] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_STAGE_FIRST + stage - 1, text, 255);
    SendMessageW(label_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void WindowsHost::SetRange(std::size_t count) {
    if (progress_) SendMessageW(progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(count));
}

void WindowsHost::SetPosition(std::size_t index) {
    if (progress_) PostMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(index), 0);
}

void WindowsHost::OpenFontList() {
    CloseFontList();
    const HKEY roots[2] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    const wchar_t* const keys[2] = {kInstalledFontsKey, kUserInstalledFontsKey};
    for (int list = 0; list < 2; ++list) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(roots[list], keys[list], 0, KEY_READ, &key) == ERROR_SUCCESS) lists_[list].reset(key);
    }
    if (!lists_[0] || RegQueryInfoKeyW(lists_[0].get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       &systemValues_, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        systemValues_ = 0;
}

FontValueRead WindowsHost::FontValue(std::size_t index, std::vector<std::uint8_t>& data, bool& plainString) {
    // Indexes run through the system's values, then on through the user's.
    const bool system = index < systemValues_;
    const HKEY list = lists_[system ? 0 : 1].get();
    if (!system) index -= systemValues_;
    if (!list || index >= MAXDWORD) return FontValueRead::kEnd;
    std::vector<wchar_t> name(kValueNameUnits);
    DWORD nameUnits = kValueNameUnits;
    DWORD type = 0;
    data.assign(kValueDataBytes, 0);
    DWORD dataBytes = kValueDataBytes;
    const LONG status =
        RegEnumValueW(list, static_cast<DWORD>(index), name.data(), &nameUnits, nullptr, &type, data.data(), &dataBytes);
    if (status == ERROR_SUCCESS) {
        data.resize(dataBytes);
        plainString = type == REG_SZ;
        return FontValueRead::kRead;
    }
    data.clear();
    if (status == ERROR_MORE_DATA) return FontValueRead::kPassedOver;
    // A system value deleted since the count was taken leaves a gap, not the end of both lists.
    return system ? FontValueRead::kPassedOver : FontValueRead::kEnd;
}

void WindowsHost::CloseFontList() {
    for (ScopedRegKey& list : lists_) list.reset();
    systemValues_ = 0;
}

std::vector<FolderEntry> WindowsHost::ListFolder(std::u16string_view folder) {
    std::vector<FolderEntry> entries;
    std::wstring pattern = ToWide(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
    pattern.append(L"*.*");
    WIN32_FIND_DATAW found;
    ScopedFind find(FindFirstFileW(pattern.c_str(), &found));
    if (!find) return entries;
    do {
        // A linked folder leads out of the stub folder (or round in a circle): its stubs are not ours.
        const bool folderHere = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (!folderHere && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        entries.push_back({ToU16(found.cFileName), folderHere});
    } while (FindNextFileW(find.get(), &found));
    return entries;
}

bool WindowsHost::ReadStub(std::u16string_view path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    ScopedFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bytes.assign(limit, 0);
    std::size_t have = 0;
    DWORD got = 0;
    while (have < limit && ::ReadFile(file.get(), bytes.data() + have, static_cast<DWORD>(limit - have), &got, nullptr) &&
           got > 0)
        have += got;
    bytes.resize(have);
    return true;
}

bool WindowsHost::WriteStub(std::u16string_view path, const std::vector<std::uint8_t>& bytes) {
    const std::wstring name = ToWide(path);
    bool written = false;
    {
        ScopedFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD put = 0;
        written = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                  put == bytes.size();
    }
    // A cut stub would name another file.
    if (!written) ::DeleteFileW(name.c_str());
    return written;
}

void WindowsHost::DeleteStub(std::u16string_view path) { ::DeleteFileW(ToWide(path).c_str()); }

void WindowsHost::OpenFolder(std::u16string_view folder) {
    ShellExecuteW(nullptr, L"open", ToWide(folder).c_str(), nullptr, nullptr, SW_SHOW);
}

bool WindowsHost::SamePath(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    // Upper-cased without regard to any language, as the file system compares names, then unit by unit:
    // what CompareStringOrdinal does, which 64-bit XP lacks.
    const auto upper = [](std::u16string_view text) {
        const std::wstring wide = ToWide(text);
        std::wstring mapped(wide.size(), L'\0');
        const int units = static_cast<int>(wide.size());
        if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), units, mapped.data(), units) != units)
            return std::wstring();
        return mapped;
    };
    const std::wstring x = upper(a);
    return !x.empty() && x == upper(b);
}

} // namespace glyphpeek::stubmaker
