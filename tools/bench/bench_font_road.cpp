// bench_font_road: what the font road costs per face, in process, for the fonts given: reading the
// file into memory, the structural check, and making one drawable face (HarfBuzz's cut to a dozen
// characters, the own names, the OpenType Sanitizer's pass). Prints medians, asserts nothing.
//   bench_font_road font...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/font_road.h"
#include "core/font_sanitiser.h"
#include "imaging/read_file.h"
#include "tools/bench/timing.h"

namespace {

constexpr int kRuns = 15;

double Median(const std::function<bool()>& call) { return bench::MedianMs(kRuns, call); }

} // namespace

int wmain(int argc, wchar_t** argv) {
    const glyphpeek::FaceNames names{u"GP0123456789ABCDEF", false, false};
    for (int i = 1; i < argc; ++i) {
        std::vector<std::uint8_t> bytes;
        const double read = Median([&] {
            glyphpeek::imaging::ReadFileBytes file(argv[i]);
            bytes = file.Take();
            return !bytes.empty();
        });
        const double check = Median([&] { return static_cast<bool>(glyphpeek::SanitiseFont(bytes)); });
        const double face = Median([&] { return !glyphpeek::MakeDrawableFace(bytes, 0, U"Sample Text 1", names).empty(); });
        const double cjk = Median([&] {
            return !glyphpeek::MakeDrawableFace(bytes, 0, U"\u6F22\u5B57\u304B\u306A\u30AB\u30CA", names).empty();
        });
        std::wstring name = argv[i];
        name = name.substr(name.find_last_of(L"\\/") + 1);
        std::printf("%ls (%.1f MB)\n  read %.2f ms, structural check %.2f ms, one face cut+named+sanitised: "
                    "Latin sample %.2f ms, CJK sample %.2f ms\n",
                    name.c_str(), bytes.size() / 1048576.0, read, check, face, cjk);
    }
    return 0;
}
