#pragma once
// Condition patterns: the small regular-expression dialect that defines use to match
// font file names. Compile parses the pattern and emits a flat instruction program; Search runs it
// with a backtracking matcher whose work is bounded, so no pattern can stall Explorer's thumbnail
// thread. Platform-neutral: 16-bit units in, true/false out.
//
// Choices where the dialect leaves room:
// - A pattern ending in a lone backslash (also inside a class) is a compile error.
// - A back-reference to a group without a finished capture on the current path (still open, as
//   inside its own group, or not taken part) matches nothing; it never reads outside the input.
// - Like an unmatched ')', a '|' with nothing before it and a '!' with nothing to negate cannot
//   begin a term: reading stops before them. Inside a group, reading stops the same way and the
//   group's own closing bracket must stand there, else compile error: "(a|)" and "(a})" fail.
// - Nesting deeper than 200 levels (far beyond 60 units) fails to compile, like running out of
//   memory.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace glyphpeek {

class ConditionPattern {
public:
    // Positions of one capture group `{...}` after a match; -1 when the group took no part.
    struct Capture {
        int begin = -1;
        int end = -1;
    };

    enum class Outcome {
        kMatch,
        kNoMatch,
        kGaveUp,  // the work bound (or memory) ran out first; callers treat it as no match
    };

    // Work units one search may spend over all its start positions (about a millisecond; see
    // tools/bench/bench_condition_pattern.cpp). One unit is roughly one executed instruction.
    static constexpr std::int64_t kWorkBudget = 400000;

    // Compiles the pattern; false on a syntax error or when memory runs out. A failed compile
    // leaves a pattern that matches nothing.
    bool Compile(std::u16string_view pattern, bool caseInsensitive) noexcept;

    // True when the compiled pattern matches somewhere in the input.
    bool Search(std::u16string_view input) const noexcept { return Run(input, nullptr) == Outcome::kMatch; }

    // Search with the reason of a failure and, on a match, the capture positions (one per group).
    Outcome Run(std::u16string_view input, std::vector<Capture>* captures) const noexcept;

    int GroupCount() const noexcept { return groupCount_; }

private:
    enum class Op : std::uint8_t {
        kChar,       // ch
        kAny,
        kClass,      // ranges_[x, x + y), negated
        kSplit,      // try x, then y
        kJmp,        // x
        kOpen,       // group x begins
        kClose,      // group x ends
        kBackref,    // group x's text
        kLookBegin,  // negative look-ahead: body follows, continue at x when the body cannot match
        kLookEnd,    // the body matched: the look-ahead fails
        kEnd,        // end of input
        kMatch,
    };
    struct Inst {
        Op op;
        bool negated;
        char16_t ch;
        std::int32_t x;
        std::int32_t y;
    };
    struct Range {
        char16_t lo;
        char16_t hi;
    };
    friend class ConditionPatternCompiler;

    std::vector<Inst> program_;
    std::vector<Range> ranges_;
    int groupCount_ = 0;
    bool caseInsensitive_ = false;
    bool anchored_ = false;  // only start position 0 needs trying
};

// A define's condition applies to a file name when it is empty or, compiled case-insensitively, found
// in the name; a condition that does not compile never applies.
bool ConditionApplies(std::u16string_view condition, std::u16string_view name) noexcept;

} // namespace glyphpeek
