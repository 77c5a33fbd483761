#include "core/condition_pattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace glyphpeek {
namespace {

using Outcome = ConditionPattern::Outcome;

std::u16string U(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// Compiles (case-insensitive unless told otherwise) and searches; a compile failure reads as false.
bool Matches(std::string_view pattern, std::string_view input, bool caseInsensitive = true) {
    ConditionPattern p;
    return p.Compile(U(pattern), caseInsensitive) && p.Search(U(input));
}

struct MatchCase {
    std::string_view pattern, input;
    bool matches;
};

// Each case case-insensitively, named by its pattern and input when it fails.
void ExpectMatches(std::initializer_list<MatchCase> cases) {
    for (const MatchCase& c : cases)
        EXPECT_EQ(Matches(c.pattern, c.input), c.matches) << "pattern \"" << c.pattern << "\" on \"" << c.input << '"';
}

bool Compiles(std::string_view pattern, bool caseInsensitive = true) {
    ConditionPattern p;
    return p.Compile(U(pattern), caseInsensitive);
}

// Captures of a case-sensitive match as "b-e b-e ..." ("-" for a group that took no part),
// or "no match".
std::string Groups(std::string_view pattern, std::string_view input) {
    ConditionPattern p;
    if (!p.Compile(U(pattern), false)) return "compile error";
    std::vector<ConditionPattern::Capture> caps;
    if (p.Run(U(input), &caps) != Outcome::kMatch) return "no match";
    std::string out;
    for (const auto& c : caps) {
        if (!out.empty()) out += ' ';
        out += c.begin < 0 ? std::string("-") : std::to_string(c.begin) + "-" + std::to_string(c.end);
    }
    return out;
}

TEST(ConditionPattern, DocumentedEdgeCases) {
    ExpectMatches({
        {"\\.ttc$", "Font.TTC", true},
        {"\\.ttc$", "font.ttc.bak", false},
        {"^ms", "msgothic.ttc", true},
        {"^ms", "xms.ttf", false},
        {"ms", "msgothic.ttc", true},
        {"ms", "xms.ttf", true},
        {"ttf|otf", "a.ttf", false},
        {"ttf|otf", "a.otf", false},
        {"ttf|otf", "a.ttotf", true},
        {"ttf|otf", "a.ttftf", true},
        {"(ttf)|(otf)", "a.otf", true},
        {"(ttf)|(otf)", "a.ttf", true},
        {"*.ttf", "a.ttf", false},
        {"*.ttf", "*.ttf", true},
        {".*\\.ttf", "a.ttf", true},
        {"[0-9]+", "font2.ttf", true},
    });
    EXPECT_FALSE(Compiles("[9-0]"));
    EXPECT_FALSE(Compiles("[]"));
    EXPECT_TRUE(Matches("{a}\\0", "aa"));
    EXPECT_TRUE(Matches("{a}\\0", "AA"));
    EXPECT_FALSE(Compiles("\\0{a}"));
    ExpectMatches({
        {"a!b", "ac", true},
        {"a!b", "a", true},
        {"a!b", "ab", false},
        {"abc)def", "xabcx", true},
        {"abc)def", "ab", false},
        {"a|", "zzz", true},
        {")", "zzz", true},
        {"", "", true},
        {"$", "", true},
        {"$", "a", false},
    });
    EXPECT_FALSE(Compiles("(a*)*"));
    EXPECT_TRUE(Compiles("(a*)?"));
}

TEST(ConditionPattern, LiteralsAndEscapes) {
    ExpectMatches({
        {"\\.", "a.b", true},
        {"\\.", "ab", false},
        {".", "x", true},
        {"\\\\", "a\\b", true},
        {"\\t", "t", true},  // outside a class \t is the letter t
        {"\\t", "\t", false},
        {"\\$$", "a$", true},
        {"\\(\\)\\{\\}\\[\\]\\|\\!\\*", "(){}[]|!*", true},
        {"a\\|b", "a|b", true},
        {"\\x\\y", "xy", true},
    });
    const std::u16string wide = u"\u30d5\u30a9\u30f3\u30c8";  // non-ASCII units compare as values
    ConditionPattern p;
    ASSERT_TRUE(p.Compile(wide.substr(1, 2), true));
    EXPECT_TRUE(p.Search(wide));
    EXPECT_FALSE(p.Search(u"\u30d5"));
}

TEST(ConditionPattern, QuantifiersWithNothingToApplyToAreLiterals) {
    ExpectMatches({
        {"+a", "+a", true},
        {"+a", "a", false},
        {"?", "?", true},
        {"?", "x", false},
        {"(*)", "*", true},
        {"{+}", "+", true},
        {"a|*", "*", true},  // after |
        {"x!*", "xy", true},  // after !
        {"x!*", "x*", false},
        {"^*", "*a", true},   // after ^
        {"^*", "a*", false},
        // Right after another quantifier: the second is a literal, which may itself be quantified.
        {"^a+*$", "aaa*", true},
        {"^a+*$", "aaa", false},
        {"^a**$", "*", true},
        {"^a***$", "aa**", true},  // a*, then (literal *)*
        {"^a*??$", "aa?", true},   // a*?, then a literal ?
        {"^a*??$", "aa", false},
        {"^a???$", "?", true},     // a??, then a literal ?
        {"^a???$", "a?", true},
        {"^a???$", "a", false},
    });
}

TEST(ConditionPattern, AlternationBindsSingleTerms) {
    ExpectMatches({
        {"^a|b|c$", "b", true},
        {"^a|b|c$", "d", false},
        {"^ab|cd$", "abd", true},  // a, (b|c), d
        {"^ab|cd$", "acd", true},
        {"^ab|cd$", "ab", false},
        {"^a*|b$", "aaa", true},   // (a*)|b: the quantifier belongs to its side
        {"^a*|b$", "b", true},
        {"^xa|b+y$", "xbbby", true},
        {"^xa|b+y$", "xaay", false},
        {"^(ab)|(cd)|(ef)$", "cd", true},
        {"^(ab|cd)+$", "acdabd", true},  // ((a(b|c)d))+
        {"^(ab|cd)+$", "abab", false},
    });
    // Left side first, with backtracking into the right side.
    EXPECT_EQ(Groups("{a|(ab)}{c|(bcd)}{d*}", "abcd"), "0-1 1-4 4-4");
    EXPECT_EQ(Groups("{a|ab}", "ab"), "0-2");  // (a|a), then b
    EXPECT_EQ(Groups("{a}|{b}", "b"), "- 0-1");
}

TEST(ConditionPattern, SilentStopBeforeATermThatCannotBegin) {
    ExpectMatches({
        {"abc]def", "abc", true},
        {"abc}def", "abc", true},
        {"abc}def", "abd", false},
        {"]", "", true},
        {"}x", "y", true},
        // A dangling | drops its whole alternation: xa| reads as x.
        {"xa|", "x", true},
        {"xa|", "a", false},
        {"xa|)q", "x", true},
        {"a|b|", "z", true},
        // A | with nothing before it, or a ! with nothing to negate, cannot begin either.
        {"|a", "z", true},
        {"a||b", "z", true},
        {"xa!", "xa", true},
        {"x!)", "x", true},
    });
    // Inside a group the group's own bracket must stand where reading stopped.
    EXPECT_FALSE(Compiles("(a|)"));
    EXPECT_FALSE(Compiles("(a})"));
    EXPECT_FALSE(Compiles("{a)}"));
    EXPECT_FALSE(Compiles("(a])"));
    EXPECT_FALSE(Compiles("(a!)"));
    EXPECT_TRUE(Matches("(a))b", "a"));  // the second ) stops reading
}

TEST(ConditionPattern, AnchorsOnlyFirstAndLast) {
    ExpectMatches({
        {"^$", "", true},
        {"^$", "a", false},
        {"^", "", true},
        {"^", "abc", true},
        {"a^b", "a^b", true},
        {"a^b", "ab", false},
        {"^^", "^x", true},
        {"^^", "x^", false},
        {"a$b", "a$b", true},
        {"$$", "x$", true},
        {"$$", "$x", false},
        {"a|$", "", true},  // a or the end, but the end is never a start position
        {"a|$", "b", false},
        {"ba|$", "b", true},
        {"b$", "ab", true},
        {"^.*$", "", true},
        {"^ab$", "ab", true},
        {"^ab$", "abb", false},
    });
}

TEST(ConditionPattern, StartPositions) {
    // Start positions are 0 .. len-1; the end itself only for an empty input.
    ExpectMatches({
        {"a?", "", true},
        {".", "", false},
        {"!a", "", true},
        {"!a", "a", false},
        {"!a", "ab", true},
        {"!b", "ab", true},
        {"c", "abc", true},
    });
    EXPECT_EQ(Groups("{b+}", "abbcbbb"), "1-3");  // the first start that works wins
    EXPECT_EQ(Groups(".*{b}", "abbcbbb"), "6-7");
    EXPECT_EQ(Groups(".*?{b}", "abbcbbb"), "1-2");
}

TEST(ConditionPattern, GroupsAndNesting) {
    ExpectMatches({
        {"()", "x", true},
        {"{}", "", true},
        {"^()a(())$", "a", true},
        {"^((a)(b(c)))$", "abc", true},
    });
    EXPECT_EQ(Groups("{a{b}}{c}", "abc"), "0-2 1-2 2-3");  // numbered by opening brace
    EXPECT_EQ(Groups("(a)(b){c}", "abc"), "2-3");        // () does not capture
    EXPECT_EQ(Groups("{}", "x"), "0-0");
    EXPECT_EQ(Groups("{x}?y", "y"), "-");
    // A repeated group keeps its last repetition.
    EXPECT_EQ(Groups("{[a-c]}+", "abc"), "2-3");
    EXPECT_EQ(Groups("^({a}|{b})+$", "ab"), "0-1 1-2");
    EXPECT_TRUE(Matches("^((a|b)+c)+$", "abcbbcac"));
    EXPECT_FALSE(Matches("^((a|b)+c)+$", "abcbb"));
}

TEST(ConditionPattern, GreedyAndLazyWithBacktracking) {
    EXPECT_EQ(Groups("{a*}a", "aaaa"), "0-3");
    EXPECT_EQ(Groups("{a*?}a", "aaaa"), "0-0");
    EXPECT_EQ(Groups("{a+}", "aaaa"), "0-4");
    EXPECT_EQ(Groups("{a+?}", "aaaa"), "0-1");
    EXPECT_EQ(Groups("{a?}a", "aa"), "0-1");
    EXPECT_EQ(Groups("{a??}a", "aa"), "0-0");
    EXPECT_EQ(Groups("{.*}x", "axbxc"), "0-3");
    EXPECT_EQ(Groups("{.*?}x", "axbxc"), "0-1");
    EXPECT_EQ(Groups("{a+?}b", "aaab"), "0-3");  // lazy must still extend to succeed
    EXPECT_EQ(Groups("{a*}{a*}", "aaa"), "0-3 3-3");
    EXPECT_EQ(Groups("{a*?}{a*}", "aaa"), "0-0 0-3");
    EXPECT_EQ(Groups("{(ab)*}ab", "ababab"), "0-4");
    EXPECT_EQ(Groups("{(ab)*?}ab$", "ababab"), "0-4");
    EXPECT_EQ(Groups("^{.+}{.+}$", "abcd"), "0-3 3-4");
    EXPECT_EQ(Groups("^{.+?}{.+}$", "abcd"), "0-1 1-4");
    EXPECT_TRUE(Matches("^a*a*a*b$", "aaaab"));
    EXPECT_TRUE(Matches("^(a|(ab))(c|(bcd))(d*)$", "abcd"));
}

TEST(ConditionPattern, BackReferences) {
    EXPECT_TRUE(Matches("{ab}\\0", "ABab"));  // case folding applies to back-references too
    EXPECT_FALSE(Matches("{ab}\\0", "ABab", false));
    EXPECT_TRUE(Matches("{ab}\\0", "abab", false));
    ExpectMatches({
        {"{ab}\\0", "abba", false},
        {"^{.+}-\\0$", "xyz-xyz", true},
        {"^{.+}-\\0$", "xyz-xy", false},
        {"^{ab}\\0+$", "ababab", true},
    });
    EXPECT_TRUE(Compiles("{ab}\\0*"));
    EXPECT_FALSE(Compiles("{a?}\\0*"));  // the captured text may be empty
    EXPECT_TRUE(Compiles("{a?}\\0?"));
    ExpectMatches({
        {"{{a}b}\\1\\0", "abaab", true},
        // All digits are one number.
        {"{a}{b}{c}{d}{e}{f}{g}{h}{i}{j}{k}\\10", "abcdefghijkk", true},
        {"{a}{b}{c}{d}{e}{f}{g}{h}{i}{j}{k}\\10", "abcdefghijkb0", false},
    });
    EXPECT_FALSE(Compiles("{a}{b}\\10"));
    EXPECT_FALSE(Compiles("{a}\\1"));
    EXPECT_FALSE(Compiles("{a}\\99999999999999999999"));
    EXPECT_TRUE(Matches("{a}\\00", "aa"));  // \00 is group 0
    // The group must have opened earlier, not closed: inside its own open group the reference has
    // no text and fails (never reads outside the input).
    EXPECT_TRUE(Compiles("{a\\0}"));
    ExpectMatches({
        {"{a\\0}", "a", false},
        {"{a\\0}", "aa", false},
        {"{a|\\0}+", "aaa", true},
        {"{a\\0}+", "aaaaaaaa", false},
        // A group that took no part has no text either.
        {"{a}?b\\0", "b", false},
        {"{a}?b\\0", "aba", true},
        // The reference follows the group's latest repetition.
        {"^({.})+\\0$", "abcc", true},
        {"^({.})+\\0$", "abca", false},
    });
}

TEST(ConditionPattern, NegativeLookAhead) {
    ExpectMatches({
        {"^!a.", "b", true},
        {"^!a.", "a", false},
        {"^!a.", "", false},
        {"^!(ab)..", "ac", true},
        {"^!(ab)..", "ab", false},
        {"^![xy]", "z", true},
        {"^!\\d", "z", true},
        {"^!\\d", "5", false},
        {"^{a}!\\0", "ab", true},
        {"^{a}!\\0", "aa", false},
        {"{a}!\\0", "aa", true},  // from start 1 nothing follows the captured a
    });
    // ! takes an element, not a quantified term: !a* repeats the look-ahead, which can match empty.
    EXPECT_FALSE(Compiles("!a*"));
    EXPECT_FALSE(Compiles("!a+"));
    EXPECT_TRUE(Compiles("!a?"));
    ExpectMatches({
        {"^!(a*)b", "b", false},  // a* matches empty, so the look-ahead always fails
        {"^!(a*)b", "ab", false},
        {"^!(a+)b", "b", true},
        {"^!!a.", "a", true},      // double negation: a positive look-ahead
        {"^!!a.", "b", false},
        {"^(!a.)+$", "bcd", true},
        {"^(!a.)+$", "bad", false},
        {"^(!(ab).)*$", "aaacb", true},
        {"^(!(ab).)*$", "aacab", false},
        // Captures made inside a look-ahead do not survive it.
        {"!{a}b\\0", "b", false},
    });
    EXPECT_EQ(Groups("!{x}{b}", "b"), "- 0-1");
    // ... nor when the body matched (so the look-ahead failed) and another path goes on.
    EXPECT_FALSE(Matches("^(!{a})?a\\0", "aa"));
    EXPECT_EQ(Groups("(!{a})?a", "a"), "-");
    EXPECT_EQ(Groups("(!({a}{b}))?ab", "ab"), "- -");
    // A look-ahead whose body has untried branches left when it matches.
    ExpectMatches({
        {"^!(a|b|c)d", "d", true},
        {"^!(a|b|c)d", "cd", false},
        {"^(a|b)!(x|y)c", "bc", true},
    });
}

TEST(ConditionPattern, Abbreviations) {
    ExpectMatches({
        {"^\\a+$", "ab12Z", true},
        {"^\\a+$", "ab-1", false},
        {"^x\\by$", "x y", true},
        {"^x\\by$", "x\ty", true},
        {"^x\\by$", "x_y", false},
        {"^\\c+$", "abcXYZ", true},
        {"^\\c+$", "abc1", false},
        {"^\\d\\d$", "42", true},
        {"^\\d$", "x", false},
    });
    EXPECT_TRUE(Matches("^\\h+$", "09afAF", false));
    EXPECT_FALSE(Matches("^\\h$", "g"));
    EXPECT_FALSE(Matches("^\\h$", "G", false));
    ExpectMatches({
        {"^\\n$", "\r", true},
        {"^\\n$", "\n", true},
        {"^\\n$", "\r\n", true},
        {"^\\n$", "\n\r", false},
        {"\\n", "n", false},
        {"^\\q$", "\"abc\"", true},
        {"^\\q$", "\"\"", true},
        {"^\\q$", "\"ab", false},
        {"^\\q$", "'ab'", false},
        {"^\\q$", "\"a\"b\"", false},
        {"^\\w$", "Gothic", true},
        {"^\\w$", "", false},
        {"^\\w$", "go2", false},
        {"^\\z$", "2024", true},
        {"^\\z$", "20x4", false},
        // Each is one term: quantifiers, alternation and ! apply to the whole abbreviation.
        {"^\\d?x$", "x", true},
        {"^\\w*\\.ttf$", "gothic.ttf", true},
        {"^\\d|\\c$", "q", true},
        {"^!\\c.$", "1", true},
        {"^{\\w}-\\0$", "ab-ab", true},
    });
    EXPECT_EQ(Groups("{\\w}{\\z}", "ab12"), "0-2 2-4");  // the expansions capture nothing
    // Folding comes first, so upper-case escapes are the same abbreviations; only when folding.
    EXPECT_TRUE(Matches("^\\D\\W$", "1abc"));
    EXPECT_TRUE(Matches("^\\D$", "D", false));
    EXPECT_FALSE(Matches("^\\D$", "1", false));
}

TEST(ConditionPattern, Classes) {
    ExpectMatches({
        {"^[abc]+$", "cab", true},
        {"^[abc]+$", "cad", false},
        {"^[^abc]$", "d", true},
        {"^[^abc]$", "a", false},
        {"a[^b]", "a", false},  // a negated class never matches the end
        {"^[a-cx-z]+$", "abxz", true},
        {"^[a-cx-z]$", "d", false},
        {"^[a-a]$", "a", true},
        {"^[-a]+$", "-a", true},
        {"^[a-c-e]+$", "b-e", true},  // after a range a - begins a new item
        {"^[a-c-e]$", "d", false},
        {"^[a-z-]$", "-", true},
        {"^[.]$", ".", true},
        {"^[.]$", "x", false},
        {"^[$^|(){}*]+$", "$^|(){}*", true},
        // Escapes: the character itself, except \t for a tab; no abbreviations inside classes.
        {"^[\\t]$", "\t", true},
        {"^[\\t]$", "t", false},
        {"^[\\]]$", "]", true},
        {"^[\\-]$", "-", true},
        {"^[\\\\]$", "\\", true},
        {"^[\\d]$", "d", true},
        {"^[\\d]$", "5", false},
        // The escape applies to the first bound only; the second is taken as written.
        {"^[\\]-a]+$", "]^_`a", true},
        {"^[!-\\]+$", "!5\\", true},  // ! to backslash, then ] closes
    });
    EXPECT_FALSE(Compiles("[a-\\]"));           // a to backslash: second bound below the first
    // Case: the pattern is folded before it is read.
    EXPECT_TRUE(Matches("^[A-C]$", "b"));
    EXPECT_FALSE(Matches("^[A-C]$", "b", false));
    EXPECT_TRUE(Matches("^[A-C]$", "B", false));
    EXPECT_FALSE(Compiles("[Z-a]"));
    EXPECT_TRUE(Compiles("[Z-a]", false));
    EXPECT_TRUE(Matches("^[\\T]$", "\t"));  // \T folds to \t
    // Bounds compare as unit values.
    ConditionPattern p;
    ASSERT_TRUE(p.Compile(u"^[\u3040-\u309f]+$", true));
    EXPECT_TRUE(p.Search(u"\u3072\u3089"));
    EXPECT_FALSE(p.Search(u"\u30d2"));
}

TEST(ConditionPattern, CompileErrors) {
    for (const char* bad : {"(", "(a", "((a)", "(a}", "{", "{a", "{(a}", "[", "[a", "[^", "[]", "[^]", "[]a]",
                            "[a-]", "[a-", "[b-a]", "[\\", "\\0", "{a}\\1", "a\\0{b}", "(a?)*", "(a*)+", "()*",
                            "{}+", "(a?)*?", "(a?)+?", "(a|b?)*", "(!a)+", "\\", "ab\\", "[a]\\", "!\\"}) {
        EXPECT_FALSE(Compiles(bad)) << bad;
        EXPECT_FALSE(Compiles(bad, false)) << bad;
    }
    for (const char* good : {"(a*)?", "(a?)??", "()", "{}", "()?", "(a|b)*", "(a?b)*", "{a}\\0", "[\\]]", "[a\\-]",
                             "\\\\", "a\\)", "(!a?)b"}) {
        EXPECT_TRUE(Compiles(good)) << good;
    }
    // A failed compile leaves a pattern that matches nothing, also after an earlier success.
    ConditionPattern p;
    EXPECT_FALSE(p.Search(u""));
    ASSERT_TRUE(p.Compile(u"a", true));
    EXPECT_TRUE(p.Search(u"a"));
    EXPECT_FALSE(p.Compile(u"(", true));
    EXPECT_FALSE(p.Search(u"a"));
    EXPECT_FALSE(p.Search(u""));
    EXPECT_EQ(p.Run(u"", nullptr), Outcome::kNoMatch);
    ASSERT_TRUE(p.Compile(u"B", false));
    EXPECT_FALSE(p.Search(u"b"));  // the new flag replaces the old one
}

TEST(ConditionPattern, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(Matches("GOTHIC", "msgothic.ttc"));
    EXPECT_TRUE(Matches("gothic", "MSGOTHIC.TTC"));
    EXPECT_FALSE(Matches("gothic", "MSGOTHIC.TTC", false));
    EXPECT_TRUE(Matches("[@-Z]", "@"));  // @ is not a letter; folding leaves it
    ConditionPattern p;
    ASSERT_TRUE(p.Compile(u"\u00c4", true));  // Ä and ä stay different
    EXPECT_FALSE(p.Search(u"\u00e4"));
    EXPECT_TRUE(p.Search(u"\u00c4"));
}

TEST(ConditionPattern, HostilePatternsCompileSafely) {
    EXPECT_FALSE(Compiles(std::string(5000, '(')));
    EXPECT_FALSE(Compiles(std::string(5000, '{')));
    EXPECT_FALSE(Compiles(std::string(1000, '!') + "x"));
    EXPECT_TRUE(Matches(std::string(99, '!') + "x", "y"));  // within the nesting limit; odd count: !x
    std::string alternatives;
    for (int i = 0; i < 5000; ++i) alternatives += "a|";
    EXPECT_FALSE(Compiles(alternatives + "b"));  // nesting beyond the parser's limit
    EXPECT_TRUE(Matches(std::string(100000, 'a'), std::string(100000, 'a')));
}

// The work bound: any short condition against any name ends quickly and, when it runs out, answers
// no match. (Timing lives in tools/bench/bench_condition_pattern.cpp.)
TEST(ConditionPattern, WorkBound) {
    const std::u16string as(259, u'a');
    for (const char* hostile : {"(a+)+b", "(a|aa)+b", "(aa*a*a*a*a*)+b", "(\\w|\\c)+1", "((a+)+)+b",
                                "(.+)+!.x", "(a|a)+(a|a)+(a|a)+b", "a?a?a?a?a?a?a?a?a?a?a?a?aaaaaaaaaaaaab"}) {
        ConditionPattern p;
        ASSERT_TRUE(p.Compile(U(hostile), true)) << hostile;
        EXPECT_FALSE(p.Search(as)) << hostile;
    }
    ConditionPattern p;
    ASSERT_TRUE(p.Compile(u"(a|aa)+b", true));
    EXPECT_EQ(p.Run(as, nullptr), Outcome::kGaveUp);
    // Exceeding the bound counts as no match even where a match exists later (at the final "ab").
    ASSERT_TRUE(p.Compile(u"((a+)+c)|(ab)", true));
    EXPECT_TRUE(p.Search(u"ab"));
    EXPECT_FALSE(p.Search(std::u16string(60, u'a') + u"b"));
    // Ordinary conditions stay well inside the bound on the longest names.
    const std::u16string name = std::u16string(240, u'x') + u"gothic-bold.ttc";
    for (const char* ordinary : {"\\.ttc$", "^ms", "(ttf)|(otf)", ".*gothic.*", "gothic", "[0-9]+", "\\.tt[cf]$",
                                 "bold", "x+-", "\\w\\.ttc", "[a-z]*-bold", "{x}\\0\\0"}) {
        ASSERT_TRUE(p.Compile(U(ordinary), true)) << ordinary;
        EXPECT_NE(p.Run(name, nullptr), Outcome::kGaveUp) << ordinary;
        EXPECT_NE(p.Run(as, nullptr), Outcome::kGaveUp) << ordinary;
    }
}

// A tiny reference: random patterns over a, b, c built as trees, printed in the dialect, and
// judged by end-position sets (no backtracking, no shared code) against the engine's answer.
struct Ref {
    enum Kind { kChar, kAny, kClass, kGroup, kSeq, kAlt, kStar, kPlus, kQuest, kNot } kind;
    char ch = 0;
    std::string set;  // kClass
    bool negated = false, lazy = false, capture = false;
    std::vector<std::unique_ptr<Ref>> kids;
};

class Reference {
public:
    explicit Reference(std::uint32_t seed) : rng_(seed) {}

    std::unique_ptr<Ref> Generate(int depth) {
        auto n = std::make_unique<Ref>();
        const int pick = Pick(depth > 0 ? 10 : 3);
        switch (pick) {
        case 0: n->kind = Ref::kChar; n->ch = "abc"[Pick(3)]; break;
        case 1: n->kind = Ref::kAny; break;
        case 2:
            n->kind = Ref::kClass;
            n->negated = Pick(3) == 0;
            n->set = std::string("ab").substr(Pick(2), 1 + Pick(2));
            if (n->set.empty()) n->set = "c";
            break;
        case 3:
        case 4: {
            n->kind = pick == 3 ? Ref::kGroup : Ref::kSeq;
            n->capture = Pick(2) == 0;
            const int count = Pick(4);
            for (int i = 0; i < count; ++i) n->kids.push_back(Generate(depth - 1));
            break;
        }
        case 5:
            n->kind = Ref::kAlt;
            n->kids.push_back(Generate(depth - 1));
            n->kids.push_back(Generate(depth - 1));
            break;
        case 6: case 7: case 8:
            n->kind = pick == 6 ? Ref::kStar : pick == 7 ? Ref::kPlus : Ref::kQuest;
            n->lazy = Pick(2) == 0;
            n->kids.push_back(Generate(depth - 1));
            break;
        default:
            n->kind = Ref::kNot;
            n->kids.push_back(Generate(depth - 1));
            break;
        }
        return n;
    }

    static std::string Element(const Ref& n) {
        switch (n.kind) {
        case Ref::kChar: return std::string(1, n.ch);
        case Ref::kAny: return ".";
        case Ref::kClass: return std::string("[") + (n.negated ? "^" : "") + n.set + "]";
        case Ref::kGroup: return (n.capture ? "{" : "(") + Sequence(n) + (n.capture ? "}" : ")");
        case Ref::kNot: return "!" + Element(*n.kids[0]);
        default: return "(" + Item(n) + ")";
        }
    }
    static std::string Term(const Ref& n) {
        if (n.kind == Ref::kStar || n.kind == Ref::kPlus || n.kind == Ref::kQuest)
            return Element(*n.kids[0]) + (n.kind == Ref::kStar ? "*" : n.kind == Ref::kPlus ? "+" : "?") +
                   (n.lazy ? "?" : "");
        return Element(n);
    }
    static std::string Item(const Ref& n) {
        if (n.kind == Ref::kAlt)
            return Term(*n.kids[0]) + "|" + (n.kids[1]->kind == Ref::kAlt ? Item(*n.kids[1]) : Term(*n.kids[1]));
        if (n.kind == Ref::kSeq) return Sequence(n);
        return Term(n);
    }
    static std::string Sequence(const Ref& n) {
        std::string out;
        for (const auto& k : n.kids) out += k->kind == Ref::kSeq ? Element(*k) : Item(*k);
        return out;
    }

    static bool Nullable(const Ref& n) {
        switch (n.kind) {
        case Ref::kGroup:
        case Ref::kSeq:
            for (const auto& k : n.kids)
                if (!Nullable(*k)) return false;
            return true;
        case Ref::kAlt: return Nullable(*n.kids[0]) || Nullable(*n.kids[1]);
        case Ref::kPlus: return Nullable(*n.kids[0]);
        case Ref::kStar: case Ref::kQuest: case Ref::kNot: return true;
        default: return false;
        }
    }
    static bool Invalid(const Ref& n) {
        if ((n.kind == Ref::kStar || n.kind == Ref::kPlus) && Nullable(*n.kids[0])) return true;
        for (const auto& k : n.kids)
            if (Invalid(*k)) return true;
        return false;
    }

    // Bit set of the positions where n can end when it starts at pos.
    static std::uint32_t Ends(const Ref& n, const std::string& s, int pos) {
        const int len = static_cast<int>(s.size());
        const auto one = [&](bool ok) { return ok ? 1u << (pos + 1) : 0u; };
        switch (n.kind) {
        case Ref::kChar: return one(pos < len && s[pos] == n.ch);
        case Ref::kAny: return one(pos < len);
        case Ref::kClass: return one(pos < len && (n.set.find(s[pos]) != std::string::npos) != n.negated);
        case Ref::kGroup:
        case Ref::kSeq: {
            std::uint32_t at = 1u << pos;
            for (const auto& k : n.kids) at = Step(*k, s, at);
            return at;
        }
        case Ref::kAlt: return Ends(*n.kids[0], s, pos) | Ends(*n.kids[1], s, pos);
        case Ref::kQuest: return (1u << pos) | Ends(*n.kids[0], s, pos);
        case Ref::kStar:
        case Ref::kPlus: {
            std::uint32_t reach = n.kind == Ref::kStar ? 1u << pos : 0u;
            std::uint32_t frontier = Ends(*n.kids[0], s, pos);
            while (frontier & ~reach) {
                reach |= frontier;
                frontier = Step(*n.kids[0], s, frontier);
            }
            return reach;
        }
        case Ref::kNot: return Ends(*n.kids[0], s, pos) ? 0u : 1u << pos;
        }
        return 0;
    }
    static std::uint32_t Step(const Ref& n, const std::string& s, std::uint32_t from) {
        std::uint32_t to = 0;
        for (int p = 0; p <= static_cast<int>(s.size()); ++p)
            if (from & (1u << p)) to |= Ends(n, s, p);
        return to;
    }

    std::string Input() {
        std::string s;
        const int len = Pick(7);
        for (int i = 0; i < len; ++i) s += "abc"[Pick(3)];
        return s;
    }
    int Pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }

private:
    std::mt19937 rng_;
};

TEST(ConditionPattern, AgreesWithReferenceOnRandomPatterns) {
    Reference ref(20240611);
    int compared = 0;
    for (int round = 0; round < 4000; ++round) {
        Ref root;
        root.kind = Ref::kSeq;
        const int count = 1 + ref.Pick(4);
        for (int i = 0; i < count; ++i) root.kids.push_back(ref.Generate(3));
        const bool anchored = ref.Pick(4) == 0;
        const bool atEnd = ref.Pick(4) == 0;
        const std::string pattern = (anchored ? "^" : "") + Reference::Sequence(root) + (atEnd ? "$" : "");
        ConditionPattern p;
        const bool compiled = p.Compile(U(pattern), false);
        ASSERT_EQ(compiled, !Reference::Invalid(root)) << pattern;
        if (!compiled) continue;
        for (int k = 0; k < 6; ++k) {
            const std::string input = ref.Input();
            const int len = static_cast<int>(input.size());
            bool expected = false;
            const int last = anchored ? 0 : std::max(len - 1, 0);
            for (int start = 0; start <= last && !expected; ++start) {
                std::uint32_t ends = Reference::Ends(root, input, start);
                if (atEnd) ends &= 1u << len;
                expected = ends != 0;
            }
            ASSERT_EQ(p.Run(U(input), nullptr), expected ? Outcome::kMatch : Outcome::kNoMatch)
                << "pattern " << pattern << " input " << input;
            ++compared;
        }
    }
    EXPECT_GT(compared, 10000);
}

} // namespace
} // namespace glyphpeek
