// libFuzzer target for the preview pane's font facts: the input is the font file.
#include "core/font_facts.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

using fuzz::Check;

namespace {

// Texts the pane draws: cut to their bound, no control characters but line breaks, no blank ends.
void CheckText(const std::u16string& text) {
    Check(text.size() <= glyphpeek::kFactUnits);
    for (const char16_t c : text) Check(c == u'\n' || (c >= 0x20 && c != 0x7F));
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\n'; };
    if (!text.empty()) Check(!blank(text.front()) && !blank(text.back()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek;
    const FontFacts facts = ReadFontFacts(std::span<const std::uint8_t>(data, size));
    if (facts.container == FontContainer::kNone) Check(facts.fonts == 0 && facts.family.empty());
    for (const std::u16string* text : {&facts.family, &facts.style, &facts.version, &facts.designer,
                                       &facts.manufacturer, &facts.copyright, &facts.licence, &facts.licenceUrl})
        CheckText(*text);
    return 0;
}
