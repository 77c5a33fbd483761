#include "core/condition_pattern.h"

#include <algorithm>
#include <string>

#include "core/ascii_case.h"

// Shape after Russ Cox's re1: parse into a small tree, emit a flat program in two passes (count,
// then emit into one allocation), run it with a backtracking matcher on an explicit growable stack.
// Unlike re1 the matcher has a work budget: a search that would exceed it gives up (no match).

namespace glyphpeek {
namespace {

// Abbreviations, each read as one element by the same parser. Expansions hold no '^' or '$', so the
// first/last rules of those never apply inside them.
struct Abbreviation {
    char16_t letter;
    std::u16string_view expansion;
};
constexpr Abbreviation kAbbreviations[] = {
    {u'a', u"([a-zA-Z0-9])"},
    {u'b', u"([ \t])"},
    {u'c', u"([a-zA-Z])"},
    {u'd', u"([0-9])"},
    {u'h', u"([0-9a-fA-F])"},
    {u'n', u"(\r|(\r?\n))"},
    {u'q', u"(\"[^\"]*\")"},
    {u'w', u"([a-zA-Z]+)"},
    {u'z', u"([0-9]+)"},
};

// Deeper nesting than any 60-unit condition can reach; only keeps hostile input off the C++ stack.
constexpr int kMaxNesting = 200;
// Positions and program indices are 32-bit.
constexpr std::size_t kMaxPatternUnits = std::size_t{1} << 20;
constexpr std::size_t kMaxInputUnits = std::size_t{1} << 28;

struct Node {
    enum class Kind : std::uint8_t { kSeq, kChar, kAny, kClass, kGroup, kBackref, kNot, kEnd, kAlt, kStar, kPlus, kQuest };
    Kind kind;
    bool flag = false;  // kClass: negated; kStar/kPlus/kQuest: lazy
    char16_t ch = 0;
    // kSeq: first and last child; kClass: first range and count; kGroup: capture index (-1 for none)
    // and body; kBackref: group; kNot and repeats: body in a; kAlt: left and right.
    std::int32_t a = -1;
    std::int32_t b = -1;
    std::int32_t next = -1;  // next sibling inside a kSeq
};

} // namespace

class ConditionPatternCompiler {
public:
    using Inst = ConditionPattern::Inst;
    using Op = ConditionPattern::Op;
    using Range = ConditionPattern::Range;

    explicit ConditionPatternCompiler(std::u16string_view pattern) : text_(pattern) {}

    // Fills the program; false on a compile error. Throws std::bad_alloc.
    bool Build(std::vector<Inst>& program, std::vector<Range>& ranges, int& groupCount, bool& anchored) {
        std::size_t start = 0;
        anchored = false;
        if (!text_.empty() && text_[0] == u'^') {
            anchored = true;
            start = 1;
        }
        pos_ = start;
        std::int32_t root;
        bool nullable;
        if (!ParseSeq(root, nullable)) return false;
        // Reading stops silently before a term that cannot begin (an unmatched ')', ']' or '}', or a '|'
        // with nothing after it); whatever follows is ignored.

        // A leading .* or .*? can take any start position's prefix, so start 0 alone decides.
        const std::int32_t first = nodes_[root].a;
        if (first >= 0 && nodes_[first].kind == Node::Kind::kStar && nodes_[nodes_[first].a].kind == Node::Kind::kAny)
            anchored = true;

        program.clear();
        program.reserve(Count(root) + 1);
        Emit(root, program);
        program.push_back({Op::kMatch, false, 0, 0, 0});
        ranges = std::move(ranges_);
        groupCount = static_cast<int>(groups_.size());
        return true;
    }

private:
    enum class Result { kOk, kNoTerm, kError };
    enum class Group : std::uint8_t { kOpen, kClosed, kClosedNullable };

    std::u16string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    std::vector<Node> nodes_;
    std::vector<Range> ranges_;
    std::vector<Group> groups_;

    bool AtEnd() const { return pos_ >= text_.size(); }
    char16_t Peek() const { return text_[pos_]; }

    std::int32_t Add(const Node& node) {
        nodes_.push_back(node);
        return static_cast<std::int32_t>(nodes_.size() - 1);
    }

    // Terms until the end or a term that cannot begin; only fails on a compile error.
    bool ParseSeq(std::int32_t& seq, bool& nullable) {
        seq = Add({Node::Kind::kSeq});
        nullable = true;
        for (;;) {
            std::int32_t term;
            bool termNullable;
            const Result r = ParseAlternation(term, termNullable);
            if (r == Result::kError) return false;
            if (r == Result::kNoTerm) return true;
            Node& s = nodes_[seq];
            if (s.a < 0) s.a = term; else nodes_[s.b].next = term;
            s.b = term;
            nullable = nullable && termNullable;
        }
    }

