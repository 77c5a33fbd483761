// Stub conversion and font removal through the real TRUtility.dll, against the test prefix's
// registry, Fonts folder and running font table.
#include "trutility/tests/installed_font.h"

namespace {

using namespace removal_test;

class VirtualFont : public ::testing::Test {
protected:
    UtilityLibrary library;
    ConvVFontPathFromFileProc fromFile = library.Get<ConvVFontPathFromFileProc>("ConvVFontPathFromFile");
    ConvVFontPathFromBinProc fromBin = library.Get<ConvVFontPathFromBinProc>("ConvVFontPathFromBin");
    ScratchFolder stubs{L"glyphpeek-stubs"};
    std::wstring fonts = FontsFolder();

    // Output of a conversion, with a check that nothing past the 260-unit buffer was written.
    struct Result {
        bool ok;
        std::wstring out;
    };
    template <typename Call>
    Result Convert(Call call) {
        std::vector<wchar_t> out(kPath + 40, L'x');
        const bool ok = call(out.data());
        EXPECT_LT(wcsnlen(out.data(), kPath), kPath) << "output not terminated in its buffer";
        for (size_t i = kPath; i < out.size(); ++i) EXPECT_EQ(out[i], L'x') << "written past the buffer at " << i;
        return {ok, std::wstring(out.data(), wcsnlen(out.data(), kPath))};
    }
    Result FromFile(const std::wstring& path) {
        return Convert([&](wchar_t* out) { return fromFile(path.c_str(), out); });
    }
    Result FromBin(const wchar_t* text) {
        return Convert([&](wchar_t* out) { return fromBin(text, out); });
    }
};

TEST_F(VirtualFont, StubFormsFromFiles) {
    WriteStub(stubs / L"arial.ttf.vft", L"-:arial.ttf");
    WriteStub(stubs / L"x.otf.vft", L"D:\\myfonts\\x.otf");
    WriteStub(stubs / L"nocolon.vft", L"arial.ttf");
    WriteStub(stubs / L"font.VFT", L"D:\\upper.ttf");
    WriteStub(stubs / L"sample.TTF", L"D:\\not\\read.ttf");

    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(Upper(fonts.substr(fonts.size() - 6)), L"\\FONTS");
    Result r = FromFile(stubs / L"arial.ttf.vft");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, fonts + L"\\arial.ttf");
    r = FromFile(stubs / L"x.otf.vft");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, L"D:\\myfonts\\x.otf");
    r = FromFile(stubs / L"nocolon.vft");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, L"");
    EXPECT_EQ(FromFile(stubs / L"font.VFT").out, L"D:\\upper.ttf");
    // Not a stub: the file stands for itself and is not read, whatever it holds.
    r = FromFile(stubs / L"sample.TTF");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, L"");
    r = FromFile(L"ft");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, L"");
}

TEST_F(VirtualFont, UnreadableStubsAndBadArguments) {
    Result r = FromFile(stubs / L"missing.vft");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, L"");
    ASSERT_TRUE(CreateDirectoryW((stubs / L"folder.vft").c_str(), nullptr));
    EXPECT_FALSE(FromFile(stubs / L"folder.vft").ok);
    RemoveDirectoryW((stubs / L"folder.vft").c_str());
    EXPECT_TRUE(FromFile(L"").ok);  // an empty path is no stub
    wchar_t out[kPath] = L"x";
    EXPECT_FALSE(fromFile(nullptr, out));
    EXPECT_EQ(out[0], L'\0');
    EXPECT_FALSE(fromFile((stubs / L"x.vft").c_str(), nullptr));
    EXPECT_TRUE(fromBin(L"-:a.ttf", nullptr));
    EXPECT_TRUE(FromBin(nullptr).ok);
}

TEST_F(VirtualFont, StubContentBeyondThePathBuffer) {
    // 300 units with the terminator past the 260 that are read: the path is cut to fit.
    std::wstring longText = L"D:\\" + std::wstring(297, L'a');
    WriteStub(stubs / L"long.vft", longText);
    EXPECT_EQ(FromFile(stubs / L"long.vft").out, longText.substr(0, kPath - 1));
    // Exactly 520 bytes, no terminator at all.
    std::wstring full = L"D:\\" + std::wstring(kPath - 3, L'b');
    WriteBytes(stubs / L"full.vft", full.data(), full.size() * sizeof(wchar_t));
    EXPECT_EQ(FromFile(stubs / L"full.vft").out, full.substr(0, kPath - 1));
    // An odd byte at the end is no unit; the text before it still counts.
    const std::wstring oddText = L"D:\\o.ttf";
    std::string odd(reinterpret_cast<const char*>(oddText.data()), oddText.size() * sizeof(wchar_t));
    odd.push_back('!');
    WriteBytes(stubs / L"odd.vft", odd.data(), odd.size());
    EXPECT_EQ(FromFile(stubs / L"odd.vft").out, L"D:\\o.ttf");
}

