#include "trsetting/sample_texts.h"

#include "trsetting/resource.h"

namespace glyphpeek::trsetting {
namespace {

// Non-ASCII units are written as escapes so that no editor or code page can change them.
constexpr SampleText kSampleTexts[] = {
    {IDM_SAMPLE_ALPHABET, u"Alphabet", u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890`~!@#$%^&*()_-+=[]{}\\|;:'\",.<>?/"},
    {IDM_SAMPLE_ALPHABET_PART, u"Alphabet(part)", u"ABCDEFGabcdefg1234567890+-=/[]"},
    {IDM_SAMPLE_NUMBER, u"Number", u"1234567890"},
    {IDM_SAMPLE_KANA, u"Kana(ASCII)", u"3e456tgh:bxdrpcqazwsui1,kfv2^-jn]/m7890yol.;N#E$%&TGH*BXDRPCQAMWSUI!<KFV\"`='()Z~!@_+[{}\\|:<>?"},
    {IDM_SAMPLE_KANA_PART, u"Kana(ASCII, part)", u"3txqufj7o0yTXQFU<>!?"},
    {IDM_SAMPLE_JAPANESE, u"Japanese(Unicode)", u"ABCabc123\u3042\u3044\u3046\u30A2\u30A4\u30A6\u6F22\u5B57"},
    {IDM_SAMPLE_HANKUL, u"Hankul(Unicode)", u"\uAC00\uAC38\uAC70\uACA8\uACE0\uAD50\uAD6C\uADDC\uADF8\uAE30\uB2E4\uB31C\uB354\uB38C\uB3C4\uB434\uB450\uB4C0\uB4DC\uB514\uB9C8\uBA00\uBA38\uBA70\uBAA8\uBB18\uBB34\uBBA4\uBBC0\uBBF8\uC0AC\uC0E4\uC11C\uC154\uC18C\uC1FC\uC218\uC288\uC2A4\uC2DC\uC790\uC7C8\uC800\uC838\uC870\uC8E0\uC8FC\uC96C\uC988\uC9C0"},
    {IDM_SAMPLE_SIMPLIFIED_CHINESE, u"Simplified Chinese", u"\u53D1\u5E72\u5386\u590D\u8427\u89C1\u4F53\u8D1D\u4E1C\u8F66\u957F\u95E8\u6597\u5F00\u5934\u65E0\u4EC5\u4F17\u4E1B\u9009\u97E6\u8BA9\u98CE\u98DE\u7535\u9A6C\u6000\u4E50\u5E7F\u5E86\u5C18\u706D\u9E1F\u5DE9\u9EA6\u4E49\u51ED\u5C3D\u51FB\u4E1A"},
    {IDM_SAMPLE_TRADITIONAL_CHINESE, u"Traditional Chinese", u"\u767C\u4E7E\u6B77\u8986\u856D\u898B\u9AD4\u8C9D\u6771\u8ECA\u9577\u9580\u9B25\u958B\u982D\u7121\u50C5\u773E\u53E2\u9078\u97CB\u8B93\u98A8\u98DB\u96FB\u99AC\u61F7\u6A02\u5EE3\u6176\u5875\u6EC5\u9CE5\u978F\u9EA5\u7FA9\u6191\u76E1\u64CA\u696D"},
    {IDM_SAMPLE_HEBREW, u"Hebrew(Unicode)", u"\u05D0\u05D1\uFB31\u05D2\u05D3\u05D4\u05D5\u05D6\u05D7\u05D8\u05D9\u05DB\uFB3B\u05DA\u05DC\u05DE\u05DD\u05E0\u05DF\u05E1\u05E2\u05E4\uFB44\u05E3\u05E6\u05E5\u05E7\u05E8\u05E9\uFB49\u05EA"},
    {IDM_SAMPLE_CYRILLIC, u"Cyrille(Unicode)", u"\u0410\u0411\u0412\u0413\u0414\u0404\u0416\u0405\u0417\u0418\u0406\u041A\u041B\u041C\u041D\u041E\u041F\u0480\u0420\u0421\u0422\u0478\u0424\u0425\u0460\u0426\u0427\u0428\u0429\u042A\u042B\u042C\u0462\u042E\u0406\u0410\u0466\u0468\u046A\u046C\u046E\u0470\u0472\u0474\u0464"},
    {IDM_SAMPLE_GREEK, u"Greece(Unicode)", u"\u0391\u0392\u0393\u0394\u0395\u0396\u0397\u0398\u0399\u039A\u039B\u039C\u039D\u039E\u039F\u03A0\u03A1\u03A3\u03A4\u03A5\u03A6\u03A7\u03A8\u03A9\u03B1\u03B2\u03B3\u03B4\u03B5\u03B6\u03B7\u03B9\u03BA\u03BB\u03BC\u03BD\u03BE\u03BF\u03C0\u03C1\u03C3\u03C2\u03C4\u03C5\u03C7\u03C8\u03C9"},
    {IDM_SAMPLE_THAI, u"Thailand (Unicode)", u"\u0E01\u0E02\u0E03\u0E04\u0E05\u0E06\u0E07\u0E08\u0E09\u0E0A\u0E0B\u0E0C\u0E0D\u0E0E\u0E0F\u0E10\u0E11\u0E12\u0E13\u0E14\u0E15\u0E16\u0E17\u0E18\u0E19\u0E1A\u0E1B\u0E1C\u0E1D\u0E1E\u0E1F\u0E20\u0E21\u0E22\u0E23\u0E24\u0E24\u0E45\u0E25\u0E26\u0E26\u0E45\u0E27\u0E28\u0E29\u0E2A\u0E2B\u0E2C\u0E2D\u0E2E"},
};

} // namespace

std::span<const SampleText> SampleTexts() { return kSampleTexts; }

const SampleText* FindSampleText(unsigned commandId) {
    for (const SampleText& text : kSampleTexts)
        if (text.commandId == commandId) return &text;
    return nullptr;
}

} // namespace glyphpeek::trsetting