    // term ['|' alternation]. A dangling '|' drops the whole alternation (so "a|" reads as empty).
    // On kNoTerm the read position is back before the alternation.
    Result ParseAlternation(std::int32_t& node, bool& nullable) {
        if (++depth_ > kMaxNesting) return Result::kError;
        const std::size_t start = pos_;
        Result r = ParseTerm(node, nullable);
        if (r == Result::kOk && !AtEnd() && Peek() == u'|') {
            ++pos_;
            std::int32_t right;
            bool rightNullable;
            r = ParseAlternation(right, rightNullable);
            if (r == Result::kOk) {
                node = Add({Node::Kind::kAlt, false, 0, node, right});
                nullable = nullable || rightNullable;
            }
        }
        if (r == Result::kNoTerm) pos_ = start;
        --depth_;
        return r;
    }

    Result ParseTerm(std::int32_t& node, bool& nullable) {
        const Result r = ParseElement(node, nullable);
        if (r != Result::kOk || AtEnd()) return r;
        Node::Kind kind;
        switch (Peek()) {
        case u'*': kind = Node::Kind::kStar; break;
        case u'+': kind = Node::Kind::kPlus; break;
        case u'?': kind = Node::Kind::kQuest; break;
        default: return Result::kOk;
        }
        ++pos_;
        bool lazy = false;
        if (!AtEnd() && Peek() == u'?') {
            lazy = true;
            ++pos_;
        }
        // A repetition of something that can match empty would loop without consuming.
        if (kind != Node::Kind::kQuest && nullable) return Result::kError;
        node = Add({kind, lazy, 0, node});
        nullable = kind != Node::Kind::kPlus;
        return Result::kOk;
    }

    Result ParseElement(std::int32_t& node, bool& nullable) {
        if (AtEnd()) return Result::kNoTerm;
        if (++depth_ > kMaxNesting) return Result::kError;
        const Result r = ParseElementBody(node, nullable);
        --depth_;
        return r;
    }

    Result ParseElementBody(std::int32_t& node, bool& nullable) {
        const char16_t c = Peek();
        nullable = false;
        switch (c) {
        case u')':
        case u']':
        case u'}':
        case u'|':
            return Result::kNoTerm;
        case u'.':
            ++pos_;
            node = Add({Node::Kind::kAny});
            return Result::kOk;
        case u'[':
            return ParseClass(node);
        case u'(':
        case u'{': {
            ++pos_;
            std::int32_t capture = -1;
            if (c == u'{') {
                capture = static_cast<std::int32_t>(groups_.size());
                groups_.push_back(Group::kOpen);
            }
            std::int32_t body;
            if (!ParseSeq(body, nullable)) return Result::kError;
            // The body ends where a term cannot begin; the group's own bracket must stand there.
            if (AtEnd() || Peek() != (c == u'(' ? u')' : u'}')) return Result::kError;
            ++pos_;
            if (capture >= 0) groups_[capture] = nullable ? Group::kClosedNullable : Group::kClosed;
            node = Add({Node::Kind::kGroup, false, 0, capture, body});
            return Result::kOk;
        }
        case u'\\':
            return ParseEscape(node, nullable);
        case u'!': {
            ++pos_;
            std::int32_t body;
            bool bodyNullable;
            const Result r = ParseElement(body, bodyNullable);
            if (r != Result::kOk) return r;  // "!" with nothing to negate cannot begin either
            node = Add({Node::Kind::kNot, false, 0, body});
            nullable = true;
            return Result::kOk;
        }
        case u'$':
            if (pos_ + 1 == text_.size()) {
                ++pos_;
                node = Add({Node::Kind::kEnd});
                nullable = true;
                return Result::kOk;
            }
            break;
        default:
            break;  // '*', '+', '?' with nothing to apply to, a '^' not first, ordinary characters
        }
        ++pos_;
        node = Add({Node::Kind::kChar, false, c});
        return Result::kOk;
    }