// The text ends exactly at an inaccessible page: reading past the 260 units would fault.
class GuardedText {
public:
    GuardedText() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
    }
    ~GuardedText() { VirtualFree(base_, 0, MEM_RELEASE); }
    wchar_t* Place(const std::wstring& units) {
        wchar_t* at = reinterpret_cast<wchar_t*>(base_ + page_) - units.size();
        wmemcpy(at, units.data(), units.size());
        return at;
    }

private:
    size_t page_ = 0;
    char* base_ = nullptr;
};

TEST_F(VirtualFont, StubFormsFromBytes) {
    Result r = FromBin(L"-:arial.ttf");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, fonts + L"\\arial.ttf");
    EXPECT_EQ(FromBin(L"D:\\myfonts\\x.otf").out, L"D:\\myfonts\\x.otf");
    r = FromBin(L"arial.ttf");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, L"");

    // A real font's bytes, as the Vista provider passes any file's content.
    std::string font = ReadAll(kSourceFont);
    ASSERT_GT(font.size(), 1000u) << "missing test font";
    font.append(2, '\0');
    r = FromBin(reinterpret_cast<const wchar_t*>(font.data()));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, L"");

    GuardedText guarded;
    const std::wstring text = L"D:\\" + std::wstring(kPath - 3, L'g');
    r = FromBin(guarded.Place(text));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, text.substr(0, kPath - 1));
    // A selected path with no terminator in its buffer is refused without reading past it.
    const std::wstring path = std::wstring(kPath - 4, L'p') + L".vft";
    EXPECT_FALSE(Convert([&](wchar_t* out) { return fromFile(guarded.Place(path), out); }).ok);
}

class FontRemoval : public InstalledFont {};


TEST_F(FontRemoval, ThroughItsStub) {
    ASSERT_FALSE(FamilyLoaded()) << "the test font is already loaded in this process";
    ASSERT_GT(AddFontResourceW(fontFile.c_str()), 0);
    ASSERT_TRUE(FamilyLoaded());
    const std::wstring stub = stubs / (std::wstring(kFontName) + L".vft");
    WriteStub(stub, std::wstring(L"-:") + kFontName);

    int removed = 0;
    EXPECT_EQ(Uninstall(L"", stub, &removed), fontFile);  // the buffer now names the font
    EXPECT_EQ(removed, 1);
    EXPECT_FALSE(HasValue(L" (TrueType)"));
    EXPECT_FALSE(Exists(fontFile));
    EXPECT_FALSE(Exists(stub));
    EXPECT_FALSE(FamilyLoaded());
}

TEST_F(FontRemoval, DirectlyAndEveryValueNamingTheFile) {
    // Ahead of the matches (first by name and by age): an entry whose data the walk cannot read whole,
    // and one with a long name, which names the file too; then the same file listed again, absolute
    // and in other letter case, right after the first match.
    RegDeleteValueW(key, (std::wstring(kValuePrefix) + L" (TrueType)").c_str());
    SetValue(L" !" + std::wstring(300, L'n'), kFontName);
    SetValue(L" !long data", std::wstring(400, L'd'));
    SetValue(L" (TrueType)", kFontName);
    SetValue(L" (TrueType) 2", Upper(fontFile));
    SetValue(L" expand", kFontName, REG_EXPAND_SZ);  // not a plain string: not made absolute
    DWORD number = 7;
    RegSetValueExW(key, (std::wstring(kValuePrefix) + L" dword").c_str(), 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&number), sizeof(number));
    const size_t others = ValueNames().size() - 5 - 1;
    ASSERT_LT(IndexOf(L" !" + std::wstring(300, L'n')), IndexOf(L" (TrueType)"));
    ASSERT_LT(IndexOf(L" !long data"), IndexOf(L" (TrueType)"));
    ASSERT_EQ(IndexOf(L" (TrueType)") + 1, IndexOf(L" (TrueType) 2"));

    int removed = 0;
    EXPECT_EQ(Uninstall(L"", fontFile, &removed), fontFile);
    EXPECT_EQ(removed, 3);
    EXPECT_FALSE(HasValue(L" (TrueType)"));
    EXPECT_FALSE(HasValue(L" (TrueType) 2"));
    EXPECT_FALSE(HasValue(L" !" + std::wstring(300, L'n')));
    EXPECT_FALSE(Exists(fontFile));
    EXPECT_TRUE(HasValue(L" !long data"));
    EXPECT_TRUE(HasValue(L" expand"));
    EXPECT_TRUE(HasValue(L" dword"));
    EXPECT_EQ(ValueNames().size(), others + 3);
}

