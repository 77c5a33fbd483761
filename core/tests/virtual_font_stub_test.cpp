// Stub texts, installed-font entries and backup folders as path texts, without Windows.
#include <gtest/gtest.h>

#include <string>

#include "core/virtual_font_stub.h"

namespace {

using namespace glyphpeek;

constexpr std::u16string_view kFonts = u"C:\\windows\\Fonts";

std::u16string Units(std::u16string_view text, char16_t fill, std::size_t total) {
    std::u16string s(text);
    s.resize(total, fill);
    return s;
}

TEST(VirtualFontStub, StubEndingIgnoresCaseAndShortPaths) {
    EXPECT_TRUE(IsStubPath(u"C:\\vf\\arial.ttf.vft"));
    EXPECT_TRUE(IsStubPath(u"font.VFT"));
    EXPECT_TRUE(IsStubPath(u".vFt"));
    EXPECT_FALSE(IsStubPath(u"sample.TTF"));
    EXPECT_FALSE(IsStubPath(u"x.vft "));
    EXPECT_FALSE(IsStubPath(u"x.vftx"));
    EXPECT_FALSE(IsStubPath(u"vft"));
    EXPECT_FALSE(IsStubPath(u""));
    // Folding is ASCII only: a fullwidth letter is not its ASCII twin.
    EXPECT_FALSE(IsStubPath(u"x.\xFF36\x66t"));
}

// The two rules that read stub text, side by side: the engine's (either form, else nothing) and
// Stubmaker's (first unit "-", else the text itself). The Fonts folder joins with one separator
// whether or not it ends in one.
TEST(VirtualFontStub, TheTwoRulesSideBySide) {
    struct Case {
        std::u16string_view text, fonts, eitherForm, firstUnitDash;
    };
    constexpr std::u16string_view kFontsSlash = u"C:\\windows\\Fonts\\";
    const Case cases[] = {
        {u"-:arial.ttf", kFonts, u"C:\\windows\\Fonts\\arial.ttf", u"C:\\windows\\Fonts\\arial.ttf"},
        {u"-:arial.ttf", kFontsSlash, u"C:\\windows\\Fonts\\arial.ttf", u"C:\\windows\\Fonts\\arial.ttf"},
        {u"D:\\myfonts\\x.otf", kFonts, u"D:\\myfonts\\x.otf", u"D:\\myfonts\\x.otf"},
        // Stubmaker never looks at the second unit; the engine wants the colon.
        {u"-Xarial.ttf", kFonts, u"", u"C:\\windows\\Fonts\\arial.ttf"},
        {u"-x-:arial.ttf", kFonts, u"", u"C:\\windows\\Fonts\\-:arial.ttf"},
        // Text in neither form names nothing for the engine and itself for Stubmaker.
        {u"arial.ttf", kFonts, u"", u"arial.ttf"},
        {u"", kFonts, u"", u""},
        // "-:" with nothing after it, or without a Fonts folder, names no file for the engine.
        {u"-", kFonts, u"", u"C:\\windows\\Fonts\\"},
        {u"-:", kFonts, u"", u"C:\\windows\\Fonts\\"},
        {u"-:arial.ttf", u"", u"", u"\\arial.ttf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(ResolveStubText(c.text, c.fonts, StubTextRule::kEitherForm), c.eitherForm);
        EXPECT_EQ(ResolveStubText(c.text, c.fonts, StubTextRule::kFirstUnitDash), c.firstUnitDash);
    }
}

TEST(VirtualFontStub, TextEndsAtTheFirstNulAndFitsAPathBuffer) {
    using namespace std::string_view_literals;
    EXPECT_EQ(StubTarget(u"D:\\a.ttf\0D:\\b.ttf"sv, kFonts), u"D:\\a.ttf");
    EXPECT_EQ(StubTarget(u"\0:x"sv, kFonts), u"");
    // 260 units read and none of them NUL: the text is cut to what a path buffer holds.
    const std::u16string full = Units(u"D:\\", u'a', kPathBufferUnits);
    EXPECT_EQ(StubText(full).size(), kMaxPathUnits);
    EXPECT_EQ(StubTarget(full, kFonts), full.substr(0, kMaxPathUnits));
    EXPECT_EQ(StubText(Units(u"D:\\", u'a', 5000)).size(), kMaxPathUnits);
}

TEST(VirtualFontStub, FontsFolderJoinThatDoesNotFitNamesNoFile) {
    const std::size_t room = kMaxPathUnits - kFonts.size() - 1;
    const std::u16string fits = std::u16string(room, u'n');
    EXPECT_EQ(StubTarget(u"-:" + fits, kFonts).size(), kMaxPathUnits);
    EXPECT_EQ(StubTarget(u"-:" + fits + u"x", kFonts), u"");
    EXPECT_EQ(JoinFontsFolder(kFonts, fits + u"x"), u"");
}

TEST(VirtualFontStub, RemovalTargetTakesTextWithoutAFormAsItIs) {
    EXPECT_EQ(RemovalTarget(u"-:arial.ttf", kFonts), u"C:\\windows\\Fonts\\arial.ttf");
    EXPECT_EQ(RemovalTarget(u"D:\\myfonts\\x.otf", kFonts), u"D:\\myfonts\\x.otf");
    EXPECT_EQ(RemovalTarget(u"arial.ttf", kFonts), u"arial.ttf");
    EXPECT_EQ(RemovalTarget(u"-:arial.ttf", u""), u"");
}

TEST(VirtualFontStub, InstalledFontEntries) {
    EXPECT_EQ(InstalledFontEntry(u"arial.ttf", true), u"-:arial.ttf");
    EXPECT_EQ(InstalledFontEntry(u"Z:\\x.ttf", true), u"Z:\\x.ttf");
    EXPECT_EQ(InstalledFontEntry(u"arial.ttf", false), u"arial.ttf");
    EXPECT_EQ(InstalledFontFile(u"arial.ttf", true, kFonts), u"C:\\windows\\Fonts\\arial.ttf");
    EXPECT_EQ(InstalledFontFile(u"Z:\\usr\\share\\x.ttf", true, kFonts), u"Z:\\usr\\share\\x.ttf");
    // Only plain strings are relative; other types are used unchanged.
    EXPECT_EQ(InstalledFontFile(u"arial.ttf", false, kFonts), u"arial.ttf");
    EXPECT_EQ(InstalledFontFile(u"", true, kFonts), u"");
    using namespace std::string_view_literals;
    EXPECT_EQ(InstalledFontFile(u"a.ttf\0junk"sv, true, kFonts), u"C:\\windows\\Fonts\\a.ttf");
}

TEST(VirtualFontStub, BackupFolderFinishing) {
    EXPECT_EQ(FinishBackupFolder(u"E:\\"), u"E:\\");
    EXPECT_EQ(FinishBackupFolder(u"E:\\keep"), u"E:\\keep\\");
    EXPECT_EQ(FinishBackupFolder(u"E:\\keep\\"), u"E:\\keep\\");
    EXPECT_EQ(FinishBackupFolder(u""), u"");
    // The finished folder, backslash included, must fit a path buffer with its terminator.
    const std::u16string longest(kMaxPathUnits - 1, u'k');
    EXPECT_EQ(FinishBackupFolder(longest).size(), kMaxPathUnits);
    EXPECT_EQ(FinishBackupFolder(longest + u"\\").size(), kMaxPathUnits);
    EXPECT_EQ(FinishBackupFolder(longest + u"k"), u"");
    EXPECT_EQ(FinishBackupFolder(std::u16string(kPathBufferUnits, u'k')), u"");
}

} // namespace
