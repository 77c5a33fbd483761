// Stubmaker's logic without Windows: installed-font entries, stub bytes and paths, the claiming of
// stubs, and whole runs over an in-memory folder and font list.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "stubmaker/stub_folder.h"

namespace {

using namespace glyphpeek::stubmaker;

constexpr std::u16string_view kFonts = u"C:\\windows\\Fonts\\";
constexpr std::u16string_view kStubs = u"C:\\app\\vf\\";

std::vector<std::uint8_t> Utf16(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::u16string Entry(std::u16string_view data, bool plainString) {
    const std::vector<std::uint8_t> bytes = Utf16(data);
    return InstalledFontEntry(bytes.data(), bytes.size(), plainString);
}

TEST(StubFolder, InstalledFontEntries) {
    EXPECT_EQ(Entry(u"arial.ttf", true), u"-:arial.ttf");
    EXPECT_EQ(Entry(u"D:\\myfonts\\x.otf", true), u"D:\\myfonts\\x.otf");
    // Only plain strings are taken as relative; an expandable string stays as it is, even when relative.
    EXPECT_EQ(Entry(u"arial.ttf", false), u"arial.ttf");
    EXPECT_EQ(Entry(u"%WINDIR%\\x.ttf", false), u"%WINDIR%\\x.ttf");
    EXPECT_EQ(Entry(u"", true), u"-:");
    EXPECT_EQ(Entry(u"a", true), u"-:a");
    // The data ends at its first NUL, whether or not it carries one, and an odd last byte is no unit.
    EXPECT_EQ(Entry(std::u16string(u"a.ttf\0junk", 10), true), u"-:a.ttf");
    std::vector<std::uint8_t> odd = Utf16(u"b.ttf");
    odd.push_back('x');
    EXPECT_EQ(InstalledFontEntry(odd.data(), odd.size(), true), u"-:b.ttf");
    EXPECT_EQ(InstalledFontEntry(nullptr, 0, false), u"");
}

TEST(StubFolder, StubBytesAreTheEntryAndOneNul) {
    const std::vector<std::uint8_t> bytes = StubBytes(u"-:arial.ttf");
    ASSERT_EQ(bytes.size(), 24u);
    std::vector<std::uint8_t> expected = Utf16(u"-:arial.ttf");
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(StubBytes(u"\x00E9").size(), 4u);
    EXPECT_EQ(StubBytes(u"\x20AC"), (std::vector<std::uint8_t>{0xAC, 0x20, 0, 0}));
    // What is written reads back as the same text.
    const std::vector<std::uint8_t> written = StubBytes(u"D:\\myfonts\\x.otf");
    EXPECT_EQ(StubTextFromBytes(written.data(), written.size()), u"D:\\myfonts\\x.otf");
}

TEST(StubFolder, StubTextReadsAtMostWhatAStubHolds) {
    std::vector<std::uint8_t> bytes = Utf16(u"-:a.ttf");
    EXPECT_EQ(StubTextFromBytes(bytes.data(), bytes.size()), u"-:a.ttf"); // no NUL: up to the end
    bytes.push_back('z');
    EXPECT_EQ(StubTextFromBytes(bytes.data(), bytes.size()), u"-:a.ttf");
    // A huge file: only its first 520 bytes count, and the text keeps room for a terminator.
    const std::vector<std::uint8_t> huge = Utf16(std::u16string(100000, u'x'));
    EXPECT_EQ(StubTextFromBytes(huge.data(), huge.size()), std::u16string(259, u'x'));
    const std::vector<std::uint8_t> nul = Utf16(std::u16string(u"\0-:a.ttf", 8));
    EXPECT_EQ(StubTextFromBytes(nul.data(), nul.size()), u"");
    EXPECT_EQ(StubTextFromBytes(nullptr, 0), u"");
}

TEST(StubFolder, StubPathsForTrueTypeAndOpenTypeOnly) {
    EXPECT_EQ(StubPathFor(u"C:\\windows\\Fonts\\arial.ttf", kStubs), u"C:\\app\\vf\\arial.ttf.vft");
    EXPECT_EQ(StubPathFor(u"D:\\myfonts\\x.otf", kStubs), u"C:\\app\\vf\\x.otf.vft");
    EXPECT_EQ(StubPathFor(u"D:/f/MSGOTHIC.TTC", kStubs), u"C:\\app\\vf\\MSGOTHIC.TTC.vft");
    EXPECT_EQ(StubPathFor(u"D:x.OtF", kStubs), u"C:\\app\\vf\\x.OtF.vft");
    EXPECT_EQ(StubPathFor(u"a.b.ttf", kStubs), u"C:\\app\\vf\\a.b.ttf.vft");
    EXPECT_EQ(StubPathFor(u"C:\\windows\\Fonts\\serife.fon", kStubs), u"");
    EXPECT_EQ(StubPathFor(u"C:\\windows\\Fonts\\", kStubs), u"");
    EXPECT_EQ(StubPathFor(u"C:\\fonts.ttf\\readme", kStubs), u"");
    EXPECT_EQ(StubPathFor(u"x.ttfx", kStubs), u"");
    EXPECT_EQ(StubPathFor(u"x.vft", kStubs), u"");
    EXPECT_EQ(StubPathFor(u"x.ttf", u""), u"");
    // A path that would be cut names another file: no stub rather than a wrong one.
    const std::u16string longName = std::u16string(245, u'n') + u".ttf";
    EXPECT_EQ(StubPathFor(longName, kStubs), u"");
    const std::u16string fits = std::u16string(259 - kStubs.size() - 8, u'n') + u".ttf";
    EXPECT_EQ(StubPathFor(fits, kStubs).size(), 259u);
}

TEST(StubFolder, FolderSwitchAndStubFolder) {
    EXPECT_TRUE(IsFolderSwitch(u"/folder"));
    EXPECT_TRUE(IsFolderSwitch(u"/FOLDER"));
    EXPECT_TRUE(IsFolderSwitch(u"/Folderx and more"));
    EXPECT_FALSE(IsFolderSwitch(u"x /folder"));
    EXPECT_FALSE(IsFolderSwitch(u" /folder"));
    EXPECT_FALSE(IsFolderSwitch(u"/folde"));
    EXPECT_FALSE(IsFolderSwitch(u""));

    EXPECT_EQ(StubFolderFor(u"C:\\Program Files\\Glyphpeek\\Stubmaker.exe"), u"C:\\Program Files\\Glyphpeek\\vf\\");
    EXPECT_EQ(StubFolderFor(u"\\\\server\\share\\Stubmaker.exe"), u"\\\\server\\share\\vf\\");
    EXPECT_EQ(StubFolderFor(u"C:Stubmaker.exe"), u"C:vf\\");
    EXPECT_EQ(StubFolderFor(u"C:\\" + std::u16string(255, u'd') + u"\\s.exe"), u"");
}

FontFileData Stub(std::u16string_view path, std::u16string_view font) {
    return {std::u16string(path), std::u16string(font)};
}

TEST(StubFolder, EachInstalledFontClaimsTheFirstMatchingStubOnce) {
    StubReconciler reconciler({Stub(u"C:\\app\\vf\\sub\\arial.ttf.vft", u"C:\\windows\\Fonts\\arial.ttf"),
                               Stub(u"C:\\app\\vf\\arial.ttf.vft", u"C:\\windows\\Fonts\\arial.ttf"),
                               Stub(u"C:\\app\\vf\\x.otf.vft", u"D:\\MyFonts\\x.otf"),
                               Stub(u"C:\\app\\vf\\broken.ttf.vft", u"")},
                              std::u16string(kFonts), std::u16string(kStubs));
    StubWrite write;
    EXPECT_FALSE(reconciler.Claim(u"-:arial.ttf", write)); // the one met first by the scan is kept
    // Case counts: the stub naming D:\MyFonts\x.otf is not the stub of d:\myfonts\x.otf.
    ASSERT_TRUE(reconciler.Claim(u"D:\\myfonts\\x.otf", write));
    EXPECT_EQ(write.path, u"C:\\app\\vf\\x.otf.vft");
    EXPECT_EQ(write.bytes, StubBytes(u"D:\\myfonts\\x.otf"));
    // A non-string value resolving to nothing does not claim the unreadable stub.
    EXPECT_FALSE(reconciler.Claim(u"", write));
    EXPECT_FALSE(reconciler.Claim(u"-:serife.fon", write));

    // Without the rewrite noted, the stale x.otf stub would go as dead although it was just written.
    EXPECT_EQ(reconciler.DeadStubs(),
              (std::vector<std::u16string>{u"C:\\app\\vf\\arial.ttf.vft", u"C:\\app\\vf\\x.otf.vft",
                                           u"C:\\app\\vf\\broken.ttf.vft"}));
    reconciler.Written(u"C:\\APP\\vf\\X.otf.vft");
    EXPECT_EQ(reconciler.DeadStubs(),
              (std::vector<std::u16string>{u"C:\\app\\vf\\arial.ttf.vft", u"C:\\app\\vf\\broken.ttf.vft"}));
    // Same path as the platform compares them.
    EXPECT_EQ(reconciler.DeadStubs([](std::u16string_view a, std::u16string_view b) { return a == b; }).size(), 3u);
}

// An in-memory platform: a font list, files by path (folders are the prefixes of their paths), and
// a log of what the dialog would be shown.
class MemoryHost : public StubmakerHost {
public:
    struct Value {
        std::u16string data;
        bool plainString = true;
        bool fits = true;  // false: too long for the enumeration's buffers
    };
    std::vector<Value> values;
    bool listOpens = true;
    std::map<std::u16string, std::vector<std::uint8_t>> files;
    std::set<std::u16string> unreadable;
    std::set<std::u16string> unwritable;
    std::vector<std::string> log;
    std::vector<std::u16string> opened;
    int writes = 0, deletes = 0;
    bool listOpen = false;
    // Sets the stop flag when this log line is about to be written.
    std::string stopAt;
    std::atomic<bool>* stop = nullptr;

    void Note(std::string line) {
        if (stop && line == stopAt) stop->store(true);
        log.push_back(std::move(line));
    }
    void ShowStage(int stage) override { Note("stage " + std::to_string(stage)); }
    void SetRange(std::size_t count) override { Note("range " + std::to_string(count)); }
    void SetPosition(std::size_t index) override { Note("pos " + std::to_string(index)); }
    void OpenFontList() override { listOpen = listOpens; }
    FontValueRead FontValue(std::size_t index, std::vector<std::uint8_t>& data, bool& plainString) override {
        if (!listOpen || index >= values.size()) return FontValueRead::kEnd;
        if (!values[index].fits) return FontValueRead::kPassedOver;
        data = Utf16(values[index].data);
        plainString = values[index].plainString;
        return FontValueRead::kRead;
    }
    void CloseFontList() override { listOpen = false; }
    std::vector<FolderEntry> ListFolder(std::u16string_view folder) override {
        Note("scan");
        std::u16string prefix(folder);
        if (prefix.back() != u'\\') prefix.push_back(u'\\');
        std::vector<FolderEntry> entries{{u".", true}, {u"..", true}};
        std::set<std::u16string> folders;
        for (const auto& [path, bytes] : files) {
            if (path.compare(0, prefix.size(), prefix) != 0) continue;
            const std::u16string rest = path.substr(prefix.size());
            const std::size_t slash = rest.find(u'\\');
            if (slash == std::u16string::npos)
                entries.push_back({rest, false});
            else if (folders.insert(rest.substr(0, slash)).second)
                entries.push_back({rest.substr(0, slash), true});
        }
        return entries;
    }
    bool ReadStub(std::u16string_view path, std::size_t limit, std::vector<std::uint8_t>& bytes) override {
        const auto file = files.find(std::u16string(path));
        if (file == files.end() || unreadable.count(file->first)) return false;
        bytes.assign(file->second.begin(), file->second.begin() + std::min(limit, file->second.size()));
        return true;
    }
    bool WriteStub(std::u16string_view path, const std::vector<std::uint8_t>& bytes) override {
        Note("write");
        if (unwritable.count(std::u16string(path))) return false;
        files[std::u16string(path)] = bytes;
        ++writes;
        return true;
    }
    void DeleteStub(std::u16string_view path) override {
        Note("delete");
        files.erase(std::u16string(path));
        ++deletes;
    }
    void OpenFolder(std::u16string_view folder) override { opened.emplace_back(folder); }
    bool SamePath(std::u16string_view a, std::u16string_view b) override { return SamePathAscii(a, b); }

    bool Run() {
        std::atomic<bool> flag = false;
        stop = &flag;
        log.clear();
        writes = deletes = 0;
        return RunStubmaker(*this, kFonts, kStubs, flag);
    }
    void Put(std::u16string_view name, std::u16string_view entry) { files[std::u16string(kStubs) + std::u16string(name)] = StubBytes(entry); }
    bool Has(std::u16string_view name) const { return files.count(std::u16string(kStubs) + std::u16string(name)) > 0; }
    std::vector<std::uint8_t> At(std::u16string_view name) const { return files.at(std::u16string(kStubs) + std::u16string(name)); }
};

TEST(StubmakerRun, WritesMissingStubsKeepsCurrentOnesAndDeletesDeadOnes) {
    MemoryHost host;
    host.values = {{u"arial.ttf"}, {u"D:\\myfonts\\x.otf"}, {u"tahoma.ttf", false}, {u"serife.fon"}, {u"cour.ttf"}};
    host.Put(u"cour.ttf.vft", u"-:cour.ttf");
    host.Put(u"sub\\cour.ttf.vft", u"-:cour.ttf");       // a duplicate further down the scan
    host.Put(u"gone.ttf.vft", u"-:gone.ttf");            // a font no longer installed
    host.Put(u"odd.vft", u"arial.ttf");                  // names arial.ttf itself, not the Fonts folder's
    host.files[std::u16string(kStubs) + u"x.ttf"] = {1, 2, 3}; // not a stub: never listed or touched
    host.files[std::u16string(kStubs) + u"locked.ttf.vft"] = {};
    host.unreadable.insert(std::u16string(kStubs) + u"locked.ttf.vft");

    ASSERT_TRUE(host.Run());
    EXPECT_EQ(host.At(u"arial.ttf.vft"), StubBytes(u"-:arial.ttf"));
    EXPECT_EQ(host.At(u"x.otf.vft"), StubBytes(u"D:\\myfonts\\x.otf"));
    EXPECT_EQ(host.At(u"tahoma.ttf.vft"), StubBytes(u"tahoma.ttf")); // expandable-string style: no "-:"
    EXPECT_FALSE(host.Has(u"serife.fon.vft"));
    EXPECT_TRUE(host.Has(u"cour.ttf.vft"));
    EXPECT_FALSE(host.Has(u"sub\\cour.ttf.vft"));
    EXPECT_FALSE(host.Has(u"gone.ttf.vft"));
    EXPECT_FALSE(host.Has(u"odd.vft"));
    EXPECT_FALSE(host.Has(u"locked.ttf.vft"));
    EXPECT_EQ(host.At(u"x.ttf"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(host.writes, 3);
    EXPECT_EQ(host.opened, (std::vector<std::u16string>{std::u16string(kStubs)}));
    // Each stage's range is its item count and its positions run 0 to n - 1.
    EXPECT_EQ(host.log, (std::vector<std::string>{
                            "stage 1", "stage 2", "scan", "scan", "stage 3", "range 5", "pos 0", "pos 1", "pos 2",
                            "pos 3", "pos 4", "stage 4", "range 5", "pos 0", "write", "pos 1", "write", "pos 2",
                            "write", "pos 3", "pos 4", "stage 5", "range 4", "pos 0", "delete", "pos 1", "delete",
                            "pos 2", "delete", "pos 3", "delete"}));

    // Nothing changed: the second run writes and deletes nothing.
    ASSERT_TRUE(host.Run());
    EXPECT_EQ(host.writes, 0);
    EXPECT_EQ(host.deletes, 0);
    EXPECT_EQ(host.log.back(), "range 0");
}

TEST(StubmakerRun, StubRewrittenForACurrentFontIsNotDeletedAsDead) {
    MemoryHost host;
    host.values = {{u"arial.ttf"}};
    host.Put(u"arial.ttf.vft", u"-:ARIAL.TTF"); // same stub path, other spelling of the target
    ASSERT_TRUE(host.Run());
    EXPECT_EQ(host.At(u"arial.ttf.vft"), StubBytes(u"-:arial.ttf"));
    EXPECT_EQ(host.deletes, 0);
    ASSERT_TRUE(host.Run());
    EXPECT_EQ(host.writes, 0);

    // A rewrite that failed leaves the stale stub, which goes as dead.
    host.Put(u"arial.ttf.vft", u"-:ARIAL.TTF");
    host.unwritable.insert(std::u16string(kStubs) + u"arial.ttf.vft");
    ASSERT_TRUE(host.Run());
    EXPECT_FALSE(host.Has(u"arial.ttf.vft"));
}

TEST(StubmakerRun, FontsSharingAStubPathLeaveTheLastWritten) {
    MemoryHost host;
    host.values = {{u"D:\\a\\same.ttf"}, {u"D:\\b\\same.ttf"}};
    ASSERT_TRUE(host.Run());
    EXPECT_EQ(host.At(u"same.ttf.vft"), StubBytes(u"D:\\b\\same.ttf"));
    EXPECT_EQ(host.writes, 2);
    EXPECT_EQ(host.deletes, 0);
}

TEST(StubmakerRun, AValueThatDoesNotFitIsPassedOverAndTheListGoesOn) {
    MemoryHost host;
    host.values = {{u"a.ttf"}, {u"long.ttf", true, false}, {u"c.ttf"}};
    host.Put(u"c.ttf.vft", u"-:c.ttf");
    ASSERT_TRUE(host.Run());
    EXPECT_TRUE(host.Has(u"a.ttf.vft"));
    EXPECT_FALSE(host.Has(u"long.ttf.vft"));
    EXPECT_TRUE(host.Has(u"c.ttf.vft"));
    EXPECT_EQ(host.deletes, 0);
}

TEST(StubmakerRun, NoFontListDeletesEveryStub) {
    MemoryHost host;
    host.listOpens = false;
    host.Put(u"arial.ttf.vft", u"-:arial.ttf");
    host.Put(u"sub\\x.otf.vft", u"D:\\x.otf");
    ASSERT_TRUE(host.Run());
    EXPECT_EQ(host.deletes, 2);
    EXPECT_TRUE(host.files.empty());
}

TEST(StubmakerRun, StopLeavesTheWorkDoneAndOpensNothing) {
    MemoryHost host;
    host.values = {{u"a.ttf"}, {u"b.ttf"}, {u"c.ttf"}};
    host.Put(u"dead.ttf.vft", u"-:dead.ttf");
    // Stage 3 has one stub, so "pos 1" first comes in stage 4: the dialog closes while the second
    // stub is being written. That item finishes; the next test of the flag ends the run.
    host.stopAt = "pos 1";
    std::atomic<bool> flag = false;
    host.stop = &flag;
    EXPECT_FALSE(RunStubmaker(host, kFonts, kStubs, flag));
    EXPECT_TRUE(host.Has(u"a.ttf.vft"));
    EXPECT_TRUE(host.Has(u"b.ttf.vft"));
    EXPECT_FALSE(host.Has(u"c.ttf.vft"));
    EXPECT_TRUE(host.Has(u"dead.ttf.vft"));
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(host.log.back(), "write");

    // Stopped while listing fonts: the list is closed again and the folder is not scanned.
    MemoryHost early;
    early.values = {{u"a.ttf"}};
    std::atomic<bool> set = true;
    EXPECT_FALSE(RunStubmaker(early, kFonts, kStubs, set));
    EXPECT_FALSE(early.listOpen);
    EXPECT_EQ(early.log, (std::vector<std::string>{"stage 1"}));
}

TEST(StubmakerRun, StopDuringTheScanSkipsTheFoldersStillToCome) {
    MemoryHost host;
    host.Put(u"a\\1.ttf.vft", u"-:1.ttf");
    host.Put(u"b\\2.ttf.vft", u"-:2.ttf");
    host.stopAt = "scan";
    std::atomic<bool> flag = false;
    host.stop = &flag;
    EXPECT_FALSE(RunStubmaker(host, kFonts, kStubs, flag));
    EXPECT_EQ(host.log, (std::vector<std::string>{"stage 1", "stage 2", "scan"}));
    EXPECT_EQ(host.files.size(), 2u);
}

TEST(StubmakerRun, NoStubFolderTouchesNothing) {
    MemoryHost host;
    host.values = {{u"a.ttf"}};
    host.files[u"\\x.vft"] = StubBytes(u"-:gone.ttf");
    std::atomic<bool> flag = false;
    EXPECT_TRUE(RunStubmaker(host, kFonts, u"", flag));
    EXPECT_EQ(host.files.size(), 1u);
    EXPECT_TRUE(host.opened.empty());
}

} // namespace