    Result ParseEscape(std::int32_t& node, bool& nullable) {
        ++pos_;
        if (AtEnd()) return Result::kError;  // a lone trailing backslash
        const char16_t c = Peek();
        if (c >= u'0' && c <= u'9') {
            std::uint32_t number = 0;
            while (!AtEnd() && Peek() >= u'0' && Peek() <= u'9') {
                number = std::min<std::uint32_t>(number * 10 + (Peek() - u'0'), 1u << 24);
                ++pos_;
            }
            if (number >= groups_.size()) return Result::kError;
            // Inside its own still-open group a back-reference never matches (see Run), so it cannot
            // match empty there.
            nullable = groups_[number] == Group::kClosedNullable;
            node = Add({Node::Kind::kBackref, false, 0, static_cast<std::int32_t>(number)});
            return Result::kOk;
        }
        for (const Abbreviation& abbreviation : kAbbreviations) {
            if (abbreviation.letter != c) continue;
            const std::u16string_view saved = text_;
            const std::size_t resume = pos_ + 1;
            text_ = abbreviation.expansion;
            pos_ = 0;
            const Result r = ParseElement(node, nullable);
            const bool whole = r == Result::kOk && AtEnd();
            text_ = saved;
            pos_ = resume;
            return whole ? Result::kOk : Result::kError;
        }
        ++pos_;
        node = Add({Node::Kind::kChar, false, c});
        return Result::kOk;
    }

    Result ParseClass(std::int32_t& node) {
        ++pos_;
        bool negated = false;
        if (!AtEnd() && Peek() == u'^') {
            negated = true;
            ++pos_;
        }
        const auto first = static_cast<std::int32_t>(ranges_.size());
        for (;;) {
            if (AtEnd()) return Result::kError;
            char16_t lo = Peek();
            ++pos_;
            if (lo == u']') {
                if (static_cast<std::int32_t>(ranges_.size()) == first) return Result::kError;  // [] or [^]
                break;
            }
            if (lo == u'\\') {
                if (AtEnd()) return Result::kError;
                lo = Peek() == u't' ? u'\t' : Peek();
                ++pos_;
            }
            char16_t hi = lo;
            if (!AtEnd() && Peek() == u'-') {
                ++pos_;
                // The second bound is taken as written: no escape.
                if (AtEnd() || Peek() == u']') return Result::kError;
                hi = Peek();
                ++pos_;
                if (hi < lo) return Result::kError;
            }
            ranges_.push_back({lo, hi});
        }
        node = Add({Node::Kind::kClass, negated, 0, first, static_cast<std::int32_t>(ranges_.size()) - first});
        return Result::kOk;
    }

    std::size_t Count(std::int32_t n) const {
        const Node& node = nodes_[n];
        switch (node.kind) {
        case Node::Kind::kSeq: {
            std::size_t total = 0;
            for (std::int32_t child = node.a; child >= 0; child = nodes_[child].next) total += Count(child);
            return total;
        }
        case Node::Kind::kGroup: return (node.a >= 0 ? 2 : 0) + Count(node.b);
        case Node::Kind::kNot: return 2 + Count(node.a);
        case Node::Kind::kAlt: return 2 + Count(node.a) + Count(node.b);
        case Node::Kind::kStar: return 2 + Count(node.a);
        case Node::Kind::kPlus:
        case Node::Kind::kQuest: return 1 + Count(node.a);
        default: return 1;
        }
    }

    static std::int32_t Push(std::vector<Inst>& program, Op op, std::int32_t x = 0, std::int32_t y = 0) {
        program.push_back({op, false, 0, x, y});
        return static_cast<std::int32_t>(program.size() - 1);
    }
    static std::int32_t Here(const std::vector<Inst>& program) { return static_cast<std::int32_t>(program.size()); }
    // A Split that prefers `preferred`; lazy repetition is the greedy one with the targets swapped.
    static void SetSplit(Inst& split, std::int32_t preferred, std::int32_t other, bool swap) {
        split.x = swap ? other : preferred;
        split.y = swap ? preferred : other;
    }

