// The registrar-script reader: text to tree, variables, and the refusal of malformed scripts.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "framework/com/registrar_script.h"

namespace glyphpeek::com {
namespace {

const ScriptVariable kVariables[] = {
    {u"MODULE", u"C:\\Program Files\\Glyph's\\Typorama.dll"},
    {u"APPID", u"{B0BA7238-7292-46CD-9CAF-215613CDACF7}"},
};

Script Parse(std::u16string_view text) {
    ScriptError error;
    auto script = ParseScript(text, kVariables, &error);
    EXPECT_TRUE(script) << "line " << error.line << ": " << error.message;
    return script ? std::move(*script) : Script{};
}

ScriptError Reject(std::u16string_view text) {
    ScriptError error;
    EXPECT_FALSE(ParseScript(text, kVariables, &error)) << std::string(text.begin(), text.end());
    EXPECT_FALSE(error.message.empty());
    return error;
}

ScriptValue Str(std::u16string text) { return {ScriptValue::Type::kString, std::move(text), 0}; }
ScriptValue Num(std::uint32_t n) { return {ScriptValue::Type::kDword, {}, n}; }

TEST(RegistrarScript, ClassScriptBecomesItsTree) {
    const Script script = Parse(uR"(HKCR
{
    Typorama.Thumbnail.1 = s 'Thumbnail Class'
    {
        CLSID = s '{5025A292-D603-4BBC-AAAE-EED7600234E9}'
    }
    NoRemove CLSID
    {
        ForceRemove {5025A292-D603-4BBC-AAAE-EED7600234E9} = s 'Thumbnail Class'
        {
            ForceRemove Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            val AppID = s '%APPID%'
        }
    }
}
)");
    ASSERT_EQ(script.roots.size(), 1u);
    const ScriptRootKey& root = script.roots[0];
    EXPECT_EQ(root.root, ScriptRoot::kClassesRoot);
    ASSERT_EQ(root.subkeys.size(), 2u);

    const ScriptKey& progId = root.subkeys[0];
    EXPECT_EQ(progId.name, u"Typorama.Thumbnail.1");
    EXPECT_FALSE(progId.noRemove || progId.forceRemove);
    EXPECT_EQ(progId.defaultValue, Str(u"Thumbnail Class"));
    ASSERT_EQ(progId.subkeys.size(), 1u);
    EXPECT_EQ(progId.subkeys[0].name, u"CLSID");
    EXPECT_EQ(progId.subkeys[0].defaultValue, Str(u"{5025A292-D603-4BBC-AAAE-EED7600234E9}"));

    const ScriptKey& clsidRoot = root.subkeys[1];
    EXPECT_TRUE(clsidRoot.noRemove);
    EXPECT_FALSE(clsidRoot.defaultValue);
    ASSERT_EQ(clsidRoot.subkeys.size(), 1u);
    const ScriptKey& clsid = clsidRoot.subkeys[0];
    EXPECT_EQ(clsid.name, u"{5025A292-D603-4BBC-AAAE-EED7600234E9}");
    EXPECT_TRUE(clsid.forceRemove);
    ASSERT_EQ(clsid.subkeys.size(), 2u);
    EXPECT_EQ(clsid.subkeys[0].name, u"Programmable");
    EXPECT_TRUE(clsid.subkeys[0].forceRemove);
    EXPECT_FALSE(clsid.subkeys[0].defaultValue);
    EXPECT_TRUE(clsid.subkeys[0].subkeys.empty() && clsid.subkeys[0].values.empty());

    const ScriptKey& server = clsid.subkeys[1];
    EXPECT_EQ(server.defaultValue, Str(u"C:\\Program Files\\Glyph's\\Typorama.dll"));
    ASSERT_EQ(server.values.size(), 1u);
    EXPECT_EQ(server.values[0].name, u"ThreadingModel");
    EXPECT_EQ(server.values[0].value, Str(u"Apartment"));
    ASSERT_EQ(clsid.values.size(), 1u);
    EXPECT_EQ(clsid.values[0].value, Str(u"{B0BA7238-7292-46CD-9CAF-215613CDACF7}"));
}

TEST(RegistrarScript, RootsKeywordsAndTypes) {
    const Script script = Parse(u"hkey_current_user { NOREMOVE Software { val Count = D 42 val Mask = d '0xFFFFFFFF'"
                                u" val Hex = d 0x1f } } HKLM{ } HKU { } HKEY_CLASSES_ROOT { 'val' 'NoRemove' }");
    ASSERT_EQ(script.roots.size(), 4u);
    EXPECT_EQ(script.roots[0].root, ScriptRoot::kCurrentUser);
    EXPECT_EQ(script.roots[1].root, ScriptRoot::kLocalMachine);
    EXPECT_EQ(script.roots[2].root, ScriptRoot::kUsers);
    EXPECT_EQ(script.roots[3].root, ScriptRoot::kClassesRoot);
    const ScriptKey& software = script.roots[0].subkeys.at(0);
    EXPECT_TRUE(software.noRemove);
    ASSERT_EQ(software.values.size(), 3u);
    EXPECT_EQ(software.values[0].value, Num(42));
    EXPECT_EQ(software.values[1].value, Num(0xFFFFFFFFu));
    EXPECT_EQ(software.values[2].value, Num(0x1F));
    // Quoted words are names, never keywords.
    ASSERT_EQ(script.roots[3].subkeys.size(), 2u);
    EXPECT_EQ(script.roots[3].subkeys[0].name, u"val");
    EXPECT_EQ(script.roots[3].subkeys[1].name, u"NoRemove");
    EXPECT_FALSE(script.roots[3].subkeys[1].noRemove);
    EXPECT_TRUE(Parse(u"").roots.empty());
    EXPECT_TRUE(Parse(u"  \r\n\t ").roots.empty());
}

TEST(RegistrarScript, QuotingAndReplacement) {
    const Script script = Parse(
        u"HKCR { 'It''s here' = s 'a ''quoted'' {word} = here' { val '%APPID% x' = s '100%% %module%%APPID%' }"
        u" %APPID% = s '' }");
    const auto& keys = script.roots.at(0).subkeys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].name, u"It's here");
    EXPECT_EQ(keys[0].defaultValue, Str(u"a 'quoted' {word} = here"));
    EXPECT_EQ(keys[0].values.at(0).name, u"{B0BA7238-7292-46CD-9CAF-215613CDACF7} x");
    EXPECT_EQ(keys[0].values.at(0).value,
              Str(u"100% C:\\Program Files\\Glyph's\\Typorama.dll{B0BA7238-7292-46CD-9CAF-215613CDACF7}"));
    // A bare word is replaced too; an empty quoted string is a legitimate empty value.
    EXPECT_EQ(keys[1].name, u"{B0BA7238-7292-46CD-9CAF-215613CDACF7}");
    EXPECT_EQ(keys[1].defaultValue, Str(u""));
    // Braces and '=' part names without whitespace; a braced name keeps its braces.
    const Script tight = Parse(u"HKCR{ Key{ val V=s 'x' {C2}{ 'y'}}}");
    const auto& key = tight.roots.at(0).subkeys.at(0);
    EXPECT_EQ(key.name, u"Key");
    EXPECT_EQ(key.values.at(0).value, Str(u"x"));
    ASSERT_EQ(key.subkeys.size(), 1u);
    EXPECT_EQ(key.subkeys[0].name, u"{C2}");
    EXPECT_EQ(key.subkeys[0].subkeys.at(0).name, u"y");
}

