#pragma once
// An installed font in the test prefix for the font removal tests, with the files and messages
// around it. Shared by the tests of the shipped library and those of its test build.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testsupport/dialog_watcher.h"
#include "testsupport/utility_library.h"
#include "winsupport/fonts_folder.h"

namespace removal_test {

inline constexpr wchar_t kSourceFont[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSansMono.ttf";
inline constexpr wchar_t kSourceFamily[] = L"DejaVu Sans Mono";
inline constexpr wchar_t kFontName[] = L"GlyphpeekRemoval.ttf";
inline constexpr wchar_t kValuePrefix[] = L"Glyphpeek Removal";
inline constexpr size_t kPath = 260;

inline std::wstring FontsFolder() {
    std::wstring folder = FontsFolderPath();
    EXPECT_FALSE(folder.empty());
    return folder;
}

inline std::wstring Upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::wstring& path, const void* data, size_t bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
    ASSERT_TRUE(out.good()) << "cannot write stub";
}

// A stub as the virtual font manager writes it: the text and one NUL unit.
inline void WriteStub(const std::wstring& path, const std::wstring& text) {
    WriteBytes(path, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// A scratch folder under the prefix's temp folder, emptied on both ends.
class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* name) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + name + L"\\";
        Clear();
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Clear(); }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    void Clear() {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((path_ + L"*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + entry.cFileName).c_str());
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring path_;
};

// An installed font in the prefix: the font file copied into the Fonts folder, listed in the
// installed-font list, and loaded into this process's font table. Every value this test adds
// starts with kValuePrefix and is removed afterwards.
class InstalledFont : public ::testing::Test {
protected:
    UtilityLibrary library;
    ScratchFolder stubs{L"glyphpeek-stubs"};
    std::wstring fonts = FontsFolder();
    UninstallFromVFontProc uninstall = library.Get<UninstallFromVFontProc>("UninstallFromVFont");
    std::wstring fontFile = fonts + L"\\" + kFontName;
    std::string fontBytes = ReadAll(kSourceFont);
    HKEY key = nullptr;

    void SetUp() override {
        ASSERT_GT(fontBytes.size(), 1000u) << "missing test font";
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        DeleteOurValues();
        ASSERT_TRUE(CopyFileW(kSourceFont, fontFile.c_str(), FALSE));
        SetValue(L" (TrueType)", kFontName);
    }
    void TearDown() override {
        RemoveFontResourceW(fontFile.c_str());
        DeleteFileW(fontFile.c_str());
        DeleteOurValues();
        RegCloseKey(key);
    }

    void SetValue(const std::wstring& suffix, const std::wstring& data, DWORD type = REG_SZ) {
        EXPECT_EQ(RegSetValueExW(key, (kValuePrefix + suffix).c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    bool HasValue(const std::wstring& suffix) {
        return RegQueryValueExW(key, (kValuePrefix + suffix).c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }
    std::vector<std::wstring> ValueNames() {
        std::vector<std::wstring> names;
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD units = 16384;
            if (RegEnumValueW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.emplace_back(name, units);
        }
        return names;
    }
    void DeleteOurValues() {
        for (const std::wstring& name : ValueNames())
            if (name.rfind(kValuePrefix, 0) == 0) RegDeleteValueW(key, name.c_str());
    }
    size_t IndexOf(const std::wstring& suffix) {
        const std::vector<std::wstring> names = ValueNames();
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == kValuePrefix + suffix) return i;
        return names.size();
    }

    static int CALLBACK CountFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM count) {
        ++*reinterpret_cast<int*>(count);
        return 1;
    }
    bool FamilyLoaded() {
        HDC dc = GetDC(nullptr);
        LOGFONTW query = {};
        query.lfCharSet = DEFAULT_CHARSET;
        wcscpy(query.lfFaceName, kSourceFamily);
        int count = 0;
        EnumFontFamiliesExW(dc, &query, CountFamily, reinterpret_cast<LPARAM>(&count), 0);
        ReleaseDC(nullptr, dc);
        return count > 0;
    }

    // Calls the export with the path in a 260-unit buffer; answers the buffer afterwards.
    std::wstring Uninstall(const std::wstring& backup, const std::wstring& path, int* result = nullptr) {
        wchar_t buffer[kPath] = {};
        wcsncpy(buffer, path.c_str(), kPath - 1);
        const int removed = uninstall(backup.c_str(), buffer);
        if (result) *result = removed;
        return buffer;
    }
};

// The message box that names a font that stayed installed and the reason, answered with OK.
inline DialogWatcher::Step NotUninstalled(std::wstring reason) {
    return {[](HWND dialog) { return WindowText(dialog) == L"Uninstall"; },
            [reason](HWND box) {
                const std::wstring text = WindowText(GetDlgItem(box, kMessageBoxText));
                EXPECT_EQ(text.substr(0, std::min(text.size(), reason.size())), reason);
                Press(box, IDOK);
            }};
}
inline const std::wstring kNotUninstalled = std::wstring(L"The font ") + kValuePrefix + L" (TrueType) was not uninstalled.\r\n";

} // namespace removal_test