    void Emit(std::int32_t n, std::vector<Inst>& program) const {
        const Node& node = nodes_[n];
        switch (node.kind) {
        case Node::Kind::kSeq:
            for (std::int32_t child = node.a; child >= 0; child = nodes_[child].next) Emit(child, program);
            return;
        case Node::Kind::kChar: program.push_back({Op::kChar, false, node.ch, 0, 0}); return;
        case Node::Kind::kAny: Push(program, Op::kAny); return;
        case Node::Kind::kClass: program.push_back({Op::kClass, node.flag, 0, node.a, node.b}); return;
        case Node::Kind::kBackref: Push(program, Op::kBackref, node.a); return;
        case Node::Kind::kEnd: Push(program, Op::kEnd); return;
        case Node::Kind::kGroup:
            if (node.a >= 0) Push(program, Op::kOpen, node.a);
            Emit(node.b, program);
            if (node.a >= 0) Push(program, Op::kClose, node.a);
            return;
        case Node::Kind::kNot: {
            const std::int32_t begin = Push(program, Op::kLookBegin);
            Emit(node.a, program);
            Push(program, Op::kLookEnd);
            program[begin].x = Here(program);
            return;
        }
        case Node::Kind::kAlt: {
            const std::int32_t split = Push(program, Op::kSplit);
            Emit(node.a, program);
            const std::int32_t jump = Push(program, Op::kJmp);
            SetSplit(program[split], split + 1, Here(program), false);
            Emit(node.b, program);
            program[jump].x = Here(program);
            return;
        }
        case Node::Kind::kStar: {
            const std::int32_t split = Push(program, Op::kSplit);
            Emit(node.a, program);
            Push(program, Op::kJmp, split);
            SetSplit(program[split], split + 1, Here(program), node.flag);
            return;
        }
        case Node::Kind::kPlus: {
            const std::int32_t body = Here(program);
            Emit(node.a, program);
            const std::int32_t split = Push(program, Op::kSplit);
            SetSplit(program[split], body, split + 1, node.flag);
            return;
        }
        case Node::Kind::kQuest: {
            const std::int32_t split = Push(program, Op::kSplit);
            Emit(node.a, program);
            SetSplit(program[split], split + 1, Here(program), node.flag);
            return;
        }
        }
    }
};

bool ConditionPattern::Compile(std::u16string_view pattern, bool caseInsensitive) noexcept {
    program_.clear();
    ranges_.clear();
    groupCount_ = 0;
    caseInsensitive_ = caseInsensitive;
    anchored_ = false;
    if (pattern.size() > kMaxPatternUnits) return false;
    try {
        std::u16string text(pattern);
        if (caseInsensitive) std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
        std::vector<Inst> program;
        std::vector<Range> ranges;
        int groupCount = 0;
        bool anchored = false;
        if (!ConditionPatternCompiler(text).Build(program, ranges, groupCount, anchored)) return false;
        program_ = std::move(program);
        ranges_ = std::move(ranges);
        groupCount_ = groupCount;
        anchored_ = anchored;
        return true;
    } catch (...) {  // std::bad_alloc: out of memory counts as a compile failure
        program_.clear();
        ranges_.clear();
        return false;
    }
}

namespace {

struct Frame {
    enum Kind : std::int32_t { kBranch, kRestoreOpen, kRestoreClose, kLook };
    Kind kind;
    std::int32_t a;  // kBranch, kLook: program index; restores: group
    std::int32_t b;  // kBranch, kLook: input position; restores: saved begin (open) or end (close)
    std::int32_t c;  // kRestoreOpen: saved end; kLook: enclosing look-ahead's frame index
};

} // namespace

ConditionPattern::Outcome ConditionPattern::Run(std::u16string_view input, std::vector<Capture>* captures) const noexcept {
    if (captures) captures->clear();
    if (program_.empty() || input.size() > kMaxInputUnits) return Outcome::kNoMatch;
    try {
        std::u16string text(input);
        if (caseInsensitive_) std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
        const char16_t* s = text.data();
        const auto len = static_cast<std::int32_t>(text.size());
        const Inst* prog = program_.data();
        const Range* ranges = ranges_.data();

        std::vector<Frame> stack;
        stack.reserve(256);
        // Per group: begin at 2g, end at 2g + 1; -1 when not set. A group's end is cleared when it
        // opens, so a back-reference inside its own still-open group finds no text and fails.
        std::vector<std::int32_t> caps(2 * static_cast<std::size_t>(groupCount_), -1);
        std::int64_t budget = kWorkBudget;
        // A program that must begin with a character cannot match at a start holding another.
        const bool firstIsChar = prog[0].op == Op::kChar;

        // Start positions 0 .. len-1 (only 0 for an empty input or an anchored pattern).
        const std::int32_t lastStart = anchored_ ? 0 : std::max(len - 1, 0);
        for (std::int32_t start = 0; start <= lastStart; ++start) {
            if (--budget < 0) return Outcome::kGaveUp;
            if (firstIsChar && (start >= len || s[start] != prog[0].ch)) continue;
            std::fill(caps.begin(), caps.end(), -1);
            budget -= groupCount_;
            stack.clear();
            std::int32_t pc = 0;
            std::int32_t pos = start;
            std::int32_t look = -1;  // frame index of the innermost active look-ahead

            for (;;) {
                if (--budget < 0) return Outcome::kGaveUp;
                const Inst& in = prog[pc];
                switch (in.op) {
                case Op::kChar:
                    if (pos < len && s[pos] == in.ch) { ++pos; ++pc; continue; }
                    break;
                case Op::kAny:
                    if (pos < len) { ++pos; ++pc; continue; }
                    break;
                case Op::kClass: {
                    if (pos >= len) break;
                    budget -= in.y;
                    const char16_t c = s[pos];
                    bool in_class = false;
                    for (const Range* r = ranges + in.x, *e = r + in.y; r != e && !in_class; ++r)
                        in_class = c >= r->lo && c <= r->hi;
                    if (in_class != in.negated) { ++pos; ++pc; continue; }
                    break;
                }
                case Op::kSplit:
                    stack.push_back({Frame::kBranch, in.y, pos, 0});
                    pc = in.x;
                    continue;
                case Op::kJmp:
                    pc = in.x;
                    continue;
                case Op::kOpen:
                    stack.push_back({Frame::kRestoreOpen, in.x, caps[2 * in.x], caps[2 * in.x + 1]});
                    caps[2 * in.x] = pos;
                    caps[2 * in.x + 1] = -1;
                    ++pc;
                    continue;
                case Op::kClose:
                    stack.push_back({Frame::kRestoreClose, in.x, caps[2 * in.x + 1], 0});
                    caps[2 * in.x + 1] = pos;
                    ++pc;
                    continue;
                case Op::kBackref: {
                    const std::int32_t b = caps[2 * in.x];
                    const std::int32_t e = caps[2 * in.x + 1];
                    if (b < 0 || e < b || e > len) break;
                    const std::int32_t n = e - b;
                    if (n > len - pos) break;
                    budget -= n;
                    if (!std::equal(s + b, s + e, s + pos)) break;
                    pos += n;
                    ++pc;
                    continue;
                }
                case Op::kLookBegin:
                    stack.push_back({Frame::kLook, in.x, pos, look});
                    look = static_cast<std::int32_t>(stack.size() - 1);
                    ++pc;
                    continue;
                case Op::kLookEnd: {
                    // The body matched, so the look-ahead fails: undo the body down to and including
                    // its own frame (dropping its untried branches), then backtrack past it.
                    const std::int32_t own = look;
                    while (static_cast<std::int32_t>(stack.size()) > own) {
                        const Frame f = stack.back();
                        stack.pop_back();
                        --budget;
                        if (f.kind == Frame::kRestoreOpen) { caps[2 * f.a] = f.b; caps[2 * f.a + 1] = f.c; }
                        else if (f.kind == Frame::kRestoreClose) caps[2 * f.a + 1] = f.b;
                        else if (f.kind == Frame::kLook) look = f.c;
                    }
                    break;
                }
                case Op::kEnd:
                    if (pos == len) { ++pc; continue; }
                    break;
                case Op::kMatch:
                    if (captures) {
                        captures->resize(static_cast<std::size_t>(groupCount_));
                        for (int g = 0; g < groupCount_; ++g) {
                            const bool set = caps[2 * g] >= 0 && caps[2 * g + 1] >= caps[2 * g];
                            (*captures)[g] = set ? Capture{caps[2 * g], caps[2 * g + 1]} : Capture{};
                        }
                    }
                    return Outcome::kMatch;
                }

                // Failure: resume at the newest untried alternative.
                bool resumed = false;
                while (!resumed && !stack.empty()) {
                    const Frame f = stack.back();
                    stack.pop_back();
                    --budget;
                    switch (f.kind) {
                    case Frame::kBranch:
                        pc = f.a;
                        pos = f.b;
                        resumed = true;
                        break;
                    case Frame::kRestoreOpen:
                        caps[2 * f.a] = f.b;
                        caps[2 * f.a + 1] = f.c;
                        break;
                    case Frame::kRestoreClose:
                        caps[2 * f.a + 1] = f.b;
                        break;
                    case Frame::kLook:
                        // Every way through the body failed: the look-ahead succeeds here.
                        look = f.c;
                        pc = f.a;
                        pos = f.b;
                        resumed = true;
                        break;
                    }
                }
                if (!resumed) break;  // this start position fails
            }
        }
        return Outcome::kNoMatch;
    } catch (...) {  // std::bad_alloc while growing the stack
        if (captures) captures->clear();
        return Outcome::kGaveUp;
    }
}

bool ConditionApplies(std::u16string_view condition, std::u16string_view name) noexcept {
    if (condition.empty()) return true;
    ConditionPattern pattern;
    return pattern.Compile(condition, true) && pattern.Search(name);
}

} // namespace glyphpeek
