#include "trsetting/command_line.h"

#include <gtest/gtest.h>

namespace {

using glyphpeek::trsetting::ParseCommandTail;
using glyphpeek::trsetting::StartAction;

TEST(CommandLine, SwitchesCountOnlyAtTheStartInAnyLetterCase) {
    EXPECT_EQ(ParseCommandTail(u"/INSTALL").action, StartAction::kInstall);
    EXPECT_EQ(ParseCommandTail(u" /install").action, StartAction::kSettingsDialog);
    EXPECT_EQ(ParseCommandTail(u"/unregister").action, StartAction::kUnregister);
    EXPECT_EQ(ParseCommandTail(u"/Uninstall now").action, StartAction::kUninstall);
    EXPECT_EQ(ParseCommandTail(u"/clrcache").action, StartAction::kClearCache);
    EXPECT_EQ(ParseCommandTail(u"/image").action, StartAction::kImage);
    EXPECT_EQ(ParseCommandTail(u"/SETUP").action, StartAction::kSetup);
    EXPECT_EQ(ParseCommandTail(u"/undosetup").action, StartAction::kUndoSetup);
    EXPECT_EQ(ParseCommandTail(u"/CleanUp").action, StartAction::kCleanup);
    for (const std::u16string_view other : {u"", u"/result", u"install", u"x /install", u"/instal"})
        EXPECT_EQ(ParseCommandTail(other).action, StartAction::kSettingsDialog);
}

TEST(CommandLine, ResultMayStandAnywhere) {
    EXPECT_FALSE(ParseCommandTail(u"/install").showResult);
    EXPECT_TRUE(ParseCommandTail(u"/install /result").showResult);
    EXPECT_TRUE(ParseCommandTail(u"/unregist/RESULT").showResult);
    const auto alone = ParseCommandTail(u"/result");
    EXPECT_TRUE(alone.showResult);
    EXPECT_EQ(alone.action, StartAction::kSettingsDialog);
}

TEST(CommandLine, FontTypeIsNamedByTheLastThreeCharacters) {
    struct Case {
        std::u16string_view tail;
        int type;
    };
    for (const Case& c : {Case{u"/regist TTF", 1}, Case{u"/regist ttc", 2}, Case{u"/registotf", 3},
                          Case{u"/regist TTF ", -1}, Case{u"/registall", -1}, Case{u"/regist", -1},
                          Case{u"/regist ttf /result", -1}}) {
        const auto request = ParseCommandTail(c.tail);
        EXPECT_EQ(request.action, StartAction::kRegisterType);
        EXPECT_EQ(request.fontType, c.type) << std::string(c.tail.begin(), c.tail.end());
    }
}

TEST(CommandLine, ImagePathKeepsItsCaseAndLosesBlanksAndQuotes) {
    EXPECT_EQ(ParseCommandTail(u"/Image \"C:\\My Fonts\\Gothic.TTF\"").imagePath, u"C:\\My Fonts\\Gothic.TTF");
    EXPECT_EQ(ParseCommandTail(u"/IMAGE\t  D:\\x.otf").imagePath, u"D:\\x.otf");
    EXPECT_EQ(ParseCommandTail(u"/image\"\"C:\\a.ttf\"\"").imagePath, u"C:\\a.ttf");
    EXPECT_EQ(ParseCommandTail(u"/image \"\"").imagePath, u"");
    EXPECT_EQ(ParseCommandTail(u"/image").imagePath, u"");
    // Blanks inside the quotes belong to the path.
    EXPECT_EQ(ParseCommandTail(u"/image \" C:\\a.ttf \"").imagePath, u" C:\\a.ttf ");
}

TEST(CommandLine, RemoveFontTakesTheFontFiles) {
    auto request = ParseCommandTail(u"/RemoveFont \"C:\\Windows\\Fonts\\a b.ttf\"  D:\\x.otf \"\"");
    EXPECT_EQ(request.action, StartAction::kRemoveFont);
    EXPECT_EQ(request.removalFiles, (std::vector<std::u16string>{u"C:\\Windows\\Fonts\\a b.ttf", u"D:\\x.otf", u""}));
    // Without a file there is nothing to remove: the settings dialog, as for any unknown text.
    EXPECT_EQ(ParseCommandTail(u"/removefont   ").action, StartAction::kSettingsDialog);
}

} // namespace