TEST(RegistrarScript, ReplacedTextCannotChangeTheStructure) {
    const ScriptVariable hostile[] = {{u"X", u"' } HKLM { Evil = s 'y"}, {u"K", u"NoRemove"}};
    const auto script = ParseScript(u"HKCR { %K% = s '%X%' }", hostile);
    ASSERT_TRUE(script);
    const auto& keys = script->roots.at(0).subkeys;
    ASSERT_EQ(script->roots.size(), 1u);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].name, u"NoRemove");
    EXPECT_FALSE(keys[0].noRemove);
    EXPECT_EQ(keys[0].defaultValue, Str(u"' } HKLM { Evil = s 'y"));

    static constexpr char16_t kWithNul[] = u"a\0b";
    const ScriptVariable nul[] = {{u"N", {kWithNul, 3}}};
    EXPECT_FALSE(ParseScript(u"HKCR { K = s '%N%' }", nul));
    EXPECT_TRUE(ParseScript(u"HKCR { K = s 'N' }", nul));
}

TEST(RegistrarScript, MalformedScriptsAreRefused) {
    const char16_t* const kBad[] = {
        u"HKCR",                                    // no body
        u"HKCR {",                                  // unclosed
        u"HKCR { A { }",                            // unclosed inner body
        u"HKCR { } }",                              // stray brace
        u"HKXX { }",                                // unknown root
        u"'HKCR' { }",                              // root must be bare
        u"HKCR { A = s }",                          // missing data
        u"HKCR { A = s Apartment }",                // string data must be quoted
        u"HKCR { A = x 'y' }",                      // unknown type
        u"HKCR { A = }",                            //
        u"HKCR { A = d 'ten' }",                    //
        u"HKCR { A = d 4294967296 }",               // over 32 bits
        u"HKCR { A = d -1 }",                       //
        u"HKCR { A = d 0x }",                       //
        u"HKCR { A = s 'open }",                    // unterminated quote
        u"HKCR { val = s 'x' }",                    // val without a name
        u"HKCR { A { val B s 'x' } }",              // val without '='
        u"HKCR { A { val '' = s 'x' } }",           // empty value name
        u"HKCR { '' = s 'x' }",                     // empty key name
        u"HKCR { 'A\\B' }",                         // one level per key
        u"HKCR { NoRemove }",                       // flag without a name
        u"HKCR { NoRemove ForceRemove A }",         // contradictory flags
        u"HKCR { = s 'x' }",                        //
        u"HKCR { { } }",                            //
        u"HKCR { A'b' }",                           // quote runs into a name
        u"HKCR { 'a'b }",                           //
        u"HKCR { A = s '%UNKNOWN%' }",              // unknown variable
        u"HKCR { A = s '50% off' }",                // unpaired percent
        u"HKCR { A\x01 }",                          // control character
        u"HKCR { {5025A292 }",                      // braced name without its brace
        u"HKCR { {A}B }",                           //
    };
    for (const char16_t* text : kBad) Reject(text);
    static constexpr char16_t kNulInQuote[] = u"HKCR { 'A\0B' }";
    static constexpr char16_t kNulInWord[] = u"HKCR { A\0 }";
    Reject({kNulInQuote, std::size(kNulInQuote) - 1});
    Reject({kNulInWord, std::size(kNulInWord) - 1});

    EXPECT_EQ(Reject(u"HKCR\n{\n  A = s 'x'\n  B = q 'y'\n}\n").line, 4u);
}

