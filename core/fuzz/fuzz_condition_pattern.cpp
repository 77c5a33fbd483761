// libFuzzer target for the condition-pattern engine. Input: byte 0 gives the pattern length
// (0..60 units), byte 1 bit 0 selects 16-bit units (little-endian pairs) instead of one unit per
// byte; the pattern follows, the rest (up to 259 units) is the name.
#include "core/ascii_case.h"
#include "core/condition_pattern.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using fuzz::Check;

namespace {

std::u16string Take(const std::uint8_t*& data, std::size_t& size, std::size_t units, bool wide) {
    std::u16string out;
    while (out.size() < units && size >= (wide ? 2u : 1u)) {
        out.push_back(wide ? static_cast<char16_t>(data[0] | (data[1] << 8)) : static_cast<char16_t>(data[0]));
        data += wide ? 2 : 1;
        size -= wide ? 2 : 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t patternUnits = data[0] % 61;
    const bool wide = (data[1] & 1) != 0;
    data += 2;
    size -= 2;
    const std::u16string pattern = Take(data, size, patternUnits, wide);
    const std::u16string name = Take(data, size, 259, wide);

    using glyphpeek::ConditionPattern;
    for (const bool caseInsensitive : {false, true}) {
        ConditionPattern p;
        const bool compiled = p.Compile(pattern, caseInsensitive);
        std::vector<ConditionPattern::Capture> captures;
        const ConditionPattern::Outcome outcome = p.Run(name, &captures);
        Check(p.Search(name) == (outcome == ConditionPattern::Outcome::kMatch));
        Check(compiled || outcome == ConditionPattern::Outcome::kNoMatch);
        if (outcome == ConditionPattern::Outcome::kMatch) {
            Check(captures.size() == static_cast<std::size_t>(p.GroupCount()));
            for (const auto& c : captures)
                Check(c.begin == -1 ? c.end == -1 : (c.begin <= c.end && c.end <= static_cast<int>(name.size())));
        }
        if (caseInsensitive) {
            // Folding comes first: the same as a case-sensitive pattern on folded pattern and name.
            std::u16string foldedPattern = pattern, foldedName = name;
            for (char16_t& c : foldedPattern) c = glyphpeek::AsciiLower(c);
            for (char16_t& c : foldedName) c = glyphpeek::AsciiLower(c);
            ConditionPattern q;
            Check(q.Compile(foldedPattern, false) == compiled);
            Check(q.Run(foldedName, nullptr) == outcome);
        }
    }
    return 0;
}