TEST_F(FontRemoval, TargetsNotInTheListAreLeftAlone) {
    const std::wstring unlisted = fonts + L"\\GlyphpeekUnlisted.ttf";
    ASSERT_TRUE(CopyFileW(kSourceFont, unlisted.c_str(), FALSE));
    const std::wstring stub = stubs / L"GlyphpeekUnlisted.ttf.vft";
    WriteStub(stub, L"-:GlyphpeekUnlisted.ttf");
    const std::wstring nocolon = stubs / L"nocolon.vft";
    WriteStub(nocolon, kFontName);
    const size_t values = ValueNames().size();

    int removed = -1;
    EXPECT_EQ(Uninstall(L"", stub, &removed), unlisted);
    EXPECT_EQ(removed, 0);
    EXPECT_TRUE(Exists(unlisted));
    EXPECT_TRUE(Exists(stub));
    // Text in neither form is taken as the path itself, which names no listed font.
    EXPECT_EQ(Uninstall(L"", nocolon), kFontName);
    EXPECT_TRUE(Exists(nocolon));
    // A stub that cannot be read changes nothing, not even the caller's buffer.
    EXPECT_EQ(Uninstall(L"", stubs / L"missing.vft"), stubs / L"missing.vft");
    EXPECT_EQ(ValueNames().size(), values);
    EXPECT_TRUE(Exists(fontFile));
    DeleteFileW(unlisted.c_str());
}

// The copy is made first, under a name the folder does not have yet: an earlier copy stays as it was.
TEST_F(FontRemoval, BackupCopyComesFirstAndOverwritesNothing) {
    ScratchFolder backup(L"glyphpeek-backup");
    WriteBytes(backup / kFontName, "earlier copy", 12);
    const std::wstring stub = stubs / (std::wstring(kFontName) + L".vft");
    WriteStub(stub, std::wstring(L"-:") + kFontName);

    Uninstall(backup.path(), stub);
    EXPECT_EQ(ReadAll(backup / kFontName), "earlier copy");
    EXPECT_EQ(ReadAll(backup / L"GlyphpeekRemoval (2).ttf"), fontBytes);
    EXPECT_FALSE(HasValue(L" (TrueType)"));
    EXPECT_FALSE(Exists(fontFile));
    EXPECT_FALSE(Exists(stub));
}

TEST_F(FontRemoval, NothingIsRemovedWithoutItsBackup) {
    const std::wstring stub = stubs / (std::wstring(kFontName) + L".vft");
    WriteStub(stub, std::wstring(L"-:") + kFontName);
    const auto expectUntouched = [&](const std::wstring& backup, const char* why) {
        DialogWatcher watcher({NotUninstalled(kNotUninstalled + L"Its backup copy could not be made: ")});
        int removed = -1;
        Uninstall(backup, stub, &removed);
        EXPECT_EQ(watcher.Finish(), 1u) << why;
        EXPECT_EQ(removed, 0) << why;
        EXPECT_TRUE(HasValue(L" (TrueType)")) << why;
        EXPECT_EQ(ReadAll(fontFile), fontBytes) << why;
        EXPECT_TRUE(Exists(stub)) << why;
    };
    expectUntouched(stubs.path() + L"no-such-folder\\", "folder missing");
    // Folder plus file name longer than a path.
    expectUntouched(L"C:\\" + std::wstring(kPath - 10, L'k') + L"\\", "copy path too long");

    // A backup buffer with no terminator in its 260 units.
    const std::wstring unterminated(kPath, L'k');
    GuardedText guarded;
    wchar_t buffer[kPath] = {};
    wcsncpy(buffer, stub.c_str(), kPath - 1);
    EXPECT_EQ(uninstall(guarded.Place(unterminated), buffer), 0);
    EXPECT_TRUE(HasValue(L" (TrueType)"));
    EXPECT_TRUE(Exists(stub));
    EXPECT_EQ(uninstall(L"", nullptr), 0);
}

// A file in use: it stays, with its entry and its stub, and the user is told.
TEST_F(FontRemoval, AFileInUseKeepsTheWholeFont) {
    const std::wstring stub = stubs / (std::wstring(kFontName) + L".vft");
    WriteStub(stub, std::wstring(L"-:") + kFontName);
    {
        const HANDLE held = CreateFileW(fontFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        DialogWatcher watcher({NotUninstalled(kNotUninstalled + L"Its file could not be deleted: ")});
        int removed = -1;
        Uninstall(L"", stub, &removed);
        CloseHandle(held);
        EXPECT_EQ(watcher.Finish(), 1u);
        EXPECT_EQ(removed, 0);
    }
    EXPECT_TRUE(HasValue(L" (TrueType)"));
    EXPECT_TRUE(Exists(fontFile));
    EXPECT_TRUE(Exists(stub));
}

} // namespace