TEST(RegistrarScript, NestingIsBounded) {
    auto nested = [](size_t depth) {
        std::u16string text = u"HKCR ";
        for (size_t i = 1; i < depth; ++i) text += u"{ K ";
        text += u"{ ";
        for (size_t i = 0; i < depth; ++i) text += u"} ";
        return text;
    };
    EXPECT_TRUE(ParseScript(nested(kMaxScriptDepth), {}));
    EXPECT_FALSE(ParseScript(nested(kMaxScriptDepth + 1), {}));
    EXPECT_FALSE(ParseScript(nested(100000), {}));  // refused, not a stack overflow
}

TEST(RegistrarScript, ResourceBytesDecode) {
    auto decode = [](std::vector<std::uint8_t> bytes) { return DecodeScriptBytes(bytes); };
    EXPECT_EQ(decode({'H', 'K', 'C', 'R', 0, 0}), u"HKCR");
    EXPECT_EQ(decode({0xEF, 0xBB, 0xBF, 'A', 0xC3, 0xA9, 0xE3, 0x82, 0xBF, 0xF0, 0x9F, 0x98, 0x80}),
              u"A\u00E9\u30BF\U0001F600");
    EXPECT_EQ(decode({0xFF, 0xFE, 'H', 0, 0xBF, 0x30, 0, 0}), u"H\u30BF");
    EXPECT_EQ(decode({}), u"");
    EXPECT_FALSE(decode({0xFF, 0xFE, 'H', 0, 'K'}));   // odd UTF-16 length
    EXPECT_FALSE(decode({'A', 0xE9, 'B'}));            // Latin-1, not UTF-8: the caller falls back
    EXPECT_FALSE(decode({0xC0, 0x80}));                // overlong
    EXPECT_FALSE(decode({0xED, 0xA0, 0x80}));          // encoded surrogate
    EXPECT_FALSE(decode({0xF4, 0x90, 0x80, 0x80}));    // above U+10FFFF
    EXPECT_FALSE(decode({'A', 0xE3, 0x82}));           // truncated sequence
}

} // namespace
} // namespace glyphpeek::com
