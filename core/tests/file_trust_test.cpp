// The checks an elevated process makes on the locations and owners it reads from open handles.
#include <gtest/gtest.h>

#include "core/file_trust.h"
#include "core/virtual_font_stub.h"

namespace {

using namespace glyphpeek;

const FileLocation kFonts{7, u"\\Windows\\Fonts"};

// A handle opened through a junction or a link reports where the file really is, so a path that
// merely names the Fonts folder is never enough.
TEST(FileTrust, AFileLiesInTheFolderOnlyWhereItReallyIs) {
    EXPECT_TRUE(LiesIn({7, u"\\Windows\\Fonts\\arial.ttf"}, kFonts, true));
    EXPECT_TRUE(LiesIn({7, u"\\WINDOWS\\fonts\\arial.ttf"}, kFonts, true));
    EXPECT_TRUE(LiesIn({7, u"\\Windows\\Fonts\\sub\\arial.ttf"}, kFonts, false));
    EXPECT_TRUE(LiesIn({7, u"\\Windows\\Fonts\\arial.ttf"}, {7, u"\\Windows\\Fonts\\"}, true));
    EXPECT_TRUE(LiesIn({7, u"\\arial.ttf"}, {7, u"\\"}, true));

    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\sub\\arial.ttf"}, kFonts, true));    // not directly
    EXPECT_FALSE(LiesIn({7, u"\\Users\\x\\Downloads\\arial.ttf"}, kFonts, false));    // resolved elsewhere
    EXPECT_FALSE(LiesIn({8, u"\\Windows\\Fonts\\arial.ttf"}, kFonts, false));         // another volume
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\FontsX\\arial.ttf"}, kFonts, false));        // a sibling's name
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts"}, kFonts, false));                     // the folder itself
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\"}, kFonts, false));
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\..\\System32\\x.dll"}, kFonts, false));
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\\\x.ttf"}, kFonts, false));
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\\xC4.ttf"}, {7, u"\\Windows\\Fonts\\\xE4"}, false));
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\x.ttf"}, {7, u""}, false));
    EXPECT_FALSE(LiesIn({7, u"\\Windows\\Fonts\\x.ttf"}, {7, u"Windows\\Fonts"}, false));
}

TEST(FileTrust, AFolderIsWhereItsPathSaysOnlyWithNoLinkOnTheWay) {
    const FileLocation cache{3, u"\\Users\\x\\AppData\\Local\\Microsoft\\Windows\\Explorer"};
    EXPECT_TRUE(IsPlainPathOf(u"C:\\Users\\x\\AppData\\Local\\Microsoft\\Windows\\Explorer", cache));
    EXPECT_TRUE(IsPlainPathOf(u"c:\\users\\X\\AppData\\Local\\Microsoft\\Windows\\Explorer\\", cache));
    EXPECT_TRUE(IsPlainPathOf(u"D:\\", {3, u"\\"}));
    // A junction on the way: the handle lies somewhere else.
    EXPECT_FALSE(IsPlainPathOf(u"C:\\Users\\x\\AppData\\Local\\Microsoft\\Windows\\Explorer",
                               {3, u"\\Windows\\System32\\Explorer"}));
    EXPECT_FALSE(IsPlainPathOf(u"\\\\?\\C:\\Users\\x\\AppData\\Local\\Microsoft\\Windows\\Explorer", cache));
    EXPECT_FALSE(IsPlainPathOf(u"\\\\server\\share\\Explorer", {3, u"\\share\\Explorer"}));
    EXPECT_FALSE(IsPlainPathOf(u"Users\\x", {3, u"\\Users\\x"}));
    EXPECT_FALSE(IsPlainPathOf(u"C:", {3, u"\\"}));
}

TEST(FileTrust, OnlyTheInstallerAccountOwnsWhatWindowsShips) {
    EXPECT_TRUE(IsWindowsInstallerOwner(u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"));
    EXPECT_FALSE(IsWindowsInstallerOwner(u"S-1-5-80-956008885-3418522649-1831038044-1853292631-22714784640"));
    EXPECT_FALSE(IsWindowsInstallerOwner(u"S-1-5-32-544"));  // Administrators
    EXPECT_FALSE(IsWindowsInstallerOwner(u"S-1-5-18"));      // the system account
    EXPECT_FALSE(IsWindowsInstallerOwner(u""));
}

TEST(FileTrust, BackupNamesCountBeforeTheExtension) {
    EXPECT_EQ(NumberedFileName(u"arial.ttf", 1), u"arial.ttf");
    EXPECT_EQ(NumberedFileName(u"arial.ttf", 2), u"arial (2).ttf");
    EXPECT_EQ(NumberedFileName(u"my.font.otf", 12), u"my.font (12).otf");
    EXPECT_EQ(NumberedFileName(u"noextension", 3), u"noextension (3)");
    EXPECT_EQ(NumberedFileName(u".fontrc", 2), u".fontrc (2)");
}

} // namespace
