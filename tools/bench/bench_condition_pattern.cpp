// Benchmark of the condition-pattern engine (host build; build optimised and unsanitised to measure).
// Prints medians; asserts nothing. Targets: typical condition on a typical name <= 2 us; the worst
// adversarial condition (<= 60 units) on a 259-unit name <= 1 ms.
#include "core/condition_pattern.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using glyphpeek::ConditionPattern;
using Clock = std::chrono::steady_clock;

std::u16string U(std::string_view s) { return std::u16string(s.begin(), s.end()); }

volatile bool g_sink;

// Median over `samples` of the time per call in nanoseconds, each sample timing `reps` calls.
template <class F>
double MedianNs(F&& f, int samples, int reps) {
    std::vector<double> times;
    for (int s = 0; s < samples; ++s) {
        const auto t0 = Clock::now();
        for (int r = 0; r < reps; ++r) g_sink = f();
        const auto t1 = Clock::now();
        times.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / reps);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    const std::vector<std::string> typical = {"\\.ttc$", "^ms", "(ttf)|(otf)", ".*gothic.*"};
    const std::vector<std::string> names = {"msgothic.ttc", "arial.ttf", "NotoSansCJK-Regular.ttc",
                                            "DejaVuSans-Bold.ttf", "FreeSerifBoldItalic.otf",
                                            "yu gothic ui semilight.ttf"};
    std::printf("Typical conditions on typical names (median ns per call)\n");
    std::printf("%-14s %12s %16s\n", "condition", "search", "compile+search");
    for (const std::string& condition : typical) {
        ConditionPattern p;
        p.Compile(U(condition), true);
        double worstSearch = 0, worstBoth = 0;
        for (const std::string& name : names) {
            const std::u16string n = U(name), c = U(condition);
            worstSearch = std::max(worstSearch, MedianNs([&] { return p.Search(n); }, 31, 2000));
            worstBoth = std::max(worstBoth, MedianNs([&] {
                ConditionPattern q;  // as the define store does it: one engine per define
                return q.Compile(c, true) && q.Search(n);
            }, 31, 2000));
        }
        std::printf("%-14s %12.0f %16.0f   (worst over %zu names)\n", condition.c_str(), worstSearch, worstBoth,
                    names.size());
    }

    // Adversarial conditions of at most 60 units against 259-unit names.
    std::vector<std::string> hostile = {
        "(a+)+b",
        "(a|aa)+b",
        "((a+)+)+b",
        "(a|a)+(a|a)+(a|a)+(a|a)+b",
        "(aa*a*a*a*a*)+b",
        "(\\w|\\c)+1",
        "(.+)+!.x",
        "\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w\\w1",
        "\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\z\\zx",
        "a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?aaaaaaaaaaaaaaaaaaab",
        "{.+}\\0+x",
        "{a+}\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0b",
        "([abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKL]+)+#",
        "([!-~][!-~][!-~][!-~]+)+#",
        "(!((a+)+b).)+c",
        "(!(!((a+)+b))a)+c",
        "x(.*a)(.*a)(.*a)(.*a)(.*a)(.*a)(.*a)(.*a)(.*a)(.*a)y",
        "x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*y",
        "(\\n|\\b|\\a|\\h)+#",
        "{(a|b)+}+\\0c",
    };
    const std::vector<std::u16string> longNames = {
        std::u16string(259, u'a'),
        std::u16string(259, u'x'),
        std::u16string(255, u'a') + u".ttf",
        U(std::string(64, 'a') + std::string(64, '1') + std::string(64, 'b') + std::string(67, 'x')),
        [] {
            std::u16string s;
            for (int i = 0; i < 259; ++i) s.push_back(u"ab1 "[i % 4]);
            return s;
        }(),
    };
    std::printf("\nAdversarial conditions on 259-unit names (median us per search, worst name)\n");
    double worstOverall = 0;
    std::string worstPattern;
    for (const std::string& condition : hostile) {
        ConditionPattern p;
        if (condition.empty() || !p.Compile(U(condition), true)) {
            std::printf("  (does not compile) %s\n", condition.c_str());
            continue;
        }
        double worst = 0;
        const char* outcome = "";
        for (const std::u16string& name : longNames) {
            const double t = MedianNs([&] { return p.Search(name); }, 15, 3) / 1000.0;
            if (t >= worst) {
                worst = t;
                const auto o = p.Run(name, nullptr);
                outcome = o == ConditionPattern::Outcome::kMatch ? "match"
                          : o == ConditionPattern::Outcome::kNoMatch ? "no match" : "gave up";
            }
        }
        std::printf("%9.1f  %-9s %s\n", worst, outcome, condition.c_str());
        if (worst > worstOverall) {
            worstOverall = worst;
            worstPattern = condition;
        }
    }
    std::printf("\nWorst adversarial search: %.1f us (%s); work budget %lld units\n", worstOverall,
                worstPattern.c_str(), static_cast<long long>(ConditionPattern::kWorkBudget));
    return 0;
}
